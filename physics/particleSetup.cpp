#include "kesp/physics/particleSetup.h"

#include <cmath>

#include "kesp/physics/effectiveCharge.h"
#include "kesp/physics/microdosimetry.h"

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

DescribedParticle describeParticle(std::string_view name, double kineticEnergy,
                                   const MassConstants& masses)
{
    DescribedParticle described{ParticleState{}, ParticleStatus::notUsable};
    ParticleState& state = described.particle;
    const ParticleIdentity identity = identifyParticle(name, masses);
    storeIdentity(identity, state);
    if (identity.status < 0 || !givesSpeed(kineticEnergy, state.restEnergy)) {
        return described;
    }
    const double limitBeta = effectiveChargeLimitBeta(state.Z);
    state.tLimit = (1.0 / std::sqrt(1.0 - limitBeta * limitBeta) - 1.0) * state.restEnergy;
    setKinematics(kineticEnergy, state);
    described.status =
        kineticEnergy < state.tLimit ? ParticleStatus::belowLimit : ParticleStatus::aboveLimit;
    return described;
}

ParticleStatus setParticle(ParticleState& state, std::string_view name, double kineticEnergy,
                           const RangeTable& rangeTable, double d, const MassConstants& masses)
{
    const DescribedParticle described = describeParticle(name, kineticEnergy, masses);
    if (described.status == ParticleStatus::notUsable) {
        storeIdentity(identifyParticle(name, masses), state);
        return described.status;
    }
    state = described.particle;
    refreshStoppingAndMicrodosimetry(state, rangeTable, d);
    return described.status;
}

void refreshStoppingAndMicrodosimetry(ParticleState& state, const RangeTable& rangeTable, double d)
{
    const StoppingAndMicrodosimetry s = stoppingAndMicrodosimetry(kindOf(state), rangeTable, d);
    state.sElectronic = s.sElectronic;
    state.sRadiative = s.sRadiative;
    state.sNuclear = s.sNuclear;
    state.sTotal = s.sTotal;
    state.dpuf = s.dpuf;
    state.yf = s.yf;
    state.zf = s.zf;
}

}  // namespace kesp
