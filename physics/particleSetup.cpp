#include "physics/particleSetup.h"

#include <cmath>

#include "damage/damageYields.h"
#include "driver/commandLine.h"
#include "input/runConfig.h"
#include "physics/effectiveCharge.h"
#include "physics/microdosimetry.h"
#include "physics/particleIdentification.h"
#include "physics/particleState.h"

namespace kesp {

namespace {

constexpr double electronLimitBeta = 0.01;
constexpr double fixedPointTolerance = 2.220446049250313e-16;  // 2^-52

void storeIdentity(const ParticleIdentity& identity, ParticleState& state)
{
    state.symbol = identity.symbol;
    state.Z = identity.Z;
    state.A = identity.A;
    state.massU = identity.massU;
    state.restEnergy = identity.restEnergy;
}

// A kinetic energy that gives the particle a speed: finite, positive and not so
// small against the rest energy that gamma rounds to 1 (beta2 would be 0 and
// (Zeff/beta)^2 undefined).
bool givesSpeed(double kineticEnergy, double restEnergy)
{
    if (!std::isfinite(kineticEnergy) || !(kineticEnergy > 0.0)) {
        return false;
    }
    const double gamma = kineticEnergy / restEnergy + 1.0;
    return 1.0 - 1.0 / (gamma * gamma) > 0.0;
}

void setKinematics(double kineticEnergy, ParticleState& state)
{
    state.T = kineticEnergy;
    state.gamma = kineticEnergy / state.restEnergy + 1.0;
    state.beta2 = 1.0 - 1.0 / (state.gamma * state.gamma);
    state.zeff = state.Z == -1 ? -1.0 : effectiveCharge(state.Z, std::sqrt(state.beta2));
    state.zeb = state.zeff * state.zeff / state.beta2;
}

}  // namespace

double effectiveChargeLimitBeta(std::int32_t Z)
{
    if (Z == -1) {
        return electronLimitBeta;
    }
    const double chargeShare = static_cast<double>(Z) / 100.0;
    double beta = 1.0;
    double next = chargeShare * chargeFraction(Z, beta);
    while (std::fabs(next - beta) > fixedPointTolerance) {
        beta = next;
        next = chargeShare * chargeFraction(Z, beta);
    }
    return next;
}

std::int32_t setParticle(std::string_view name, double kineticEnergy)
{
    ParticleState& state = particleState();
    const ParticleIdentity identity = identifyParticle(name);
    storeIdentity(identity, state);
    if (identity.status < 0 || !givesSpeed(kineticEnergy, state.restEnergy)) {
        return particleNotUsable;
    }
    const double limitBeta = effectiveChargeLimitBeta(state.Z);
    state.tLimit = (1.0 / std::sqrt(1.0 - limitBeta * limitBeta) - 1.0) * state.restEnergy;
    setKinematics(kineticEnergy, state);
    std::int32_t status = kineticEnergy < state.tLimit ? particleBelowLimit : particleAboveLimit;
    // With the range table of the previous particle; the callers rebuild the
    // table and redo this for results of their own.
    refreshStoppingAndMicrodosimetry(state);
    computeDamageYields();
    if (runOptions().oxygenEffect) {
        status = particleAboveLimit;
    }
    return status;
}

}  // namespace kesp
