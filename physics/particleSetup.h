#pragma once
// Setting up a named particle of a given kinetic energy: identity,
// kinematics, effective charge, stopping power and microdosimetry.

#include <cstdint>
#include <string_view>

#include "kesp/physics/particleIdentification.h"
#include "kesp/physics/particleState.h"
#include "kesp/physics/rangeTable.h"

namespace kesp {

enum class [[nodiscard]] ParticleStatus {
    aboveLimit,  // T >= tLimit (see statusUnderOxygenModel)
    belowLimit,  // T < tLimit: effective charge out of its range
    notUsable,   // unknown name, or an energy without speed
};

// With the oxygen model on, every usable particle counts as above the limit.
inline ParticleStatus statusUnderOxygenModel(ParticleStatus status, bool oxygenEffect)
{
    return oxygenEffect && status == ParticleStatus::belowLimit ? ParticleStatus::aboveLimit : status;
}

struct DescribedParticle {
    ParticleState particle;  // stopping power and microdosimetry still 0
    ParticleStatus status;   // without the oxygen model's rule
};

// The identity, validity limit, kinematics and effective charge of the
// particle named by the blank-padded field `name` at kinetic energy
// kineticEnergy (MeV, whole particle). An unknown name, or an energy that is
// not a finite positive number giving the particle a speed, is not usable:
// then only the identity fields (symbol, Z, A, masses) are filled.
DescribedParticle describeParticle(std::string_view name, double kineticEnergy,
                                   const MassConstants& masses);

// Makes the particle the one in `state`: described as above, then its
// stopping power and microdosimetry for a nucleus of diameter d (um) along
// `rangeTable`, the range table the run holds at this moment. That is the
// table an earlier step left behind (the previous particle's, or all zero),
// not this particle's own: callers that report or simulate the particle
// build its table and work the microdosimetry out again where the program
// asks for it. A particle that is not usable writes only the identity
// fields and leaves the kinematic fields of the previous particle alone.
ParticleStatus setParticle(ParticleState& state, std::string_view name, double kineticEnergy,
                           const RangeTable& rangeTable, double d, const MassConstants& masses);

// Stores the stopping power and microdosimetry of the particle in `state`
// along the range table given.
void refreshStoppingAndMicrodosimetry(ParticleState& state, const RangeTable& rangeTable, double d);

// The particle as the range and chord integrals need it.
inline ParticleKind kindOf(const ParticleState& particle)
{
    return ParticleKind{particle.Z, particle.A, particle.restEnergy, particle.T};
}

// The speed beta* at which Zeff/beta = 100 for charge number Z: 0.01 for the
// electron, else the non-zero fixed point of beta = (Z/100)(1 - exp(-125 beta Z^(-2/3))).
double effectiveChargeLimitBeta(std::int32_t Z);

}  // namespace kesp
