#pragma once
/// \file
/// Cluster statistics of a run: per-cell tallies, run sums and, after
/// finalisation, means and standard errors.

#include <array>
#include <cstdint>

namespace kesp {

/// Rows of a tally table. Rows 1..50: clusters of that many lesions; 51: all.
inline constexpr int tallyRows = 51;
/// Categories (columns) of a tally table: 1 DSB, 2 SSB, 3 OTHER, 4 ALL CLUSTERS.
inline constexpr int tallyCategories = 4;
/// Cluster classes, by class code 1..9: 1 a lone base damage, 2 to 5 the SSB
/// category, 6 to 9 the DSB category.
inline constexpr int clusterClasses = 9;
/// Class percentages of TABLE 1: BD, SSB, SSB+, 2SSB, DSB, DSB+, DSB++, SSBc,
/// SSBcb, DSBc, DSBcb.
inline constexpr int classPercentages = 11;
/// The value of a finalised entry that no cell produced (the report prints it
/// as -1).
inline constexpr double noDataMarker = -1.0;

/// A table of the tally: indexed [row][category] with rows 1..51 and
/// categories 1..4; index 0 is unused so that the code reads like the tables
/// it fills.
template <typename T>
using TallyArray = std::array<std::array<T, tallyCategories + 1>, tallyRows + 1>;

/// The run's sums over its cells (all zero in a new tally). After
/// finaliseTally() the sum arrays hold means and the sum-of-squares arrays
/// standard errors of the mean. The counts and per-track counts are summed
/// over all cells; % Sb, length and lesions per nucleotide are each cell's
/// mean over its clusters, summed over the cells that had clusters in the
/// entry.
struct ClusterTally {
    /// Clusters of each class code 1..9 over the run (index 0 unused).
    /// 64 bits: a run of a million cells holds several billion clusters.
    std::array<std::int64_t, clusterClasses + 1> classCount{};
    TallyArray<double> sumCount{};           ///< clusters per cell (TABLE 2); finalised: mean over the cells
    TallyArray<double> sumSqCount{};         ///< squares of the clusters per cell; finalised: SEM of the mean
    TallyArray<double> sumPerTrack{};        ///< clusters per cell weighted per track (TABLE 6); finalised: mean
    TallyArray<double> sumSqPerTrack{};      ///< squares of the per-track counts; finalised: SEM of the mean
    TallyArray<double> sumPctSb{};           ///< % of the lesions that are Sb (TABLE 3); finalised: mean
    TallyArray<double> sumSqPctSb{};         ///< squares of the % Sb; finalised: SEM of the mean
    TallyArray<double> sumLength{};          ///< cluster length, bp (TABLE 4); finalised: mean
    TallyArray<double> sumSqLength{};        ///< squares of the lengths; finalised: SEM of the mean
    TallyArray<double> sumLesionsPerNt{};    ///< lesions per nucleotide (TABLE 5); finalised: mean
    TallyArray<double> sumSqLesionsPerNt{};  ///< squares of the lesions per nucleotide; finalised: SEM of the mean
    TallyArray<std::int32_t> cellsWithClusters{};  ///< cells with at least one cluster in the entry
    /// The class percentages of TABLE 1, entries 1..11 (index 0 unused):
    /// after each cell the percentages of the run so far are added;
    /// finalised, their mean over the cells.
    std::array<double, classPercentages + 1> classPct{};

    /// Equal when every sum and count is equal.
    bool operator==(const ClusterTally&) const = default;
};

/// The (row, category) entries that clusters reached since a cell's tally
/// was last cleared, each once: only these need clearing and folding, since
/// every other entry of the cell's tally is 0 (and adding 0 to a run sum
/// leaves it as it is). An entry is new when its cell count is still 0.
/// Entries are kept as row * (tallyCategories + 1) + category; 16-bit, not
/// bytes, since a byte store may alias anything and would make the compiler
/// reload the sums it keeps in registers.
struct TouchedEntries {
    std::array<std::uint16_t, tallyRows * tallyCategories> list{};  ///< the entries reached, the first `count` in use
    std::size_t count = 0;  ///< how many entries were reached

