#pragma once
// Makes a named particle of a given kinetic energy the current one in
// ParticleState: identity, kinematics, effective charge, stopping power,
// microdosimetry and the damage parameters that depend on (Zeff/beta)^2.

#include <cstdint>
#include <string_view>

namespace kesp {

// Status values of setParticle.
inline constexpr std::int32_t particleAboveLimit = 0;    // T >= tLimit (always with the oxygen model on)
inline constexpr std::int32_t particleBelowLimit = 1;    // T < tLimit: effective charge out of its range
inline constexpr std::int32_t particleNotUsable = -1;    // unknown name, or an energy without speed

// Sets up the particle named by the blank-padded field `name` at kinetic energy
// kineticEnergy (MeV, whole particle). An unknown name, or an energy that is not
// a finite positive number giving the particle a speed, returns -1 and leaves
// the kinematic fields of the previous particle alone; the identity fields
// (symbol, Z, A, masses) are written in every case.
std::int32_t setParticle(std::string_view name, double kineticEnergy);

// The speed beta* at which Zeff/beta = 100 for charge number Z: 0.01 for the
// electron, else the non-zero fixed point of beta = (Z/100)(1 - exp(-125 beta Z^(-2/3))).
double effectiveChargeLimitBeta(std::int32_t Z);

}  // namespace kesp
