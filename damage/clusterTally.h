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
    // 64 bits: a run of a million cells holds several billion clusters.
    std::array<std::int64_t, clusterClasses + 1> classCount{};  // 1..9
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

// The (row, category) entries that clusters reached since the per-cell part
// was last cleared, each once: only these need clearing and folding, since
// every other entry of the per-cell part is 0 (and adding 0 to a run sum
// leaves it as it is). An entry is new when its cell count is still 0.
struct TouchedEntries {
    std::array<std::array<std::uint8_t, 2>, tallyRows * tallyCategories> list{};
    std::size_t count = 0;
};

namespace detail {

// Category of each class code: 1 DSB (codes 6-9), 2 SSB (2-5), 3 OTHER (1).
inline constexpr std::array<std::size_t, clusterClasses + 1> categoryOfCode{0, 3, 2, 2, 2,
                                                                            2, 1, 1, 1, 1};

inline void addToEntry(ClusterTally& t, TouchedEntries& touched, std::size_t r, std::size_t c,
                       double pctSb, double length, double perNt, double weight)
{
    if (t.cellCount[r][c] == 0.0) {
        touched.list[touched.count++] = {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(c)};
    }
    t.cellCount[r][c] += 1.0;
    t.cellPctSb[r][c] += pctSb;
    t.cellLength[r][c] += length;
    t.cellLesionsPerNt[r][c] += perNt;
    t.cellPerTrack[r][c] += weight;
}

}  // namespace detail

// Adds a cluster of class `code` at positions first..last with `lesions`
// lesions of which `strandBreaks` are Sb to its size row and to row 51, in
// its category and in ALL CLUSTERS, with the given per-track weight.
inline void addCluster(ClusterTally& t, TouchedEntries& touched, int code, std::int32_t first,
                       std::int32_t last, std::int32_t lesions, std::int32_t strandBreaks,
                       double weight)
{
    const std::int32_t length = last - first + 1;
    const double pctSb = static_cast<float>(strandBreaks) * 100.0F / static_cast<float>(lesions);
    const double perNt = static_cast<float>(lesions) * 0.5F / static_cast<float>(length);
    const double span = static_cast<double>(length);
    const std::size_t category = detail::categoryOfCode[static_cast<std::size_t>(code)];
    if (lesions >= 1 && lesions <= tallyRows - 1) {
        const auto n = static_cast<std::size_t>(lesions);
        detail::addToEntry(t, touched, n, category, pctSb, span, perNt, weight);
        detail::addToEntry(t, touched, n, tallyCategories, pctSb, span, perNt, weight);
    }
    detail::addToEntry(t, touched, tallyRows, category, pctSb, span, perNt, weight);
    detail::addToEntry(t, touched, tallyRows, tallyCategories, pctSb, span, perNt, weight);
}

// The clusters of one cell, added as the scan finds them, with the same
// result as addCluster for each. Clusters of a single lesion, the bulk of
// sparse damage, are the only ones in row 1, and their measures there (100 or
// 0 % Sb, length 1, 0.5 lesions per nucleotide) are whole numbers or halves,
// whose sums do not depend on the order of adding: row 1 is written once at
// the end of the cell from counts, with the per-track weights added up one by
// one as the entries would have received them.
struct CellClusterSums {
    ClusterTally& tally;
    TouchedEntries& touched;
    double weight;
    std::int32_t singleSsb = 0;     // single Sb: class 2, category SSB
    std::int32_t singleOther = 0;   // single Bd: class 1, category OTHER
    double trackSsb = 0.0;
    double trackOther = 0.0;
    double trackAll = 0.0;

    void add(int code, std::int32_t first, std::int32_t last, std::int32_t lesions,
             std::int32_t strandBreaks)
    {
        if (lesions != 1) {
            addCluster(tally, touched, code, first, last, lesions, strandBreaks, weight);
            return;
        }
        const bool ssb = strandBreaks == 1;
        const double pctSb = ssb ? 100.0 : 0.0;
        const std::size_t category = ssb ? 2 : 3;
        singleSsb += ssb ? 1 : 0;
        singleOther += ssb ? 0 : 1;
        trackSsb = ssb ? trackSsb + weight : trackSsb;
        trackOther = ssb ? trackOther : trackOther + weight;
        trackAll += weight;
        detail::addToEntry(tally, touched, tallyRows, category, pctSb, 1.0, 0.5, weight);
        detail::addToEntry(tally, touched, tallyRows, tallyCategories, pctSb, 1.0, 0.5, weight);
    }

    // Writes row 1, which nothing else touches during the cell.
    void finish()
    {
        writeSingles(2, singleSsb, singleSsb, trackSsb);
        writeSingles(3, singleOther, 0, trackOther);
        writeSingles(tallyCategories, singleSsb + singleOther, singleSsb, trackAll);
    }

private:
    void writeSingles(std::size_t c, std::int32_t count, std::int32_t strandBreaks, double track)
    {
        if (count == 0) {
            return;
        }
        touched.list[touched.count++] = {1, static_cast<std::uint8_t>(c)};
        const double n = static_cast<double>(count);
        tally.cellCount[1][c] = n;
        tally.cellPctSb[1][c] = 100.0 * static_cast<double>(strandBreaks);
        tally.cellLength[1][c] = n;
        tally.cellLesionsPerNt[1][c] = 0.5 * n;
        tally.cellPerTrack[1][c] = track;
    }
};

// Clears the per-cell part at the start of a cell: the entries that clusters
// reached since the last clear (the rest are still 0).
void clearCellTally(ClusterTally& tally, TouchedEntries& touched);

// Folds the cell into the run sums and adds the running class percentages.
// Only entries that clusters reached since the last clear are folded: the
// others would add 0 to every sum.
void endCell(ClusterTally& tally, const TouchedEntries& touched);

// Turns the run sums into means and standard errors of the mean over the
// `cells` cells of the run; entries no cell produced get the no-data marker.
void finaliseTally(ClusterTally& tally, std::int32_t cells);

}  // namespace kesp