    /// Records entry (r, c) as reached; the caller adds each entry once.
    void add(std::size_t r, std::size_t c)
    {
        list[count++] = static_cast<std::uint16_t>(r * (tallyCategories + 1) + c);
    }
    /// The row of the i-th entry reached.
    std::size_t row(std::size_t i) const { return list[i] / (tallyCategories + 1); }
    /// The category of the i-th entry reached.
    std::size_t category(std::size_t i) const { return list[i] % (tallyCategories + 1); }
};

/// The clusters of one cell, gathered apart from the run's sums until the
/// cell is folded into them (cleared at the start of each cell): counts and
/// sums by entry, the entries reached, and the clusters of each class.
struct CellTally {
    TallyArray<double> count{};         ///< clusters of the cell in each entry
    TallyArray<double> pctSb{};         ///< sum over the entry's clusters of their % Sb
    TallyArray<double> length{};        ///< sum over the entry's clusters of their length, bp
    TallyArray<double> lesionsPerNt{};  ///< sum over the entry's clusters of their lesions per nucleotide
    TallyArray<double> perTrack{};      ///< sum over the entry's clusters of their per-track weight
    TouchedEntries touched;             ///< the entries clusters reached since the last clear
    std::array<std::int64_t, clusterClasses + 1> classCount{};  ///< clusters of each class code 1..9
};

namespace detail {

/// Category of each class code: 1 DSB (codes 6-9), 2 SSB (2-5), 3 OTHER (1).
inline constexpr std::array<std::size_t, clusterClasses + 1> categoryOfCode{0, 3, 2, 2, 2,
                                                                            2, 1, 1, 1, 1};

/// What a cluster adds to each of its entries: its share of Sb in per cent
/// and its lesions per nucleotide in single precision, its length.
struct ClusterMeasures {
    double pctSb;
    double length;
    double perNt;
};

inline ClusterMeasures measuresOf(std::int32_t first, std::int32_t last, std::int32_t lesions,
                                  std::int32_t strandBreaks)
{
    const std::int32_t length = last - first + 1;
    return ClusterMeasures{
        static_cast<float>(strandBreaks) * 100.0F / static_cast<float>(lesions),
        static_cast<double>(length),
        static_cast<float>(lesions) * 0.5F / static_cast<float>(length)};
}

inline void addToEntry(CellTally& t, std::size_t r, std::size_t c, const ClusterMeasures& m, double weight)
{
    if (t.count[r][c] == 0.0) {
        t.touched.add(r, c);
    }
    t.count[r][c] += 1.0;
    t.pctSb[r][c] += m.pctSb;
    t.length[r][c] += m.length;
    t.lesionsPerNt[r][c] += m.perNt;
    t.perTrack[r][c] += weight;
}

/// Adds a cluster of 1 to 50 lesions to its size row, in its category and in
/// ALL CLUSTERS; larger clusters have no size row.
inline void addToSizeRow(CellTally& t, std::int32_t lesions, std::size_t category, const ClusterMeasures& m,
                         double weight)
{
    if (lesions >= 1 && lesions <= tallyRows - 1) {
        const auto n = static_cast<std::size_t>(lesions);
        addToEntry(t, n, category, m, weight);
        addToEntry(t, n, tallyCategories, m, weight);
    }
}

/// The per-cell sums of one entry, gathered apart from the tally, in the
/// order the clusters come, and written to it once.
struct EntrySums {
    std::int32_t count = 0;
    double pctSb = 0.0;
    double length = 0.0;
    double perNt = 0.0;
    double perTrack = 0.0;

