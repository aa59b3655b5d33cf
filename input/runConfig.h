#pragma once
// The run's settings from the keyword blocks of the input file.

#include <cstdint>

namespace kesp {

inline constexpr std::int32_t defaultSeed = 987654321;

struct RunConfig {
    std::int32_t nocs = 1;            // number of cells to simulate
    std::int32_t seed = defaultSeed;  // random number seed; 0 asks for a clock seed
    double po2 = 100.0;               // oxygen concentration, percent O2, within [0, 100]
    double m0 = 1.74;                 // oxygen model: maximum oxygen enhancement M0
    double k = 0.3372;                // oxygen model: O2 (percent) at half effect
    double q = 946.1;                 // oxygen model: (Zeff/beta)^2 of the half-way point
    double r = 2.15;                  // oxygen model: steepness exponent
    double conc = 0.0;                // DMSO concentration, mol dm^-3
    double fnsd = 0.5;                // fraction of non-scavengeable DNA damage
    double chmx = 0.5;                // DMSO concentration at half-level, mol dm^-3
    double dna = 6.0;                 // DNA content of the cell, Gbp
    double ndia = 5.0;                // diameter of the cell nucleus, um
    double fbl = 0.0;                 // fraction Bl/Bd

    bool operator==(const RunConfig&) const = default;
};

}  // namespace kesp
