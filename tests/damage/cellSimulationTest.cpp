#include "kesp/damage/cellSimulation.h"

#include <gtest/gtest.h>

#include "kesp/damage/clusterTally.h"
#include "kesp/damage/damageYields.h"
#include "kesp/input/runSettings.h"
#include "kesp/input/runSwitches.h"
#include "kesp/support/combinedGenerator.h"
#include "kesp/support/randomStream.h"

namespace kesp {
namespace {

class CellSimulationTest : public ::testing::Test {
protected:
    static constexpr double zeb = 300.0;  // a short segment keeps the test quick
    static constexpr double trackWeight = 1.0 / 64.0;  // a power of two: its sums are exact

    RunSettings config;
    DamageYields yields;
    CellSimulation cells;

    // Fresh cells seeded as a run seeds them, then `count` cells simulated.
    ProgressCounts run(std::int32_t seed, int count)
    {
        yields = computeDamageYields(zeb, config);
        cells = CellSimulation{};
        cells.generator = seededCombined(seed);
        cells.streams.seed(0, seed);
        allocateSegment(cells.segment, yields.segmentLength);
        return simulate(count);
    }

    ProgressCounts simulate(int count)
    {
        return simulateCells(cells, CellDose{yields, config.unrepairableBaseFraction, trackWeight}, count);
    }
};

TEST_F(CellSimulationTest, sameSeedGivesTheSameTally)
{
    run(4711, 3);
    const ClusterTally first = cells.tally;
    const ProgressCounts progress = run(4711, 3);
    EXPECT_TRUE(cells.tally == first);

    const auto& classes = cells.tally.classCount;
    const auto ssb = static_cast<double>(classes[2] + classes[3] + classes[4] + classes[5]);
    const auto dsb = static_cast<double>(classes[6] + classes[7] + classes[8] + classes[9]);
    const auto all = static_cast<double>(classes[1]) + ssb + dsb;
    EXPECT_GT(dsb, 0.0);
    EXPECT_EQ(progress.ssb, ssb / 6.0);
    EXPECT_EQ(progress.dsb, dsb / 6.0);
    EXPECT_EQ(progress.all, all / 6.0);
    EXPECT_EQ(cells.tally.sumCount[51][4], all);
    // Every cluster carries the per-track weight.
    EXPECT_EQ(cells.tally.sumPerTrack[51][4], all * trackWeight);

    run(4712, 3);
    EXPECT_FALSE(cells.tally == first);
}

TEST_F(CellSimulationTest, noCellsLeavesTheTallyAndGeneratorsAlone)
{
    run(4711, 1);
    const ClusterTally before = cells.tally;
    const CombinedState generator = cells.generator;
    const RandomStreams streams = cells.streams;
    for (const int count : {0, -3}) {
        const ProgressCounts progress = simulate(count);
        EXPECT_EQ(progress.ssb, 0.0);
        EXPECT_EQ(progress.dsb, 0.0);
        EXPECT_EQ(progress.all, 0.0);
        EXPECT_TRUE(cells.tally == before);
        EXPECT_EQ(cells.generator, generator);
        EXPECT_TRUE(cells.streams == streams);
    }
}

TEST_F(CellSimulationTest, repairDrawsFromStreamOneOnlyWhenItRemovesLesions)
{
    config.oxygenModel.enabled = false;  // repair probability 0
    run(4711, 2);
    EXPECT_EQ(cells.streams.state(1), 4711);
    config.oxygenModel.enabled = true;  // normoxic: a few lesions are repaired
    run(4711, 1);
    EXPECT_NE(cells.streams.state(1), 4711);
    EXPECT_EQ(cells.streams.state(2), 4711);
}

TEST_F(CellSimulationTest, cellsGoOnFromWhereTheLastCallLeftOff)
{
    // Simulating in batches is simulating the cells one after the other.
    run(4711, 3);
    const ClusterTally inOneCall = cells.tally;
    const CombinedState generator = cells.generator;
    const RandomStreams streams = cells.streams;
    run(4711, 1);
    simulate(2);
    EXPECT_TRUE(cells.tally == inOneCall);
    EXPECT_EQ(cells.generator, generator);
    EXPECT_TRUE(cells.streams == streams);
}

TEST_F(CellSimulationTest, classCountsPastThirtyTwoBitsStayExact)
{
    // A long run passes 2^31 clusters of one class; the counts must not wrap.
    run(4711, 0);
    cells.tally.classCount[1] = 3'000'000'000;
    const ProgressCounts progress = simulate(1);
    const auto& classes = cells.tally.classCount;
    EXPECT_GT(classes[1], 3'000'000'000);
    EXPECT_EQ(progress.all, static_cast<double>(classes[1] + classes[2] + classes[3] + classes[4]
                                                + classes[5] + classes[6] + classes[7]
                                                + classes[8] + classes[9])
                                / 6.0);
}

}  // namespace
}  // namespace kesp
