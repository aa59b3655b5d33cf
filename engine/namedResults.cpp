#include "kesp/engine/namedResults.h"

#include "kesp/support/contract.h"

namespace kesp {

namespace {

constexpr std::array<std::string_view, tallyCategories> categoryLabels{"DSB", "SSB", "OTHER", "ALL CLUSTERS"};
constexpr std::array<std::string_view, tallyCategories> categoryKeys{"dsb", "ssb", "other", "all"};
constexpr std::array<std::string_view, classPercentages> classLabels{
    "BD", "SSB", "SSB+", "2SSB", "DSB", "DSB+", "DSB++", "SSBc", "SSBcb", "DSBc", "DSBcb"};
constexpr std::array<std::string_view, classPercentages> classKeys{
    "bd",         "ssb",    "ssb_plus", "two_ssb", "dsb",   "dsb_plus",
    "dsb_plus_plus", "ssb_c", "ssb_cb",   "dsb_c",   "dsb_cb"};
constexpr std::array<std::string_view, 5> tableKeys{
    "clusters_per_cell_per_gy", "percent_sb_per_cluster", "cluster_length_bp", "lesions_per_nucleotide",
    "clusters_per_cell_per_gy_per_track"};
constexpr std::array<std::string_view, 5> tableUnits{
    "clusters per cell per Gy", "% of the cluster's lesions that are Sb", "bp",
    "lesions per nucleotide (lesions / (2 x length))", "clusters per cell per Gy per track"};

// Position of an enumerator counted from 1 in its array of names.
template <typename Enum>
std::size_t position(Enum value)
{
    return static_cast<std::size_t>(value) - 1;
}

std::size_t tablePosition(ClusterTable table)
{
    return static_cast<std::size_t>(table) - 2;
}

// Whether a value cast to an enumeration is one of its enumerators (for the
// contract checks, which optimised builds leave out).
[[maybe_unused]] bool named(ClusterCategory category)
{
    return category >= ClusterCategory::dsb && category <= ClusterCategory::all;
}

[[maybe_unused]] bool named(ComplexityClass complexityClass)
{
    return complexityClass >= ComplexityClass::bd && complexityClass <= ComplexityClass::dsbComplexWithBaseDamage;
}

[[maybe_unused]] bool named(ClusterTable table)
{
    return table >= ClusterTable::clustersPerCellPerGy && table <= ClusterTable::clustersPerCellPerGyPerTrack;
}

}  // namespace

std::string_view label(ClusterCategory category)
{
    return categoryLabels.at(position(category));
}

std::string_view key(ClusterCategory category)
{
    return categoryKeys.at(position(category));
}

std::string_view label(ComplexityClass complexityClass)
{
    return classLabels.at(position(complexityClass));
}

std::string_view key(ComplexityClass complexityClass)
{
    return classKeys.at(position(complexityClass));
}

std::string_view key(ClusterTable table)
{
    return tableKeys.at(tablePosition(table));
}

std::string_view unit(ClusterTable table)
{
    return tableUnits.at(tablePosition(table));
}

std::optional<Estimate> tableEntry(const ClusterStatistics& statistics, ClusterTable table, ClusterRow row,
                                   ClusterCategory category, std::int32_t cells)
{
    KESP_EXPECTS(named(table), "the table is one of TABLES 2 to 6 (ClusterTable)");
    KESP_EXPECTS(named(category), "the category is one of ClusterCategory's");
    if (row.index() == 0) {
        return std::nullopt;
    }
    const StatisticTable& values = statistics.tables.at(tablePosition(table));
    const auto r = static_cast<std::size_t>(row.index());
    const auto c = static_cast<std::size_t>(category);
    const double mean = values.mean[r][c];
    if (mean == noDataMarker) {
        return std::nullopt;
    }
    Estimate estimate{mean, std::nullopt};
    if (cells >= 2) {
        estimate.sem = values.sem[r][c];
    }
    return estimate;
}

std::optional<ClusterYield> clusterYield(const ClusterStatistics& statistics, ClusterCategory category,
                                         std::int32_t cells)
{
    const std::optional<Estimate> perCell =
        tableEntry(statistics, ClusterTable::clustersPerCellPerGy, ClusterRow::all(), category, cells);
    if (!perCell) {
        return std::nullopt;
    }
    // As the README and kesp-scan have it: the table's value over the DNA content.
    const double dna = statistics.dnaContent;
    Estimate perGbp{perCell->mean / dna, std::nullopt};
    if (perCell->sem) {
        perGbp.sem = *perCell->sem / dna;
    }
    return ClusterYield{*perCell, perGbp};
}

double complexityPercent(const ClusterStatistics& statistics, ComplexityClass complexityClass)
{
    KESP_EXPECTS(named(complexityClass), "the class is one of ComplexityClass's");
    return statistics.classPercent.at(static_cast<std::size_t>(complexityClass));
}

}  // namespace kesp
