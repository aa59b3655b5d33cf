// The fast cell simulation against the step-by-step reference: for many
// particles, chemical settings, seeds and cell counts both must leave the
// same tally, bit for bit, and both generators in the same state.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kesp/damage/cellSimulation.h"
#include "kesp/damage/clusterTally.h"
#include "kesp/damage/damageYields.h"
#include "damage/referenceCellSimulation.h"
#include "kesp/input/radiationField.h"
#include "kesp/input/runSettings.h"
#include "kesp/input/runSwitches.h"
#include "kesp/physics/particleIdentification.h"
#include "kesp/physics/particleSetup.h"
#include "kesp/physics/particleState.h"
#include "kesp/physics/rangeTable.h"
#include "kesp/support/combinedGenerator.h"
#include "kesp/support/randomStream.h"
#include "kesp/support/text.h"

namespace kesp {
namespace {

struct Stage {
    const char* particle;
    double energy;
    int cells;
};

// A stage as the cells receive it: the particle's yields under the run's
// chemistry, and its zf along its own range table as the per-track weight.
struct StageDose {
    DamageYields yields;
    double trackWeight;
    int cells;
};

StageDose doseOf(const Stage& stage, const RunSettings& config)
{
    static RangeTableCache tables;  // each particle's table is built once for all cases
    ParticleState particle = describeParticle(makeField(stage.particle, particleNameLength),
                                              stage.energy, massConstantsFor(config.masses2006))
                                 .particle;
    refreshStoppingAndMicrodosimetry(particle, *tables.tableFor(kindOf(particle)), config.nucleusDiameter);
    return StageDose{computeDamageYields(particle.zeb, config), particle.zf, stage.cells};
}

struct Outcome {
    ClusterTally tally;
    CombinedState generator;
    RandomStreams streams;
    ProgressCounts counts;
};

// The segment of each core for a stage: the fast core's is released after
// the stage, as a mixed field does it.
void allocateFor(CellSimulation& cells, std::int32_t length)
{
    allocateSegment(cells.segment, length);
}
void releaseAfter(CellSimulation& cells)
{
    releaseSegment(cells.segment);
}
void allocateFor(reference::Cells& cells, std::int32_t length)
{
    reference::allocateSegment(cells.segment, length);
}
void releaseAfter(reference::Cells&) {}

// Runs the stages one after the other into one tally, as a mixed field does.
template <typename Cells>
Outcome run(std::int32_t seed, const std::vector<StageDose>& stages, double fbl)
{
    Cells cells;
    cells.generator = seededCombined(seed);
    cells.streams.seed(0, seed);
    ProgressCounts counts;
    for (const StageDose& stage : stages) {
        allocateFor(cells, stage.yields.segmentLength);
        counts = simulateCells(cells, CellDose{stage.yields, fbl, stage.trackWeight}, stage.cells);
        releaseAfter(cells);
    }
    return Outcome{cells.tally, cells.generator, cells.streams, counts};
}

void expectSameOutcome(std::int32_t seed, const std::vector<Stage>& stages, const RunSettings& config, const std::string& what)
{
    std::vector<StageDose> doses;
    for (const Stage& stage : stages) {
        doses.push_back(doseOf(stage, config));
    }
    const Outcome expected = run<reference::Cells>(seed, doses, config.unrepairableBaseFraction);
    const Outcome fast = run<CellSimulation>(seed, doses, config.unrepairableBaseFraction);
    EXPECT_TRUE(fast.tally == expected.tally) << what;
    EXPECT_EQ(fast.generator, expected.generator) << what;
    EXPECT_TRUE(fast.streams == expected.streams) << what;
    EXPECT_EQ(fast.counts.ssb, expected.counts.ssb) << what;
    EXPECT_EQ(fast.counts.dsb, expected.counts.dsb) << what;
    EXPECT_EQ(fast.counts.all, expected.counts.all) << what;
}

TEST(CellSimulationIdentityTest, fastCoreMatchesReferenceAcrossParticlesAndChemistry)
{
    // Longest segment (electron) to shortest (slow iron), oxygen off (no
    // repair), aerobic and hypoxic (more repair), with and without DMSO, and
    // every share of unrepairable base damage, including all of it.
    const std::vector<Stage> particles = {
        {"e", 1.0, 2}, {"p", 10.0, 3}, {"4He", 8.0, 3}, {"12C", 120.0, 2}, {"56Fe", 60.0, 3}};
    struct Chemistry {
        bool oxygenEffect;
        double po2;
        double conc;
    };
    const std::vector<Chemistry> chemistries = {
        {false, 100.0, 0.0}, {true, 100.0, 0.0}, {true, 0.5, 0.0}, {true, 21.0, 0.5}};
    std::int32_t seed = 11;
    for (const Stage& particle : particles) {
        for (const Chemistry& chemistry : chemistries) {
            for (const double fbl : {0.0, 0.5, 1.0}) {
                RunSettings config;
                config.oxygenModel.enabled = chemistry.oxygenEffect;
                config.oxygenPercent = chemistry.po2;
                config.dmso.concentration = chemistry.conc;
                config.unrepairableBaseFraction = fbl;
                seed = (seed * 7 + 3) % 1000003;
                const std::string what = std::string(particle.particle) + " po2 "
                                         + std::to_string(chemistry.po2) + " oxygen "
                                         + std::to_string(chemistry.oxygenEffect) + " conc "
                                         + std::to_string(chemistry.conc) + " fbl "
                                         + std::to_string(fbl) + " seed " + std::to_string(seed);
                expectSameOutcome(seed, {particle}, config, what);
            }
        }
    }
}

TEST(CellSimulationIdentityTest, fastCoreMatchesReferenceOverParticleChangesAndManyCells)
{
    RunSettings config;
    config.oxygenPercent = 2.0;
    config.unrepairableBaseFraction = 0.3;
    const std::vector<Stage> field = {
        {"12C", 50.0, 4}, {"e", 0.5, 1}, {"p", 2.0, 0}, {"p", 2.0, 6}, {"20Ne", 200.0, 1}};
    for (const std::int32_t seed : {1, 4711, 1258593649, 2147483647}) {
        expectSameOutcome(seed, field, config,
                          "mixed sequence, seed " + std::to_string(seed));
    }
    expectSameOutcome(99, {{"4He", 4.0, 40}}, config, "40 alpha cells");
}

}  // namespace
}  // namespace kesp
