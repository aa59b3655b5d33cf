#pragma once
// Damage parameters of the particle type being simulated, from its radiation
// quality (Zeff/beta)^2 and the cell's chemical environment (oxygen, DMSO).

#include <cstdint>
#include <string>

#include "kesp/input/runSettings.h"

namespace kesp {

// Model constants; the report prints them.
inline constexpr double baseDamageToStrandBreakRatio = 3.0;
inline constexpr int minClusterSeparationBp = 9;      // Nmin
inline constexpr int maxDsbSeparationBp = 10;         // Ndsb
inline constexpr double strandBreaksPerCellPerGy = 1300.0;
inline constexpr double segmentLengthAtLowZebBp = 149200.0;
inline constexpr double segmentLengthSpanBp = 123600.0;
inline constexpr double segmentHalfEffectZeb = 267.0;

struct DamageYields {
    std::int32_t segmentLength = 0;  // bp of DNA one simulated cell receives per Gy
    std::int32_t strandBreaks = 0;   // Sb per cell per Gy
    std::int32_t baseDamages = 0;    // Bd per cell per Gy
    double repairProbability = 0.0;  // probability that chemical repair removes a lesion

    bool operator==(const DamageYields&) const = default;
};

// The yields of a particle of (Zeff/beta)^2 zeb in the run's chemical
// environment, with the oxygen switches of the command line.
DamageYields computeDamageYields(double zeb, const RunSettings& settings);

// Why a cell of these yields has no lesion left to cluster: none placed (the
// DMSO items), or chemical repair removing all (the oxygen items).
std::string whyNoLesionIsLeft(const DamageYields& yields, const RunSettings& settings);

// The chemical repair probability for a particle of the given (Zeff/beta)^2.
double chemicalRepairProbability(double zeb, const RunSettings& settings);

}  // namespace kesp