    /// Adds where `reached`, without a branch.
    void addIf(bool reached, double pct, double span, double nt, double weight)
    {
        count += reached ? 1 : 0;
        pctSb = reached ? pctSb + pct : pctSb;
        length = reached ? length + span : length;
        perNt = reached ? perNt + nt : perNt;
        perTrack = reached ? perTrack + weight : perTrack;
    }

    void writeTo(CellTally& t, std::size_t r, std::size_t c) const
    {
        if (count == 0) {
            return;
        }
        t.touched.add(r, c);
        t.count[r][c] = static_cast<double>(count);
        t.pctSb[r][c] = pctSb;
        t.length[r][c] = length;
        t.lesionsPerNt[r][c] = perNt;
        t.perTrack[r][c] = perTrack;
    }
};

}  // namespace detail

/// Adds a cluster of class `code` at positions first..last with `lesions`
/// lesions of which `strandBreaks` are Sb to its size row and to row 51, in
/// its category and in ALL CLUSTERS, with the given per-track weight.
inline void addCluster(CellTally& t, int code, std::int32_t first, std::int32_t last, std::int32_t lesions,
                       std::int32_t strandBreaks, double weight)
{
    const detail::ClusterMeasures m = detail::measuresOf(first, last, lesions, strandBreaks);
    const std::size_t category = detail::categoryOfCode[static_cast<std::size_t>(code)];
    detail::addToSizeRow(t, lesions, category, m, weight);
    detail::addToEntry(t, tallyRows, category, m, weight);
    detail::addToEntry(t, tallyRows, tallyCategories, m, weight);
}

/// The clusters of one cell, added as the scan finds them, with the same
/// result as addCluster for each. Row 51 (all sizes) is gathered apart, where
/// the compiler can keep it in registers, and written at the end of the cell;
/// its sums receive the same values in the same order as addCluster would add
/// them. The clusters are also added to the cell's class counts. Clusters of a single lesion, the bulk of sparse damage, are the only
/// ones in row 1, and their measures there (100 or 0 % Sb, length 1, 0.5
/// lesions per nucleotide) are whole numbers or halves, whose sums do not
/// depend on the order of adding: row 1 is written once at the end of the
/// cell from counts, with the per-track weights added up one by one as the
/// entries would have received them.
struct CellClusterSums {
    CellTally& cell;                ///< the cell's tally the sums are written to
    double weight;                  ///< the per-track weight of each cluster of the cell
    std::int32_t singleSsb = 0;     ///< single Sb: class 2, category SSB
    std::int32_t singleOther = 0;   ///< single Bd: class 1, category OTHER
    double trackSsb = 0.0;          ///< per-track weights of the single Sb, added one by one
    double trackOther = 0.0;        ///< per-track weights of the single Bd, added one by one
    double trackAll = 0.0;          ///< per-track weights of all single lesions, added one by one
    detail::EntrySums allDsb{};     ///< row 51, category DSB
    detail::EntrySums allSsb{};     ///< row 51, category SSB
    detail::EntrySums allOther{};   ///< row 51, category OTHER
    detail::EntrySums allClusters{};  ///< row 51, ALL CLUSTERS

    /// Adds a cluster of class `code` at positions first..last with `lesions`
    /// lesions of which `strandBreaks` are Sb, as addCluster() would.
    void add(int code, std::int32_t first, std::int32_t last, std::int32_t lesions,
             std::int32_t strandBreaks)
    {
        if (lesions != 1) {
            addSeveral(code, first, last, lesions, strandBreaks);
            return;
        }
        const bool ssb = strandBreaks == 1;
        const double pctSb = ssb ? 100.0 : 0.0;
        singleSsb += ssb ? 1 : 0;
        singleOther += ssb ? 0 : 1;
        trackSsb = ssb ? trackSsb + weight : trackSsb;
        trackOther = ssb ? trackOther : trackOther + weight;
        trackAll += weight;
        allSsb.addIf(ssb, pctSb, 1.0, 0.5, weight);
        allOther.addIf(!ssb, pctSb, 1.0, 0.5, weight);
        allClusters.addIf(true, pctSb, 1.0, 0.5, weight);
    }

