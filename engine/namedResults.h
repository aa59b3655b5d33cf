#pragma once
/// \file
/// A run's results under the names of the science rather than the indices of
/// the arrays that hold them: cluster categories, complexity classes, the
/// cluster tables and their rows, and the physics of a particle with its
/// units in its names.
///
/// \code{.cpp}
/// results.clusters(kesp::ClusterCategory::dsb)->perGyPerGbp.mean
/// results.entry(kesp::ClusterTable::lengthBp, kesp::ClusterRow::lesions(2), kesp::ClusterCategory::ssb)
/// results.percent(kesp::ComplexityClass::dsbPlus)
/// \endcode

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "kesp/damage/clusterStatistics.h"

namespace kesp {

/// The categories of TABLES 2 to 6, in the order of their columns; the value
/// is the column's index in the tally arrays.
enum class ClusterCategory {
    dsb = 1,  ///< DSB: clusters with at least one DSB
    ssb,      ///< SSB: clusters with Sb but no DSB
    other,    ///< OTHER: clusters of base damage alone
    all       ///< ALL CLUSTERS: every cluster
};
/// Every category, in the order of the columns.
inline constexpr std::array<ClusterCategory, tallyCategories> clusterCategories{
    ClusterCategory::dsb, ClusterCategory::ssb, ClusterCategory::other, ClusterCategory::all};

/// The complexity classes of TABLE 1, in its order; the value is the entry's
/// number in the table.
enum class ComplexityClass {
    bd = 1,                    ///< BD: one or more Bd, no Sb
    ssb,                       ///< SSB: one Sb, no other damage
    ssbPlus,                   ///< SSB+: two Sb on the same strand
    twoSsb,                    ///< 2SSB: Sb on opposite strands more than 10 bp apart
    dsb,                       ///< DSB: two Sb on opposite strands within 10 bp
    dsbPlus,                   ///< DSB+: a DSB with more Sb within 10 bp
    dsbPlusPlus,               ///< DSB++: more than one DSB
    ssbComplex,                ///< SSBc: complex SSB (SSB+ and 2SSB) among SSBs
    ssbComplexWithBaseDamage,  ///< SSBcb: the same with base damage counted
    dsbComplex,                ///< DSBc: complex DSB (DSB+ and DSB++) among DSBs
    dsbComplexWithBaseDamage,  ///< DSBcb: the same with base damage counted
};
/// Every complexity class, in the order of TABLE 1.
inline constexpr std::array<ComplexityClass, classPercentages> complexityClasses{
    ComplexityClass::bd,         ComplexityClass::ssb,        ComplexityClass::ssbPlus,
    ComplexityClass::twoSsb,     ComplexityClass::dsb,        ComplexityClass::dsbPlus,
    ComplexityClass::dsbPlusPlus, ComplexityClass::ssbComplex, ComplexityClass::ssbComplexWithBaseDamage,
    ComplexityClass::dsbComplex, ComplexityClass::dsbComplexWithBaseDamage};

/// TABLES 2 to 6, numbered as the report numbers them.
enum class ClusterTable {
    clustersPerCellPerGy = 2,          ///< clusters per cell per Gy, for a cell of the run's DNA content
    percentStrandBreaks = 3,           ///< % of a cluster's lesions that are Sb
    lengthBp = 4,                      ///< cluster length, bp
    lesionsPerNucleotide = 5,          ///< lesions over twice the cluster length
    clustersPerCellPerGyPerTrack = 6,  ///< clusters per cell per Gy per track, for a cell of the run's DNA content
};
/// Every cluster table, in the order of the report.
inline constexpr std::array<ClusterTable, 5> clusterTables{
    ClusterTable::clustersPerCellPerGy, ClusterTable::percentStrandBreaks, ClusterTable::lengthBp,
    ClusterTable::lesionsPerNucleotide, ClusterTable::clustersPerCellPerGyPerTrack};

// Names as the report prints them ("DSB", "ALL CLUSTERS", "SSB+") and as
// snake_case keys ("dsb", "all", "ssb_plus", "clusters_per_cell_per_gy").

/// The category as the report prints it ("DSB", "ALL CLUSTERS").
std::string_view label(ClusterCategory category);
/// The category as a snake_case key ("dsb", "all"), as the JSON document and
/// the Python module name it.
std::string_view key(ClusterCategory category);
/// The complexity class as the report prints it ("SSB+", "DSBcb").
std::string_view label(ComplexityClass complexityClass);
/// The complexity class as a snake_case key ("ssb_plus").
std::string_view key(ComplexityClass complexityClass);
/// The table as a snake_case key ("clusters_per_cell_per_gy").
std::string_view key(ClusterTable table);
/// What an entry of the table counts, in words with its unit.
std::string_view unit(ClusterTable table);

/// A row of TABLES 2 to 6: the clusters of n lesions, or all clusters (the
/// row the report calls "Total" or "Average").
class ClusterRow {
public:
    /// The most lesions of a cluster that has a row of its own; larger
    /// clusters only count in all().
    static constexpr int largestCluster = tallyRows - 1;

