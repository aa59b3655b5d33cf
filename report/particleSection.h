#pragma once
// The report section describing the particle of a single-particle run:
// identity, mass, energy, momentum, wavelength, Lorentz factor, effective
// charge, speed and (Zeff/beta)^2 with the limits of the effective-charge model.

#include <ostream>

namespace kesp {

void writeParticleSection(std::ostream& out);

}  // namespace kesp
