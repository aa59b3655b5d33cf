#pragma once
// CSDA range of the particle in ParticleState and its table of range against
// energy. Energies in MeV, ranges in cm.

namespace kesp {

// Lower limit of every range integral, 2^-23 MeV.
inline constexpr double rangeLowerLimitMeV = 1.1920928955078125e-7;

// Path length per unit energy (cm/MeV) of the current particle at kinetic
// energy E: 0.1 over its stopping power in keV/um, radiative losses included
// for the electron. Writes zeff of ParticleState for ions.
double inverseStoppingPower(double energy);

// CSDA range (cm) of the current particle at the given kinetic energy; 0 at or
// below 2^-23 MeV.
double csdaRange(double energy);

// Fills energyGrid with 100 energies geometric from 1e-6 MeV up to T and
// rangeGrid with the CSDA range at each, for the current particle.
void buildRangeTable();

}  // namespace kesp
