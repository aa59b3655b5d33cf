#include "damage/cellSimulation.h"

#include <gtest/gtest.h>

#include "damage/clusterTally.h"
#include "damage/damageYields.h"
#include "driver/commandLine.h"
#include "input/runConfig.h"
#include "physics/particleState.h"
#include "support/combinedGenerator.h"
#include "support/randomStream.h"

namespace kesp {
namespace {

class CellSimulationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetTally();
        particleState().zeb = 300.0;  // a short segment keeps the test quick
        particleState().zf = 0.01;
    }
    void TearDown() override
    {
        releaseParticle();
        resetTally();
        resetRunConfig();
        resetRunOptions();
        resetParticleState();
        resetDamageYields();
    }

    // Seeds both generators as the input reader does and simulates `cells`.
    static ProgressCounts run(std::int32_t seed, int cells)
    {
        seedCombined(seed);
        setStreamSeed(0, seed);
        resetTally();
        prepareParticle();
        return simulateCells(cells);
    }
};

TEST_F(CellSimulationTest, sameSeedGivesTheSameTally)
{
    run(4711, 3);
    const ClusterTally first = clusterTally();
    const ProgressCounts progress = run(4711, 3);
    EXPECT_TRUE(clusterTally() == first);

    const auto& classes = clusterTally().classCount;
    const auto ssb = static_cast<double>(classes[2] + classes[3] + classes[4] + classes[5]);
    const auto dsb = static_cast<double>(classes[6] + classes[7] + classes[8] + classes[9]);
    const auto all = static_cast<double>(classes[1]) + ssb + dsb;
    EXPECT_GT(dsb, 0.0);
    EXPECT_EQ(progress.ssb, ssb / 6.0);
    EXPECT_EQ(progress.dsb, dsb / 6.0);
    EXPECT_EQ(progress.all, all / 6.0);
    EXPECT_EQ(clusterTally().sumCount[51][4], all);

    run(4712, 3);
    EXPECT_FALSE(clusterTally() == first);
}

TEST_F(CellSimulationTest, noCellsLeavesTheTallyAlone)
{
    run(4711, 1);
    const ClusterTally before = clusterTally();
    const ProgressCounts progress = simulateCells(0);
    EXPECT_EQ(progress.ssb, 0.0);
    EXPECT_EQ(progress.dsb, 0.0);
    EXPECT_EQ(progress.all, 0.0);
    EXPECT_TRUE(clusterTally() == before);
    simulateCells(-3);
    EXPECT_TRUE(clusterTally() == before);
}

TEST_F(CellSimulationTest, repairDrawsFromStreamOneOnlyWhenItRemovesLesions)
{
    runOptions().oxygenEffect = false;  // repair probability 0
    run(4711, 2);
    EXPECT_EQ(streamState(1), 4711);
    releaseParticle();
    runOptions().oxygenEffect = true;  // normoxic: a few lesions are repaired
    run(4711, 1);
    EXPECT_NE(streamState(1), 4711);
    EXPECT_EQ(streamState(2), 4711);
}

TEST_F(CellSimulationTest, classCountsPastThirtyTwoBitsStayExact)
{
    // A long run passes 2^31 clusters of one class; the counts must not wrap.
    run(4711, 0);
    clusterTally().classCount[1] = 3'000'000'000;
    const ProgressCounts progress = simulateCells(1);
    EXPECT_GT(clusterTally().classCount[1], 3'000'000'000);
    EXPECT_EQ(progress.all, static_cast<double>(clusterTally().classCount[1]
                                                + clusterTally().classCount[2]
                                                + clusterTally().classCount[3]
                                                + clusterTally().classCount[4]
                                                + clusterTally().classCount[5]
                                                + clusterTally().classCount[6]
                                                + clusterTally().classCount[7]
                                                + clusterTally().classCount[8]
                                                + clusterTally().classCount[9])
                                / 6.0);
}

}  // namespace
}  // namespace kesp
