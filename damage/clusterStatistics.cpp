#include "kesp/damage/clusterStatistics.h"

namespace kesp {

namespace {

using StatisticArray = TallyArray<double> ClusterTally::*;

// Whether a statistic grows with the amount of DNA in the cell: the number of
// clusters per cell does, the make-up of a cluster (its share of strand
// breaks, its length, its lesions per nucleotide) does not.
enum class DnaScaling { perCell, perCluster };

struct StatisticArrays {
    StatisticArray mean;
    StatisticArray sem;
    DnaScaling scaling;
};

// Mean and SEM arrays of TABLES 2 to 6, in table order.
constexpr std::array<StatisticArrays, 5> statisticArrays{{
    {&ClusterTally::sumCount, &ClusterTally::sumSqCount, DnaScaling::perCell},
    {&ClusterTally::sumPctSb, &ClusterTally::sumSqPctSb, DnaScaling::perCluster},
    {&ClusterTally::sumLength, &ClusterTally::sumSqLength, DnaScaling::perCluster},
    {&ClusterTally::sumLesionsPerNt, &ClusterTally::sumSqLesionsPerNt, DnaScaling::perCluster},
    {&ClusterTally::sumPerTrack, &ClusterTally::sumSqPerTrack, DnaScaling::perCell},
}};

TallyArray<double> scaled(TallyArray<double> values, double factor)
{
    for (int row = 1; row <= tallyRows; ++row) {
        for (int category = 1; category <= tallyCategories; ++category) {
            double& value = values[static_cast<std::size_t>(row)][static_cast<std::size_t>(category)];
            value *= factor;
            if (value < 0.0) {
                value = noDataMarker;
            }
        }
    }
    return values;
}

}  // namespace

ClusterStatistics clusterStatistics(const ClusterTally& finalised, double dna)
{
    const double tallyScale = dna / referenceDnaGbp;
    ClusterStatistics statistics;
    statistics.dnaContent = dna;
    statistics.classPercent = finalised.classPct;
    for (std::size_t t = 0; t < statisticArrays.size(); ++t) {
        const auto& [mean, sem, scaling] = statisticArrays[t];
        const double factor = scaling == DnaScaling::perCell ? tallyScale : 1.0;
        statistics.tables[t].mean = scaled(finalised.*mean, factor);
        statistics.tables[t].sem = scaled(finalised.*sem, factor);
    }
    return statistics;
}

}  // namespace kesp
