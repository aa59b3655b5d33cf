#pragma once
// Effective charge of an ion after Barkas (1963).

#include <cstdint>

namespace kesp {

// The charge fraction 1 - exp(-125 beta Z^(-2/3)) an ion of charge number Z
// keeps at speed beta.
double chargeFraction(std::int32_t Z, double beta);

// Zeff = Z (1 - exp(-125 beta Z^(-2/3))).
double effectiveCharge(std::int32_t Z, double beta);

}  // namespace kesp
