#include "kesp/engine/runState.h"

#include <gtest/gtest.h>

#include "kesp/damage/damageYields.h"
#include "kesp/input/radiationField.h"
#include "kesp/input/runSettings.h"
#include "kesp/physics/particleSetup.h"
#include "kesp/physics/rangeTable.h"
#include "kesp/support/combinedGenerator.h"
#include "kesp/support/randomStream.h"

namespace kesp {
namespace {

TEST(RunStateTest, seedsBothGeneratorsFromTheSeed)
{
    RunSettings settings;
    for (const std::int32_t seed : {1, 4711, 2147483647}) {
        settings.seed = seed;
        const RunState state(settings);
        RandomStreams streams;
        streams.seed(0, seed);
        EXPECT_EQ(state.seed, seed);
        EXPECT_EQ(state.cells.generator, seededCombined(seed));
        EXPECT_TRUE(state.cells.streams == streams) << "seed " << seed;
    }
    // A seed of 0 asks for one from the clock, which both generators then use.
    settings.seed = 0;
    const RunState clocked(settings);
    RandomStreams streams;
    streams.seed(0, clocked.seed);
    EXPECT_GT(clocked.seed, 0);
    EXPECT_EQ(clocked.cells.generator, seededCombined(clocked.seed));
    EXPECT_TRUE(clocked.cells.streams == streams);
}

TEST(RunStateTest, startsWithTheFirstComponentAndItsYields)
{
    RunSettings settings;
    settings.oxygenPercent = 2.0;
    settings.field = mixedField({{"12C", 120.0, 1.0}, {"p", 10.0, 1.0}});
    const RunState state(settings);
    EXPECT_EQ(state.particle.Z, 6);
    EXPECT_EQ(state.particle.A, 12);
    EXPECT_EQ(state.particle.T, 120.0);
    EXPECT_EQ(state.yields,
              computeDamageYields(state.particle.zeb, settings));
    EXPECT_EQ(state.currentRangeTable, RangeTable{});  // no table built yet
}

TEST(RunStateTest, particleIsSetUpAlongTheRangeTableTheRunHolds)
{
    RunSettings settings;
    // A field as a file gives it: code cannot name the unknown "xx".
    settings.field = RadiationField({{"4He", 8.0, 1.0}, {"p", 2.0, 1.0}, {"xx", 1.0, 1.0}}, "", ParticleNames::asRead);
    RunState state(settings);
    buildOwnRangeTable(state);
    const RangeTable alphaTable = computeRangeTable(kindOf(state.particle));
    EXPECT_EQ(state.currentRangeTable, alphaTable);

    // The proton set up now gets its microdosimetry along the alpha's table.
    setUpParticle(state, settings, settings.field.component(2));
    ParticleState expected;
    ASSERT_EQ(setParticle(expected, settings.field.component(2).name, 2.0, alphaTable,
                          settings.nucleusDiameter, defaultMassConstants),
              ParticleStatus::aboveLimit);
    EXPECT_EQ(state.particle, expected);
    EXPECT_EQ(state.yields, computeDamageYields(expected.zeb, settings));
    EXPECT_EQ(state.currentRangeTable, alphaTable);

    // A component that cannot be set up leaves the yields of the one before.
    const DamageYields protonYields = state.yields;
    setUpParticle(state, settings, settings.field.component(3));
    EXPECT_EQ(state.yields, protonYields);
    EXPECT_EQ(state.particle.T, 2.0);
}

}  // namespace
}  // namespace kesp
