#pragma once
// A run's results under the names of the science rather than the indices of
// the arrays that hold them: cluster categories, complexity classes, the
// cluster tables and their rows, and the physics of a particle with its
// units in its names.
//
//     results.clusters(kesp::ClusterCategory::dsb)->perGyPerGbp.mean
//     results.entry(kesp::ClusterTable::lengthBp, kesp::ClusterRow::lesions(2), kesp::ClusterCategory::ssb)
//     results.percent(kesp::ComplexityClass::dsbPlus)

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "kesp/damage/clusterStatistics.h"

namespace kesp {

// The categories of TABLES 2 to 6, in the order of their columns.
enum class ClusterCategory { dsb = 1, ssb, other, all };
inline constexpr std::array<ClusterCategory, tallyCategories> clusterCategories{
    ClusterCategory::dsb, ClusterCategory::ssb, ClusterCategory::other, ClusterCategory::all};

// The complexity classes of TABLE 1, in its order.
enum class ComplexityClass {
    bd = 1,                    // BD: one or more Bd, no Sb
    ssb,                       // SSB: one Sb, no other damage
    ssbPlus,                   // SSB+: two Sb on the same strand
    twoSsb,                    // 2SSB: Sb on opposite strands more than 10 bp apart
    dsb,                       // DSB: two Sb on opposite strands within 10 bp
    dsbPlus,                   // DSB+: a DSB with more Sb within 10 bp
    dsbPlusPlus,               // DSB++: more than one DSB
    ssbComplex,                // SSBc: complex SSB (SSB+ and 2SSB) among SSBs
    ssbComplexWithBaseDamage,  // SSBcb: the same with base damage counted
    dsbComplex,                // DSBc: complex DSB (DSB+ and DSB++) among DSBs
    dsbComplexWithBaseDamage,  // DSBcb: the same with base damage counted
};
inline constexpr std::array<ComplexityClass, classPercentages> complexityClasses{
    ComplexityClass::bd,         ComplexityClass::ssb,        ComplexityClass::ssbPlus,
    ComplexityClass::twoSsb,     ComplexityClass::dsb,        ComplexityClass::dsbPlus,
    ComplexityClass::dsbPlusPlus, ComplexityClass::ssbComplex, ComplexityClass::ssbComplexWithBaseDamage,
    ComplexityClass::dsbComplex, ComplexityClass::dsbComplexWithBaseDamage};

// TABLES 2 to 6, numbered as the report numbers them.
enum class ClusterTable {
    clustersPerCellPerGy = 2,          // for a cell of the run's DNA content
    percentStrandBreaks = 3,           // % of a cluster's lesions that are Sb
    lengthBp = 4,                      // cluster length, bp
    lesionsPerNucleotide = 5,          // lesions over twice the cluster length
    clustersPerCellPerGyPerTrack = 6,  // for a cell of the run's DNA content
};
inline constexpr std::array<ClusterTable, 5> clusterTables{
    ClusterTable::clustersPerCellPerGy, ClusterTable::percentStrandBreaks, ClusterTable::lengthBp,
    ClusterTable::lesionsPerNucleotide, ClusterTable::clustersPerCellPerGyPerTrack};

// Names as the report prints them ("DSB", "ALL CLUSTERS", "SSB+") and as
// snake_case keys ("dsb", "all", "ssb_plus", "clusters_per_cell_per_gy").
std::string_view label(ClusterCategory category);
std::string_view key(ClusterCategory category);
std::string_view label(ComplexityClass complexityClass);
std::string_view key(ComplexityClass complexityClass);
std::string_view key(ClusterTable table);
// What an entry of the table counts, in words with its unit.
std::string_view unit(ClusterTable table);

// A row of TABLES 2 to 6: the clusters of n lesions, or all clusters (the
// row the report calls "Total" or "Average").
class ClusterRow {
public:
    static constexpr int largestCluster = tallyRows - 1;  // larger clusters only count in all()

    // n outside 1..50 names no row: every entry of it is empty.
    static constexpr ClusterRow lesions(int n) { return ClusterRow(n >= 1 && n <= largestCluster ? n : 0); }
    static constexpr ClusterRow all() { return ClusterRow(tallyRows); }

    // 1..50 for a size, 51 for all clusters, 0 for no row (the index of the tally arrays).
    constexpr int index() const { return index_; }
    bool operator==(const ClusterRow&) const = default;

private:
    explicit constexpr ClusterRow(int index) : index_(index) {}
    int index_;
};

// A mean with its standard error; no standard error from fewer than 2
// cells, where the report's SEM of 0 would pass for a precise figure.
struct Estimate {
    double mean = 0.0;
    std::optional<double> sem;

    bool operator==(const Estimate&) const = default;
};

// Clusters of one category per Gy (TABLE 2's all-clusters row).
struct ClusterYield {
    Estimate perCellPerGy;  // for a cell of the run's DNA content
    Estimate perGyPerGbp;   // per cell per Gy divided by the DNA content in Gbp
};

// An entry of TABLES 2 to 6 of a run of `cells` cells; empty where the
// report prints "---" (no cell had such a cluster) and for no row. The
// table and the category must be enumerators (a contract check), as must
// the class of complexityPercent.
std::optional<Estimate> tableEntry(const ClusterStatistics& statistics, ClusterTable table, ClusterRow row,
                                   ClusterCategory category, std::int32_t cells);

// The clusters of a category per Gy; empty where no cell had one.
std::optional<ClusterYield> clusterYield(const ClusterStatistics& statistics, ClusterCategory category,
                                         std::int32_t cells);

// TABLE 1's percentage of a class.
double complexityPercent(const ClusterStatistics& statistics, ComplexityClass complexityClass);

// The physics of a particle at the entry into the nucleus, as the report
// and kesp-scan show it. LET is the total stopping power (electronic,
// nuclear and radiative), as in the report's "total stopping power".
struct ParticleQuantities {
    double kineticEnergyMeV = 0.0;             // whole particle
    double kineticEnergyPerNucleonMeV = 0.0;   // per nucleon; see RunResults for the electron
    double letKeVPerUm = 0.0;                  // total stopping power
    double electronicStoppingKeVPerUm = 0.0;   // collisional for the electron
    double nuclearStoppingKeVPerUm = 0.0;      // 0 for the electron
    double radiativeStoppingKeVPerUm = 0.0;    // 0 for ions
    double csdaRangeCm = 0.0;
    double zeffOverBetaSquared = 0.0;          // (Zeff/beta)^2
    double dosePerFluenceNGyCm2 = 0.0;         // absorbed dose per unit fluence, nGy cm^2
    double yFKeVPerUm = 0.0;                   // frequency-mean lineal energy
    double zFGy = 0.0;                         // frequency-mean specific energy

    bool operator==(const ParticleQuantities&) const = default;
};

// A component of a mixed field (or the field's average row) as its tables
// show it, with the cells simulated of it.
struct ComponentResult {
    std::string particle;                      // the name as in the field file, in canonical case ("12C")
    double weight = 0.0;                       // normalised share of the field (the average row: the mean)
    double dsbHypoxiaReductionFactor = 0.0;    // HRF for DSB induction, [1/(1-pcr)]^2
    ParticleQuantities physics;
    std::int32_t cellsSimulated = 0;           // the average row: all the field's cells
    // DSB per cell per Gy of its own cells, for a cell of the run's DNA
    // content (the average row: the field's); none without a cell.
    std::optional<Estimate> dsbPerCellPerGy;

    bool operator==(const ComponentResult&) const = default;
};

}  // namespace kesp
