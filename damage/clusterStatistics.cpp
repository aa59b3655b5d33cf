#include "damage/clusterStatistics.h"

namespace kesp {

namespace {

using StatisticArray = TallyArray<double> ClusterTally::*;

// Mean and SEM arrays of TABLES 2 to 6, in table order.
constexpr std::array<std::array<StatisticArray, 2>, 5> statisticArrays{{
    {&ClusterTally::sumCount, &ClusterTally::sumSqCount},
    {&ClusterTally::sumPctSb, &ClusterTally::sumSqPctSb},
    {&ClusterTally::sumLength, &ClusterTally::sumSqLength},
    {&ClusterTally::sumLesionsPerNt, &ClusterTally::sumSqLesionsPerNt},
    {&ClusterTally::sumPerTrack, &ClusterTally::sumSqPerTrack},
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
    statistics.classPercent = finalised.classPct;
    for (std::size_t t = 0; t < statisticArrays.size(); ++t) {
        const auto& [mean, sem] = statisticArrays[t];
        statistics.tables[t].mean = scaled(finalised.*mean, tallyScale);
        statistics.tables[t].sem = scaled(finalised.*sem, tallyScale);
    }
    return statistics;
}

}  // namespace kesp
