#include "physics/particleSetup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "damage/damageYields.h"
#include "driver/commandLine.h"
#include "input/runConfig.h"
#include "physics/effectiveCharge.h"
#include "physics/particleState.h"
#include "physics/stoppingPower.h"

namespace kesp {
namespace {

class ParticleSetupTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        resetParticleState();
        resetRunOptions();
        resetRunConfig();
        resetDamageYields();
    }
};

TEST_F(ParticleSetupTest, electronHasUnitChargeAndFixedLimitSpeed)
{
    ASSERT_EQ(setParticle("e    ", 1.0), 0);
    const ParticleState& state = particleState();
    EXPECT_EQ(state.Z, -1);
    EXPECT_EQ(state.zeff, -1.0);
    EXPECT_EQ(state.gamma, 1.0 / 0.510999 + 1.0);
    EXPECT_EQ(state.zeb, 1.0 / state.beta2);
    // beta* = 0.01 for the electron.
    EXPECT_EQ(state.tLimit, (1.0 / std::sqrt(0.9999) - 1.0) * 0.510999);
    // The stopping powers at T and the damage parameters of the new zeb.
    EXPECT_EQ(state.sElectronic, stoppingPowerComponents(-1, 0.510999, 1.0).electronic);
    EXPECT_GT(state.sRadiative, 0.0);
    EXPECT_EQ(damageYields().segmentLength,
              static_cast<std::int32_t>(149200.0 - 123600.0 * state.zeb / (state.zeb + 267.0)));
}

TEST_F(ParticleSetupTest, protonKinematicsFollowFromItsRestEnergy)
{
    ASSERT_EQ(setParticle("p    ", 100.0), 0);
    const ParticleState& state = particleState();
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
}

TEST_F(ParticleSetupTest, statusFlagsEnergiesBelowTheLimitUnlessTheOxygenModelIsOn)
{
    ASSERT_EQ(setParticle("12C  ", 100.0), 0);
    const double tLimit = particleState().tLimit;
    ASSERT_GT(tLimit, 1.0);
    struct Case { bool oxygenEffect; double energy; std::int32_t status; };
    const Case cases[] = {
        {false, 0.5 * tLimit, 1}, {false, tLimit, 0}, {false, 2.0 * tLimit, 0},
        {true, 0.5 * tLimit, 0}, {true, 2.0 * tLimit, 0},
    };
    for (const Case& c : cases) {
        runOptions().oxygenEffect = c.oxygenEffect;
        EXPECT_EQ(setParticle("12C  ", c.energy), c.status)
            << "oxygen " << c.oxygenEffect << " T " << c.energy;
        EXPECT_EQ(particleState().T, c.energy);  // accepted either way
    }
}

TEST_F(ParticleSetupTest, unusableNameOrEnergyLeavesTheKinematicsAlone)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    struct Case { const char* name; double energy; std::int32_t Z; std::int32_t A; };
    const Case cases[] = {
        {"20Xx ", 10.0, 0, 20},  // unknown element
        {"Ne   ", 10.0, 0, 0},   // no digits, first letter neither e nor p
        {"12C  ", 0.0, 6, 12},   // the identity is kept: the input reader learns A
        {"12C  ", -1.0, 6, 12},
        {"12C  ", nan, 6, 12},
        {"12C  ", infinity, 6, 12},
        {"p    ", 1e-300, 1, 1},  // gamma rounds to 1: no speed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " at " << c.energy << " MeV");
        ASSERT_EQ(setParticle("4He  ", 40.0), 0);
        const ParticleState before = particleState();
        EXPECT_EQ(setParticle(c.name, c.energy), -1);
        const ParticleState& after = particleState();
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

TEST_F(ParticleSetupTest, limitSpeedIsTheFixedPointForEveryElement)
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
