#pragma once
// CSDA range of a particle and its table of range against energy. Energies in
// MeV, ranges in cm.
//
// The functions taking a ParticleKind work only on what they are given and
// may run on several threads at once; the ones without it work on the
// particle in ParticleState, as the rest of the program calls them.

#include <array>
#include <cstdint>
#include <memory>

#include "physics/particleState.h"

namespace kesp {

// Lower limit of every range integral, 2^-23 MeV.
inline constexpr double rangeLowerLimitMeV = 1.1920928955078125e-7;

// What the range and chord integrals need to know of a particle.
struct ParticleKind {
    std::int32_t Z = 0;        // charge number; -1 for the electron
    std::int32_t A = 0;        // mass number; 0 for the electron
    double restEnergy = 0.0;   // m0c^2, MeV
    double T = 0.0;            // kinetic energy, MeV
};

// The kind of the particle in ParticleState.
ParticleKind currentParticleKind();

struct RangeTable {
    std::array<double, rangeTablePoints> energyGrid{};  // MeV, geometric from 1e-6 up to T
    std::array<double, rangeTablePoints> rangeGrid{};   // cm
};

// The effective charge an ion integrand computes at each evaluation. The
// program keeps the last one in zeff of ParticleState, so an integral tells
// whether it evaluated any (never for the electron) and the last value.
struct LastEffectiveCharge {
    bool written = false;
    double zeff = 0.0;
};

// Path length per unit energy (cm/MeV) at kinetic energy E: 0.1 over the
// stopping power in keV/um, radiative losses included for the electron.
double inverseStoppingPower(const ParticleKind& particle, double energy, LastEffectiveCharge& last);

// CSDA range (cm) at the given kinetic energy; 0 at or below 2^-23 MeV.
double csdaRange(const ParticleKind& particle, double energy, LastEffectiveCharge& last);

struct BuiltRangeTable {
    RangeTable table;
    LastEffectiveCharge last;  // after the last entry's integral
};

// The 100-point range table of the particle up to its T, each entry
// integrated from the lower limit anew.
BuiltRangeTable computeRangeTable(const ParticleKind& particle);

// The same, built once per particle (Z, A, rest energy) and energy in a run
// and shared afterwards; safe to call from several threads.
std::shared_ptr<const BuiltRangeTable> rangeTableFor(const ParticleKind& particle);

// Forgets every table built so far (tests and benchmarks).
void clearRangeTableCache();

// On the particle in ParticleState: these write zeff of ParticleState as the
// integrands leave it (ions).
double inverseStoppingPower(double energy);
double csdaRange(double energy);

// Fills energyGrid and rangeGrid of ParticleState for its particle, from the
// run's tables when the same particle and energy were tabulated before.
void buildRangeTable();

// Puts a table and the effective charge its build left into ParticleState.
void installRangeTable(const BuiltRangeTable& built);

}  // namespace kesp
