#pragma once
// Cluster statistics of a run: per-cell tallies, run sums and, after
// finalisation, means and standard errors.

#include <array>
#include <cstdint>

namespace kesp {

inline constexpr int tallyRows = 51;        // rows 1..50: clusters of that many lesions; 51: all
inline constexpr int tallyCategories = 4;   // 1 DSB, 2 SSB, 3 OTHER, 4 ALL CLUSTERS
inline constexpr int clusterClasses = 9;    // class codes 1..9
inline constexpr int classPercentages = 11; // BD, SSB, SSB+, 2SSB, DSB, DSB+, DSB++, SSBc, SSBcb, DSBc, DSBcb
inline constexpr double noDataMarker = -1.0;

// Indexed [row][category] with rows 1..51 and categories 1..4; index 0 is unused
// so that the code reads like the tables it fills.
template <typename T>
using TallyArray = std::array<std::array<T, tallyCategories + 1>, tallyRows + 1>;

struct ClusterTally {
    // Per cell (cleared at the start of each cell).
    TallyArray<double> cellCount{};
    TallyArray<double> cellPctSb{};
    TallyArray<double> cellLength{};
    TallyArray<double> cellLesionsPerNt{};
    TallyArray<double> cellPerTrack{};
    // Run (cleared by resetTally). After finalisation the sum arrays hold
    // means and the sum-of-squares arrays standard errors of the mean.
    std::array<std::int32_t, clusterClasses + 1> classCount{};  // 1..9
    TallyArray<double> sumCount{};
    TallyArray<double> sumSqCount{};
    TallyArray<double> sumPerTrack{};
    TallyArray<double> sumSqPerTrack{};
    TallyArray<double> sumPctSb{};
    TallyArray<double> sumSqPctSb{};
    TallyArray<double> sumLength{};
    TallyArray<double> sumSqLength{};
    TallyArray<double> sumLesionsPerNt{};
    TallyArray<double> sumSqLesionsPerNt{};
    TallyArray<std::int32_t> cellsWithClusters{};
    std::array<double, classPercentages + 1> classPct{};  // 1..11

    bool operator==(const ClusterTally&) const = default;
};

// The run's one instance.
ClusterTally& clusterTally();

// The (row, category) entries that clusters reached since the per-cell part
// was last cleared, each once: only these need clearing and folding, since
// every other entry of the per-cell part is 0 (and adding 0 to a run sum
// leaves it as it is). An entry is new when its cell count is still 0.
struct TouchedEntries {
    std::array<std::array<std::uint8_t, 2>, tallyRows * tallyCategories> list{};
    std::size_t count = 0;
};

TouchedEntries& touchedEntries();

// Adds one cluster to its four entries; see tallyCluster.
inline void addCluster(ClusterTally& t, TouchedEntries& touched, int code, std::int32_t first,
                       std::int32_t last, std::int32_t lesions, std::int32_t strandBreaks,
                       double weight)
{
    const std::int32_t length = last - first + 1;
    double pctSb = 0.0;
    double perNt = 0.0;
    if (lesions == 1 && length == 1) {
        // Most clusters of sparse damage: the quotients below are exact.
        pctSb = strandBreaks == 1 ? 100.0 : 0.0;
        perNt = 0.5;
    } else {
        pctSb = static_cast<float>(strandBreaks) * 100.0F / static_cast<float>(lesions);
        perNt = static_cast<float>(lesions) * 0.5F / static_cast<float>(length);
    }
    const double span = static_cast<double>(length);
    // Category of each class code: 1 DSB (codes 6-9), 2 SSB (2-5), 3 OTHER (1).
    constexpr std::array<std::size_t, clusterClasses + 1> categoryOfCode{0, 3, 2, 2, 2, 2, 1, 1, 1, 1};
    const std::size_t category = categoryOfCode[static_cast<std::size_t>(code)];
    const auto add = [&](std::size_t r, std::size_t c) {
        if (t.cellCount[r][c] == 0.0) {
            touched.list[touched.count++] = {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(c)};
        }
        t.cellCount[r][c] += 1.0;
        t.cellPctSb[r][c] += pctSb;
        t.cellLength[r][c] += span;
        t.cellLesionsPerNt[r][c] += perNt;
        t.cellPerTrack[r][c] += weight;
    };
    if (lesions >= 1 && lesions <= tallyRows - 1) {
        const auto n = static_cast<std::size_t>(lesions);
        add(n, category);
        add(n, tallyCategories);
    }
    add(tallyRows, category);
    add(tallyRows, tallyCategories);
}

// Clears the whole tally, per-cell and run part, at the start of a run.
void resetTally();

// Clears the per-cell part at the start of a cell: the entries that clusters
// reached since the last clear (the rest are still 0).
void clearCellTally();

// Adds a cluster of class `code` at positions first..last with `lesions`
// lesions of which `strandBreaks` are Sb to its size row and to row 51, in
// its category and in ALL CLUSTERS. Its per-track weight is zf of the
// current particle.
void tallyCluster(int code, std::int32_t first, std::int32_t last, std::int32_t lesions,
                  std::int32_t strandBreaks);

// The same with the per-track weight given.
void tallyWeightedCluster(int code, std::int32_t first, std::int32_t last, std::int32_t lesions,
                          std::int32_t strandBreaks, double weight);

// Folds the cell into the run sums and adds the running class percentages.
// Only entries that clusters reached since the last clear are folded: the
// others would add 0 to every sum.
void endCell();

// Turns the run sums into means and standard errors of the mean over the
// nocs cells of the run; entries no cell produced get the no-data marker.
void finaliseTally();

}  // namespace kesp