    /// The row of the clusters of n lesions. n outside 1..50 names no row:
    /// every entry of it is empty.
    static constexpr ClusterRow lesions(int n) { return ClusterRow(n >= 1 && n <= largestCluster ? n : 0); }
    /// The row of all clusters, whatever their size.
    static constexpr ClusterRow all() { return ClusterRow(tallyRows); }

    /// 1..50 for a size, 51 for all clusters, 0 for no row (the index of the tally arrays).
    constexpr int index() const { return index_; }
    /// Equal when both name the same row.
    bool operator==(const ClusterRow&) const = default;

private:
    explicit constexpr ClusterRow(int index) : index_(index) {}
    int index_;
};

/// A mean with its standard error; no standard error from fewer than 2
/// cells, where the report's SEM of 0 would pass for a precise figure.
struct Estimate {
    double mean = 0.0;         ///< the mean over the cells, in the unit of the quantity
    std::optional<double> sem; ///< its standard error, same unit; none from fewer than 2 cells

    /// Equal when mean and standard error (or the lack of one) are equal.
    bool operator==(const Estimate&) const = default;
};

/// Clusters of one category per Gy (TABLE 2's all-clusters row).
struct ClusterYield {
    Estimate perCellPerGy;  ///< clusters per cell per Gy, for a cell of the run's DNA content
    Estimate perGyPerGbp;   ///< per cell per Gy divided by the DNA content in Gbp
};

/// An entry of TABLES 2 to 6 of a run of `cells` cells; empty where the
/// report prints "---" (no cell had such a cluster) and for no row. The
/// table and the category must be enumerators (a contract check), as must
/// the class of complexityPercent.
std::optional<Estimate> tableEntry(const ClusterStatistics& statistics, ClusterTable table, ClusterRow row,
                                   ClusterCategory category, std::int32_t cells);

/// The clusters of a category per Gy; empty where no cell had one.
std::optional<ClusterYield> clusterYield(const ClusterStatistics& statistics, ClusterCategory category,
                                         std::int32_t cells);

/// TABLE 1's percentage of a class, %: its share of all clusters, or for
/// SSBc to DSBcb of the SSB or DSB.
double complexityPercent(const ClusterStatistics& statistics, ComplexityClass complexityClass);

/// The physics of a particle at the entry into the nucleus, as the report
/// and kesp-scan show it. LET is the total stopping power (electronic,
/// nuclear and radiative), as in the report's "total stopping power".
struct ParticleQuantities {
    double kineticEnergyMeV = 0.0;             ///< kinetic energy of the whole particle, MeV
    double kineticEnergyPerNucleonMeV = 0.0;   ///< kinetic energy per nucleon, MeV; see RunResults for the electron
    double letKeVPerUm = 0.0;                  ///< LET: the total stopping power, keV/um
    double electronicStoppingKeVPerUm = 0.0;   ///< electronic stopping power, keV/um; collisional for the electron
    double nuclearStoppingKeVPerUm = 0.0;      ///< nuclear stopping power, keV/um; 0 for the electron
    double radiativeStoppingKeVPerUm = 0.0;    ///< radiative stopping power, keV/um; 0 for ions
    double csdaRangeCm = 0.0;                  ///< CSDA range, cm
    double zeffOverBetaSquared = 0.0;          ///< (Zeff/beta)^2
    double dosePerFluenceNGyCm2 = 0.0;         ///< absorbed dose per unit fluence, nGy cm^2
    double yFKeVPerUm = 0.0;                   ///< frequency-mean lineal energy, keV/um
    double zFGy = 0.0;                         ///< frequency-mean specific energy, Gy

    /// Equal when every quantity is equal.
    bool operator==(const ParticleQuantities&) const = default;
};

/// A component of a mixed field (or the field's average row) as its tables
/// show it, with the cells simulated of it.
struct ComponentResult {
    std::string particle;                      ///< the name as in the field file, in canonical case ("12C")
    double weight = 0.0;                       ///< normalised share of the field (the average row: the mean)
    double dsbHypoxiaReductionFactor = 0.0;    ///< HRF for DSB induction, [1/(1-pcr)]^2
    ParticleQuantities physics;                ///< the component's physics at the entry into the nucleus
    std::int32_t cellsSimulated = 0;           ///< cells simulated of it; the average row: all the field's cells
    /// DSB per cell per Gy of its own cells, for a cell of the run's DNA
    /// content (the average row: the field's); none without a cell.
    std::optional<Estimate> dsbPerCellPerGy;

    /// Equal when every value is equal.
    bool operator==(const ComponentResult&) const = default;
};

}  // namespace kesp
