#include "kesp/damage/clusterTally.h"

#include <cmath>

namespace kesp {

namespace {

void foldEntry(ClusterTally& t, CellTally& cell, std::size_t r, std::size_t c)
{
    const double count = cell.count[r][c];
    t.sumCount[r][c] += count;
    t.sumSqCount[r][c] += count * count;
    t.sumPerTrack[r][c] += cell.perTrack[r][c];
    t.sumSqPerTrack[r][c] += cell.perTrack[r][c] * cell.perTrack[r][c];
    if (count > 0.0) {
        t.cellsWithClusters[r][c] += 1;
        cell.pctSb[r][c] /= count;
        cell.length[r][c] /= count;
        cell.lesionsPerNt[r][c] /= count;
        t.sumPctSb[r][c] += cell.pctSb[r][c];
        t.sumSqPctSb[r][c] += cell.pctSb[r][c] * cell.pctSb[r][c];
        t.sumLength[r][c] += cell.length[r][c];
        t.sumSqLength[r][c] += cell.length[r][c] * cell.length[r][c];
        t.sumLesionsPerNt[r][c] += cell.lesionsPerNt[r][c];
        t.sumSqLesionsPerNt[r][c] += cell.lesionsPerNt[r][c] * cell.lesionsPerNt[r][c];
    }
}

// Percentage in single precision. Before the run's first cluster of the
// denominator's kind there is no percentage to form; the cell then adds 0.
double percentOf(std::int64_t numerator, std::int64_t denominator)
{
    if (denominator == 0) {
        return 0.0;
    }
    return static_cast<float>(numerator) * 100.0F / static_cast<float>(denominator);
}

void addClassPercentages(ClusterTally& tally)
{
    std::array<std::int64_t, clusterClasses + 1> n{};
    for (std::size_t code = 1; code <= clusterClasses; ++code) {
        n[code] = tally.classCount[code];
    }
    const std::int64_t all = n[1] + n[2] + n[3] + n[4] + n[5] + n[6] + n[7] + n[8] + n[9];
    const std::int64_t ssb = n[2] + n[3] + n[4] + n[5];
    const std::int64_t dsb = n[6] + n[7] + n[8] + n[9];
    const std::array<double, classPercentages + 1> pct{
        0.0,
        percentOf(n[1], all),                // BD
        percentOf(n[2] + n[3], all),         // SSB
        percentOf(n[4], all),                // SSB+
        percentOf(n[5], all),                // 2SSB
        percentOf(n[6] + n[7], all),         // DSB
        percentOf(n[8], all),                // DSB+
        percentOf(n[9], all),                // DSB++
        percentOf(n[4] + n[5], ssb),         // SSBc
        percentOf(n[3] + n[4] + n[5], ssb),  // SSBcb
        percentOf(n[8] + n[9], dsb),         // DSBc
        percentOf(n[7] + n[8] + n[9], dsb),  // DSBcb
    };
    for (std::size_t k = 1; k <= classPercentages; ++k) {
        tally.classPct[k] += pct[k];
    }
}

// Mean and SEM over the l cells that had the entry, in place.
void averageOverCells(double& sum, double& sumSq, std::int32_t l)
{
    const double mean = sum / static_cast<double>(l);
    sum = mean;
    sumSq = standardErrorOfMean(sumSq, mean, l);
}

void markNoData(ClusterTally& t, std::size_t r, std::size_t c)
{
    for (TallyArray<double>* array :
         {&t.sumCount, &t.sumSqCount, &t.sumPerTrack, &t.sumSqPerTrack, &t.sumPctSb,
          &t.sumSqPctSb, &t.sumLength, &t.sumSqLength, &t.sumLesionsPerNt,
          &t.sumSqLesionsPerNt}) {
        (*array)[r][c] = noDataMarker;
    }
}

void finaliseEntry(ClusterTally& t, std::size_t r, std::size_t c, std::int32_t cells)
{
    double semCount = 0.0;
    double semTrack = 0.0;
    if (cells >= 2) {
        t.sumCount[r][c] /= static_cast<double>(cells);
        t.sumPerTrack[r][c] /= static_cast<double>(cells);
        semCount = standardErrorOfMean(t.sumSqCount[r][c], t.sumCount[r][c], cells);
        semTrack = standardErrorOfMean(t.sumSqPerTrack[r][c], t.sumPerTrack[r][c], cells);
    }
    const std::int32_t withClusters = t.cellsWithClusters[r][c];
    if (withClusters == 0) {
        markNoData(t, r, c);
        return;
    }
    t.sumSqCount[r][c] = semCount;
    if (withClusters == 1) {
        t.sumSqPerTrack[r][c] = 0.0;
        t.sumSqPctSb[r][c] = 0.0;
        t.sumSqLength[r][c] = 0.0;
        t.sumSqLesionsPerNt[r][c] = 0.0;
        return;
    }
    t.sumSqPerTrack[r][c] = semTrack;
    averageOverCells(t.sumPctSb[r][c], t.sumSqPctSb[r][c], withClusters);
    averageOverCells(t.sumLength[r][c], t.sumSqLength[r][c], withClusters);
    averageOverCells(t.sumLesionsPerNt[r][c], t.sumSqLesionsPerNt[r][c], withClusters);
}

}  // namespace

double standardErrorOfMean(double sumOfSquares, double mean, std::int32_t n)
{
    const double variance = sumOfSquares - static_cast<double>(n) * (mean * mean);
    if (variance < 0.0) {
        return 0.0;
    }
    return std::sqrt(variance / static_cast<double>(n - 1) / static_cast<double>(n));
}

DsbCounts dsbCounts(const ClusterTally& running)
{
    constexpr std::size_t all = tallyRows;
    constexpr std::size_t dsb = 1;
    return {running.sumCount[all][dsb], running.sumSqCount[all][dsb]};
}

void clearCellTally(CellTally& cell)
{
    const TouchedEntries& touched = cell.touched;
    for (std::size_t i = 0; i < touched.count; ++i) {
        const std::size_t r = touched.row(i);
        const std::size_t c = touched.category(i);
        cell.count[r][c] = 0.0;
        cell.pctSb[r][c] = 0.0;
        cell.length[r][c] = 0.0;
        cell.lesionsPerNt[r][c] = 0.0;
        cell.perTrack[r][c] = 0.0;
    }
    cell.touched.count = 0;
    cell.classCount = {};
}

void endCell(ClusterTally& tally, CellTally& cell)
{
    const TouchedEntries& touched = cell.touched;
    for (std::size_t i = 0; i < touched.count; ++i) {
        foldEntry(tally, cell, touched.row(i), touched.category(i));
    }
    for (std::size_t code = 1; code <= clusterClasses; ++code) {
        tally.classCount[code] += cell.classCount[code];
    }
    addClassPercentages(tally);
}

void finaliseTally(ClusterTally& tally, std::int32_t cells)
{
    if (cells >= 1) {
        for (std::size_t k = 1; k <= classPercentages; ++k) {
            tally.classPct[k] /= static_cast<double>(cells);
        }
    }
    for (std::size_t r = 1; r <= tallyRows; ++r) {
        for (std::size_t c = 1; c <= tallyCategories; ++c) {
            finaliseEntry(tally, r, c, cells);
        }
    }
}

}  // namespace kesp
