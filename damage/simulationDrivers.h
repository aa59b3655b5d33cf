#pragma once

#include <ostream>

namespace kesp {

// Simulates all cells of a single-particle run in a few large batches,
// showing progress on the given console stream.
void runSingleParticle(std::ostream& console);

// Simulates a mixed field: each component its share of the cells, the cells
// left over by the rounding assigned at random by weight.
void runMixedField(std::ostream& console);

}  // namespace kesp
