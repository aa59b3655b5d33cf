#include "kesp/physics/particleSetup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kesp/damage/damageYields.h"
#include "kesp/input/runSettings.h"
#include "kesp/input/runSwitches.h"
#include "kesp/physics/effectiveCharge.h"
#include "kesp/physics/microdosimetry.h"
#include "kesp/physics/particleState.h"
#include "kesp/physics/stoppingPower.h"

namespace kesp {
namespace {

constexpr double nucleusDiameter = 5.0;  // um

// The particle set up on a run's first step, when the range table the run
// holds is still all zero.
ParticleStatus setUp(ParticleState& state, std::string_view name, double kineticEnergy)
{
    return setParticle(state, name, kineticEnergy, RangeTable{}, nucleusDiameter, defaultMassConstants);
}

TEST(ParticleSetupTest, electronHasUnitChargeAndFixedLimitSpeed)
{
    ParticleState state;
    ASSERT_EQ(setUp(state, "e    ", 1.0), ParticleStatus::aboveLimit);
    EXPECT_EQ(state.Z, -1);
    EXPECT_EQ(state.zeff, -1.0);
    EXPECT_EQ(state.gamma, 1.0 / 0.510999 + 1.0);
    EXPECT_EQ(state.zeb, 1.0 / state.beta2);
    // beta* = 0.01 for the electron.
    EXPECT_EQ(state.tLimit, (1.0 / std::sqrt(0.9999) - 1.0) * 0.510999);
    // The stopping powers at T and the damage parameters of the new zeb.
    EXPECT_EQ(state.sElectronic, stoppingPowerComponents(-1, 0.510999, 1.0).electronic);
    EXPECT_GT(state.sRadiative, 0.0);
    EXPECT_EQ(computeDamageYields(state.zeb, RunSettings{}).segmentLength,
              static_cast<std::int32_t>(149200.0 - 123600.0 * state.zeb / (state.zeb + 267.0)));
}

TEST(ParticleSetupTest, protonKinematicsFollowFromItsRestEnergy)
{
    ParticleState state;
    ASSERT_EQ(setUp(state, "p    ", 100.0), ParticleStatus::aboveLimit);
    EXPECT_EQ(state.gamma, 1.0 + 100.0 / 938.272013);
    EXPECT_EQ(state.beta2, 1.0 - 1.0 / (state.gamma * state.gamma));
    EXPECT_EQ(state.zeff, 1.0 - std::exp(-125.0 * std::sqrt(state.beta2)));
    EXPECT_EQ(state.zeb, state.zeff * state.zeff / state.beta2);
    const double beta = effectiveChargeLimitBeta(1);
    EXPECT_EQ(state.tLimit, (1.0 / std::sqrt(1.0 - beta * beta) - 1.0) * 938.272013);
    EXPECT_EQ(state.sTotal, stoppingPowerComponents(1, 938.272013, 100.0).total);
    EXPECT_EQ(state.sRadiative, 0.0);
    // The first set-up of a run meets an empty range table: no energy per event.
    EXPECT_EQ(state.zf, 0.0);
    // The description is the same particle before its stopping power.
    const DescribedParticle described = describeParticle("p    ", 100.0, defaultMassConstants);
    EXPECT_EQ(described.status, ParticleStatus::aboveLimit);
    ParticleState withoutStopping = state;
    withoutStopping.sElectronic = withoutStopping.sRadiative = withoutStopping.sNuclear = 0.0;
    withoutStopping.sTotal = withoutStopping.dpuf = withoutStopping.yf = withoutStopping.zf = 0.0;
    EXPECT_EQ(described.particle, withoutStopping);
}

TEST(ParticleSetupTest, microdosimetryIsWorkedOutAlongTheTableGiven)
{
    // The table an earlier 4He left behind, not the proton's own.
    ParticleState helium;
    ASSERT_EQ(setUp(helium, "4He  ", 40.0), ParticleStatus::aboveLimit);
    const RangeTable earlier = computeRangeTable(kindOf(helium));
    ParticleState state;
    ASSERT_EQ(setParticle(state, "p    ", 10.0, earlier, nucleusDiameter, defaultMassConstants),
              ParticleStatus::aboveLimit);
    const StoppingAndMicrodosimetry along =
        stoppingAndMicrodosimetry(kindOf(state), earlier, nucleusDiameter);
    EXPECT_GT(state.zf, 0.0);
    EXPECT_EQ(state.zf, along.zf);
    EXPECT_EQ(state.dpuf, along.dpuf);
    EXPECT_EQ(state.yf, along.yf);
    EXPECT_EQ(state.sTotal, along.sTotal);

    // Refreshed along its own table, as a run does once it is built.
    const RangeTable own = computeRangeTable(kindOf(state));
    refreshStoppingAndMicrodosimetry(state, own, nucleusDiameter);
    EXPECT_EQ(state.zf, stoppingAndMicrodosimetry(kindOf(state), own, nucleusDiameter).zf);
    EXPECT_NE(state.zf, along.zf);
}

TEST(ParticleSetupTest, statusFlagsEnergiesBelowTheLimitUnlessTheOxygenModelIsOn)
{
    ParticleState state;
    ASSERT_EQ(setUp(state, "12C  ", 100.0), ParticleStatus::aboveLimit);
    const double tLimit = state.tLimit;
    ASSERT_GT(tLimit, 1.0);
    const ParticleStatus above = ParticleStatus::aboveLimit;
    const ParticleStatus below = ParticleStatus::belowLimit;
    struct Case { bool oxygenEffect; double energy; ParticleStatus status; };
    const Case cases[] = {
        {false, 0.5 * tLimit, below}, {false, tLimit, above}, {false, 2.0 * tLimit, above},
        {true, 0.5 * tLimit, above}, {true, 2.0 * tLimit, above},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(statusUnderOxygenModel(setUp(state, "12C  ", c.energy), c.oxygenEffect), c.status)
            << "oxygen " << c.oxygenEffect << " T " << c.energy;
        EXPECT_EQ(state.T, c.energy);  // accepted either way
    }
    // The oxygen model makes no unusable particle usable.
    EXPECT_EQ(statusUnderOxygenModel(setUp(state, "12C  ", -1.0), true), ParticleStatus::notUsable);
}

TEST(ParticleSetupTest, unusableNameOrEnergyLeavesTheKinematicsAlone)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    struct Case { const char* name; double energy; std::int32_t Z; std::int32_t A; };
    const Case cases[] = {
        {"20Xx ", 10.0, 0, 20},  // unknown element
        {"Ne   ", 10.0, 0, 0},   // no digits, first letter neither e nor p
        {"12C  ", 0.0, 6, 12},   // the identity is written all the same
        {"12C  ", -1.0, 6, 12},
        {"12C  ", nan, 6, 12},
        {"12C  ", infinity, 6, 12},
        {"p    ", 1e-300, 1, 1},  // gamma rounds to 1: no speed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " at " << c.energy << " MeV");
        ParticleState after;
        ASSERT_EQ(setUp(after, "4He  ", 40.0), ParticleStatus::aboveLimit);
        const ParticleState before = after;
        EXPECT_EQ(setUp(after, c.name, c.energy), ParticleStatus::notUsable);
        EXPECT_EQ(describeParticle(c.name, c.energy, defaultMassConstants).status,
                  ParticleStatus::notUsable);
        EXPECT_EQ(after.Z, c.Z);
        EXPECT_EQ(after.A, c.A);
        EXPECT_EQ(after.T, before.T);
        EXPECT_EQ(after.gamma, before.gamma);
        EXPECT_EQ(after.beta2, before.beta2);
        EXPECT_EQ(after.zeff, before.zeff);
        EXPECT_EQ(after.zeb, before.zeb);
        EXPECT_EQ(after.sTotal, before.sTotal);
    }
}

TEST(ParticleSetupTest, limitSpeedIsTheFixedPointForEveryElement)
{
    for (std::int32_t Z = 1; Z <= 109; ++Z) {
        const double beta = effectiveChargeLimitBeta(Z);
        const double next = static_cast<double>(Z) / 100.0 * chargeFraction(Z, beta);
        EXPECT_GT(beta, 0.0) << "Z = " << Z;
        EXPECT_NEAR(next, beta, 4.5e-16) << "Z = " << Z;
        // At beta* the effective charge over the speed is 100.
        EXPECT_NEAR(effectiveCharge(Z, beta) / beta, 100.0, 1e-10) << "Z = " << Z;
    }
}

}  // namespace
}  // namespace kesp
