#pragma once
// Reading the whole input file: the keyword blocks into RunConfig, the
// radiation field into RadiationField, the seeding of the random generators
// and the set-up of the first field component as the current particle.

#include <cstdint>
#include <istream>

namespace kesp {

// Status: 0 normally; -1 when the input cannot be rewound (at the start,
// when nothing is read, or at the end).
std::int32_t readInput(std::istream& input);

}  // namespace kesp