    /// Writes row 1 and row 51, which nothing else touches during the cell,
    /// and counts the single lesions' classes. Called once, after the cell's
    /// last cluster.
    void finish()
    {
        cell.classCount[2] += singleSsb;
        cell.classCount[1] += singleOther;
        writeSingles(2, singleSsb, singleSsb, trackSsb);
        writeSingles(3, singleOther, 0, trackOther);
        writeSingles(tallyCategories, singleSsb + singleOther, singleSsb, trackAll);
        allDsb.writeTo(cell, tallyRows, 1);
        allSsb.writeTo(cell, tallyRows, 2);
        allOther.writeTo(cell, tallyRows, 3);
        allClusters.writeTo(cell, tallyRows, tallyCategories);
    }

private:
    void addSeveral(int code, std::int32_t first, std::int32_t last, std::int32_t lesions,
                    std::int32_t strandBreaks)
    {
        cell.classCount[static_cast<std::size_t>(code)] += 1;
        const detail::ClusterMeasures m = detail::measuresOf(first, last, lesions, strandBreaks);
        const std::size_t category = detail::categoryOfCode[static_cast<std::size_t>(code)];
        detail::addToSizeRow(cell, lesions, category, m, weight);
        allDsb.addIf(category == 1, m.pctSb, m.length, m.perNt, weight);
        allSsb.addIf(category == 2, m.pctSb, m.length, m.perNt, weight);
        allOther.addIf(category == 3, m.pctSb, m.length, m.perNt, weight);
        allClusters.addIf(true, m.pctSb, m.length, m.perNt, weight);
    }

    void writeSingles(std::size_t c, std::int32_t count, std::int32_t strandBreaks, double track)
    {
        if (count == 0) {
            return;
        }
        cell.touched.add(1, c);
        const double n = static_cast<double>(count);
        cell.count[1][c] = n;
        cell.pctSb[1][c] = 100.0 * static_cast<double>(strandBreaks);
        cell.length[1][c] = n;
        cell.lesionsPerNt[1][c] = 0.5 * n;
        cell.perTrack[1][c] = track;
    }
};

/// Clears a cell's tally at the start of a cell: the entries that clusters
/// reached since the last clear (the rest are still 0) and the class counts.
void clearCellTally(CellTally& cell);

/// Folds the cell into the run sums and class counts and adds the running
/// class percentages. Only entries that clusters reached since the last
/// clear are folded: the others would add 0 to every sum. Leaves the cell's
/// figures of pct Sb, length and lesions per nucleotide as means.
void endCell(ClusterTally& tally, CellTally& cell);

/// Turns the run sums into means and standard errors of the mean over the
/// `cells` cells of the run; entries no cell produced get the no-data marker.
void finaliseTally(ClusterTally& tally, std::int32_t cells);

/// The standard error of the mean of n values from the sum of their squares
/// and their mean, as finaliseTally forms it; 0 when rounding makes the
/// variance negative. n >= 2.
double standardErrorOfMean(double sumOfSquares, double mean, std::int32_t n);

/// The DSB of a group of cells for a cell of the reference DNA content: the
/// sum over the cells of each cell's DSB and of its square. Counts are whole
/// numbers, so the sums are exact and a group's sums are the difference of
/// the run's sums after and before it.
struct DsbCounts {
    double sum = 0.0;           ///< sum over the cells of each cell's DSB per Gy
    double sumOfSquares = 0.0;  ///< sum over the cells of the square of each cell's DSB per Gy

    /// Equal when both sums are equal.
    bool operator==(const DsbCounts&) const = default;
};

/// The DSB sums of a tally that is not yet finalised.
DsbCounts dsbCounts(const ClusterTally& running);

}  // namespace kesp
