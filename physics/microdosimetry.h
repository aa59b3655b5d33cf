#pragma once
// Stopping power at the particle's energy and the microdosimetric quantities
// of a spherical cell nucleus traversed by it.

#include <cstdint>

#include "kesp/physics/rangeTable.h"

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
// along its track taken from the range table given: its own, or (where the
// run asks for it) the one an earlier set-up left behind. Works only on what
// it is given, so several threads may call it at once.
StoppingAndMicrodosimetry stoppingAndMicrodosimetry(const ParticleKind& particle,
                                                    const RangeTable& table, double d);

// Stops the run with a message when the nucleus diameter d (um) leaves the
// microdosimetric quantities without a finite value, as a diameter far
// outside any cell's (1E300 or 1E-300 um) does.
void requireFiniteMicrodosimetry(double dpuf, double yf, double zf, double d);

}  // namespace kesp
