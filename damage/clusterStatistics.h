#pragma once
/// \file
/// TABLE 1 to TABLE 6 as numbers: the finalised tally, its cluster counts
/// scaled to the cell's DNA content.

#include <array>

#include "kesp/damage/clusterTally.h"

namespace kesp {

/// The tallies are per cell of this many Gbp of DNA.
inline constexpr double referenceDnaGbp = 6.0;

/// One of TABLES 2 to 6: the mean over the cells of a quantity in each
/// (row, category) entry and its standard error.
struct StatisticTable {
    TallyArray<double> mean{};  ///< [row 1..51][category 1..4]; noDataMarker where no cell had one
    TallyArray<double> sem{};   ///< standard error of each mean, same indexing; noDataMarker where no cell had one
};

/// The cluster statistics of a run, as the report's TABLES 1 to 6 give them.
struct ClusterStatistics {
    std::array<double, classPercentages + 1> classPercent{};  ///< TABLE 1, entries 1..11: % of the clusters in each class
    /// TABLES 2 to 6 in this order: clusters per cell per Gy, % Sb per
    /// cluster, cluster length (bp), lesions per nucleotide, clusters per cell
    /// per Gy per track.
    std::array<StatisticTable, 5> tables{};
    double dnaContent = referenceDnaGbp;  ///< Gbp: the cell the counts of TABLES 2 and 6 are for
};

/// The statistics of a finalised tally for a cell of `dna` Gbp: the means and
/// SEM of the counts (TABLES 2 and 6) times dna / 6 Gbp; the make-up of the
/// clusters (TABLES 3 to 5) as tallied, since a cell with more DNA has more
/// clusters of the same kinds. The no-data markers stay at -1.
ClusterStatistics clusterStatistics(const ClusterTally& finalised, double dna);

}  // namespace kesp
