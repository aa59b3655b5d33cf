#pragma once
/// \file
/// Damage parameters of the particle type being simulated, from its radiation
/// quality (Zeff/beta)^2 and the cell's chemical environment (oxygen, DMSO).

#include <cstdint>
#include <string>

#include "kesp/input/runSettings.h"

namespace kesp {

// Model constants; the report prints them.

/// Base damages per strand break, f: the Bd yield is f times the Sb yield.
inline constexpr double baseDamageToStrandBreakRatio = 3.0;
/// Nmin: the minimum distance between clusters, bp.
inline constexpr int minClusterSeparationBp = 9;
/// Ndsb: the most bp between two Sb on opposite strands that make a DSB.
inline constexpr int maxDsbSeparationBp = 10;
/// Sb per cell per Gy without a scavenger (the yield DMSO lowers).
inline constexpr double strandBreaksPerCellPerGy = 1300.0;
/// Segment length (bp per cell per Gy) as (Zeff/beta)^2 goes to 0.
inline constexpr double segmentLengthAtLowZebBp = 149200.0;
/// How far the segment length falls (bp) as (Zeff/beta)^2 grows without bound.
inline constexpr double segmentLengthSpanBp = 123600.0;
/// The (Zeff/beta)^2 at which the segment length has fallen half its span.
inline constexpr double segmentHalfEffectZeb = 267.0;

/// The damage yields of one particle type in the run's chemical environment.
struct DamageYields {
    std::int32_t segmentLength = 0;  ///< bp of DNA one simulated cell receives per Gy
    std::int32_t strandBreaks = 0;   ///< Sb per cell per Gy
    std::int32_t baseDamages = 0;    ///< Bd per cell per Gy
    double repairProbability = 0.0;  ///< probability that chemical repair removes a lesion

    /// Equal when every yield is equal.
    bool operator==(const DamageYields&) const = default;
};

/// The yields of a particle of (Zeff/beta)^2 zeb in the run's chemical
/// environment, with the oxygen switches of the command line. Throws
/// RunError of kind nonFiniteResult when a yield is not a finite number.
DamageYields computeDamageYields(double zeb, const RunSettings& settings);

/// Why a cell of these yields has no lesion left to cluster: none placed (the
/// DMSO items), or chemical repair removing all (the oxygen items).
std::string whyNoLesionIsLeft(const DamageYields& yields, const RunSettings& settings);

/// The chemical repair probability for a particle of the given (Zeff/beta)^2:
/// 0 with the oxygen effect off.
double chemicalRepairProbability(double zeb, const RunSettings& settings);

}  // namespace kesp
