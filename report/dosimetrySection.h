#pragma once

#include <ostream>

#include "kesp/engine/runResults.h"

namespace kesp {

// The dosimetry and microdosimetry records of a single particle crossing a
// nucleus of the given diameter (um).
void writeDosimetrySection(std::ostream& out, const ParticlePhysics& physics, double diameter);

}  // namespace kesp
