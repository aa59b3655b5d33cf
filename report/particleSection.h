#pragma once
// The report section describing the particle of a single-particle run:
// identity, mass, energy, momentum, wavelength, Lorentz factor, effective
// charge, speed and (Zeff/beta)^2 with the limits of the effective-charge model.

#include <ostream>

#include "kesp/physics/particleState.h"

namespace kesp {

void writeParticleSection(std::ostream& out, const ParticleState& particle);

}  // namespace kesp
