#pragma once
// Stopping power at the particle's energy and the microdosimetric quantities
// of a spherical cell nucleus traversed by it.

#include <cstdint>

#include "physics/particleState.h"
#include "physics/rangeTable.h"

namespace kesp {

struct StoppingAndMicrodosimetry {
    double sElectronic;  // keV/um
    double sRadiative;   // keV/um
    double sNuclear;     // keV/um
    double sTotal;       // keV/um
    double dpuf;         // absorbed dose per unit fluence, nGy cm^2
    double yf;           // frequency-mean lineal energy, keV/um
    double zf;           // frequency-mean specific energy, Gy
};

// For the particle crossing a sphere of diameter d (um), with the energy
// along its track taken from its own range table. Works only on what it is
// given, so several threads may call it at once.
StoppingAndMicrodosimetry stoppingAndMicrodosimetry(const ParticleKind& particle,
                                                    const RangeTable& table, double d);

// For a particle of charge number Z, rest energy restEnergy (MeV) and kinetic
// energy T (MeV) crossing a sphere of diameter d (um). The energy along the
// track comes from the range table of ParticleState, which must have been
// built for this same particle; T, rest energy and Z along the track are read
// from ParticleState.
StoppingAndMicrodosimetry stoppingAndMicrodosimetry(std::int32_t Z, double restEnergy, double T,
                                                    double d);

// Works out the seven quantities for the particle in the state, crossing the
// run's nucleus (RunConfig ndia), with the state's range table, and stores
// them in the state.
void refreshStoppingAndMicrodosimetry(ParticleState& state);

// Stops the run with a message when the nucleus diameter d (um) leaves the
// microdosimetric quantities without a finite value, as a diameter far
// outside any cell's (1E300 or 1E-300 um) does.
void requireFiniteMicrodosimetry(double dpuf, double yf, double zf, double d);

}  // namespace kesp
