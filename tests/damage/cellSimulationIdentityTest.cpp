// The fast cell simulation against the step-by-step reference: for many
// particles, chemical settings, seeds and cell counts both must leave the
// same tally, bit for bit, and both generators in the same state.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "damage/cellSimulation.h"
#include "damage/clusterTally.h"
#include "damage/damageYields.h"
#include "damage/referenceCellSimulation.h"
#include "driver/commandLine.h"
#include "input/runConfig.h"
#include "physics/particleSetup.h"
#include "physics/particleState.h"
#include "support/combinedGenerator.h"
#include "support/randomStream.h"

namespace kesp {
namespace {

struct Outcome {
    ClusterTally tally;
    CombinedState combined;
    std::int32_t stream1 = 0;
    std::int32_t stream2 = 0;
    double ssb = 0.0;
    double dsb = 0.0;
    double all = 0.0;
};

void seedBoth(std::int32_t seed)
{
    seedCombined(seed);
    setStreamSeed(0, seed);
}

struct Core {
    void (*prepare)();
    ProgressCounts (*simulate)(int);
    void (*release)();
};

constexpr Core fastCore{prepareParticle, simulateCells, releaseParticle};
constexpr Core referenceCore{reference::prepareParticle, reference::simulateCells,
                             reference::releaseParticle};

struct Stage {
    const char* particle;
    double energy;
    int cells;
};

// Runs the stages one after the other into one tally, as a mixed field does.
Outcome run(const Core& core, std::int32_t seed, const std::vector<Stage>& stages)
{
    seedBoth(seed);
    resetTally();
    ProgressCounts counts;
    for (const Stage& stage : stages) {
        setParticle(stage.particle, stage.energy);
        core.prepare();
        counts = core.simulate(stage.cells);
        core.release();
    }
    return Outcome{clusterTally(), combinedState(), streamState(1), streamState(2),
                   counts.ssb, counts.dsb, counts.all};
}

void expectSameOutcome(std::int32_t seed, const std::vector<Stage>& stages, const std::string& what)
{
    const Outcome expected = run(referenceCore, seed, stages);
    const Outcome fast = run(fastCore, seed, stages);
    EXPECT_TRUE(fast.tally == expected.tally) << what;
    EXPECT_EQ(fast.combined, expected.combined) << what;
    EXPECT_EQ(fast.stream1, expected.stream1) << what;
    EXPECT_EQ(fast.stream2, expected.stream2) << what;
    EXPECT_EQ(fast.ssb, expected.ssb) << what;
    EXPECT_EQ(fast.dsb, expected.dsb) << what;
    EXPECT_EQ(fast.all, expected.all) << what;
}

class CellSimulationIdentityTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        resetTally();
        resetRunConfig();
        resetRunOptions();
        resetParticleState();
        resetDamageYields();
    }
};

TEST_F(CellSimulationIdentityTest, fastCoreMatchesReferenceAcrossParticlesAndChemistry)
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
                runOptions().oxygenEffect = chemistry.oxygenEffect;
                runConfig().po2 = chemistry.po2;
                runConfig().conc = chemistry.conc;
                runConfig().fbl = fbl;
                seed = (seed * 7 + 3) % 1000003;
                const std::string what = std::string(particle.particle) + " po2 "
                                         + std::to_string(chemistry.po2) + " oxygen "
                                         + std::to_string(chemistry.oxygenEffect) + " conc "
                                         + std::to_string(chemistry.conc) + " fbl "
                                         + std::to_string(fbl) + " seed " + std::to_string(seed);
                expectSameOutcome(seed, {particle}, what);
            }
        }
    }
}

TEST_F(CellSimulationIdentityTest, fastCoreMatchesReferenceOverParticleChangesAndManyCells)
{
    runConfig().po2 = 2.0;
    runConfig().fbl = 0.3;
    const std::vector<Stage> field = {
        {"12C", 50.0, 4}, {"e", 0.5, 1}, {"p", 2.0, 0}, {"p", 2.0, 6}, {"20Ne", 200.0, 1}};
    for (const std::int32_t seed : {1, 4711, 1258593649, 2147483647}) {
        expectSameOutcome(seed, field, "mixed sequence, seed " + std::to_string(seed));
    }
    expectSameOutcome(99, {{"4He", 4.0, 40}}, "40 alpha cells");
}

}  // namespace
}  // namespace kesp
