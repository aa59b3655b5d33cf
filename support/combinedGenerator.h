#pragma once
// The generator that places lesions: a 32-bit xorshift sequence combined with
// the minimal standard sequence (Schrage's method), in single precision.

#include <cstdint>

namespace kesp {

// Seeds the generator. A seed of 0 or below is first replaced by a seed from
// the calendar clock, which is written back into the caller's variable.
void seedCombined(std::int32_t& seed);

// Next value, strictly between 0 and 1 (from 2^-31 up to 1 - 2^-24).
float nextCombined();

}  // namespace kesp
