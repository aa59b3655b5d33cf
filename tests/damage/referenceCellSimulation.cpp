#include "damage/referenceCellSimulation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "kesp/damage/chemicalRepair.h"
#include "kesp/damage/clusterTally.h"
#include "kesp/support/checkedAllocation.h"
#include "kesp/support/combinedGenerator.h"
#include "kesp/support/runError.h"
#include "kesp/support/randomStream.h"

namespace kesp::reference {

namespace {

constexpr std::int32_t noLesion = 0;
constexpr std::int32_t strandBreak = 1;
constexpr std::int32_t baseDamage = 2;
constexpr std::int32_t baseLesion = 3;

// ---- DNA segment ----

void clearStrands(DnaSegment& segment)
{
    const auto entries = static_cast<std::ptrdiff_t>(segment.length) + 1;
    std::fill(segment.strand1.get(), segment.strand1.get() + entries, noLesion);
    std::fill(segment.strand2.get(), segment.strand2.get() + entries, noLesion);
}

bool hasLesion(const DnaSegment& segment, std::int32_t position)
{
    const auto p = static_cast<std::size_t>(position);
    return segment.strand1[p] != noLesion || segment.strand2[p] != noLesion;
}

// ---- Lesion placement ----

constexpr std::array<float, 4> baseTypeThresholds{0.3F, 0.6F, 0.8F, 1.0F};

std::int32_t drawBaseType(CombinedState& generator)
{
    const double u = drawCombined(generator);
    std::int32_t type = 1;
    for (const float threshold : baseTypeThresholds) {
        if (static_cast<double>(threshold) > u) {
            return type;
        }
        ++type;
    }
    return static_cast<std::int32_t>(baseTypeThresholds.size());
}

std::int32_t& drawFreeSite(DnaSegment& segment, CombinedState& generator)
{
    for (;;) {
        const double u1 = drawCombined(generator);
        const std::int32_t position =
            static_cast<std::int32_t>(static_cast<double>(segment.length) * u1) + 1;
        const double u2 = drawCombined(generator);
        const int strand = u2 < 0.5 ? 1 : 2;
        std::int32_t& site = lesionAt(segment, strand, position);
        if (site == noLesion) {
            return site;
        }
    }
}

void requireRoomForLesions(const DnaSegment& segment, const DamageYields& yields)
{
    const std::int64_t lesions =
        static_cast<std::int64_t>(yields.strandBreaks) + yields.baseDamages;
    const std::int64_t sites = 2 * static_cast<std::int64_t>(segment.length);
    if (lesions > sites) {
        stopRun(ErrorKind::physics, "Cannot place " + std::to_string(lesions) + " lesions on a DNA segment of "
                + std::to_string(segment.length) + " bp (" + std::to_string(sites)
                + " sites); the damage yields exceed the segment.");
    }
}

// ---- Chemical repair ----

struct RepairSite {
    std::int32_t position;
    std::int32_t strand;
};

struct RepairList {
    std::unique_ptr<RepairSite[]> sites;
    std::size_t size = 0;
    std::int32_t strandBreaks = 0;
    std::int32_t baseDamages = 0;
};

RepairList buildRepairList(const DnaSegment& segment)
{
    RepairList list;
    for (int strand = 1; strand <= 2; ++strand) {
        for (std::int32_t position = 1; position <= segment.length; ++position) {
            const std::int32_t code = lesionAt(segment, strand, position);
            list.size += code != noLesion ? 1U : 0U;
            list.strandBreaks += code == strandBreak ? 1 : 0;
            list.baseDamages += code == baseDamage ? 1 : 0;
        }
    }
    list.sites = allocateOrStop<RepairSite>(list.size, "the chemical repair list");
    std::size_t next = 0;
    for (int strand = 1; strand <= 2; ++strand) {
        for (std::int32_t position = 1; position <= segment.length; ++position) {
            if (lesionAt(segment, strand, position) != noLesion) {
                list.sites[next++] = RepairSite{position, strand};
            }
        }
    }
    return list;
}

void removeLesions(DnaSegment& segment, const RepairList& list, std::int32_t code,
                   std::int32_t count, std::int32_t available, RandomStreams& streams)
{
    std::int32_t removed = 0;
    while (removed < count && removed < available) {
        const double u = streams.uniform(chemicalRepairStream);
        const auto i = static_cast<std::size_t>(u * static_cast<double>(list.size));
        std::int32_t& site = lesionAt(segment, list.sites[i].strand, list.sites[i].position);
        if (site == code) {
            site = noLesion;
            ++removed;
        }
    }
}

// ---- Cluster finding ----

constexpr std::int32_t minClusterGap = 9;
constexpr std::int32_t dsbWindow = 10;

ClusterBounds finishSegment(std::int32_t& cursor, std::int32_t first, std::int32_t last)
{
    cursor = 1;
    return ClusterBounds{first, last, false};
}

std::int32_t firstLesionFrom(const DnaSegment& segment, std::int32_t position)
{
    while (position <= segment.length && !hasLesion(segment, position)) {
        ++position;
    }
    if (position > segment.length) {
        stopRun(ErrorKind::physics, "Damage information for this DNA segment is missing");
    }
    return position;
}

struct LesionCounts {
    std::int32_t strand1 = 0;
    std::int32_t strand2 = 0;
    std::int32_t baseDamages = 0;
};

LesionCounts countLesions(const DnaSegment& segment, std::int32_t first, std::int32_t last)
{
    LesionCounts counts;
    for (std::int32_t p = first; p <= last; ++p) {
        for (int strand = 1; strand <= 2; ++strand) {
            const std::int32_t code = lesionAt(segment, strand, p);
            if (code == strandBreak) {
                ++(strand == 1 ? counts.strand1 : counts.strand2);
            } else if (code != noLesion) {
                ++counts.baseDamages;
            }
        }
    }
    return counts;
}

bool containsDsb(const DnaSegment& segment, std::int32_t first, std::int32_t last)
{
    for (std::int32_t p = first; p <= last; ++p) {
        int otherStrand = 0;
        if (lesionAt(segment, 1, p) == strandBreak) {
            otherStrand = 2;
        } else if (lesionAt(segment, 2, p) == strandBreak) {
            otherStrand = 1;
        } else {
            continue;
        }
        const std::int32_t windowEnd = std::min(p + dsbWindow - 1, last);
        for (std::int32_t q = p; q <= windowEnd; ++q) {
            if (lesionAt(segment, otherStrand, q) == strandBreak) {
                return true;
            }
        }
    }
    return false;
}

int dsbClass(std::int32_t strandBreaks, std::int32_t baseDamages)
{
    if (strandBreaks == 2) {
        return baseDamages == 0 ? 6 : 7;
    }
    return strandBreaks == 3 ? 8 : 9;
}

int ssbClass(const LesionCounts& counts)
{
    if (counts.strand1 + counts.strand2 == 1) {
        return counts.baseDamages == 0 ? 2 : 3;
    }
    return counts.strand1 == 0 || counts.strand2 == 0 ? 4 : 5;
}

// ---- Tally ----

// Category of a class code: 1 DSB (codes 6-9), 2 SSB (2-5), 3 OTHER (1).
std::size_t categoryOf(int code)
{
    if (code >= 6) {
        return 1;
    }
    return code >= 2 ? 2 : 3;
}

// The cell's clusters by size row, each row in position order: row r
// (1..50) holds the clusters of r lesions, row 51 all of them.
using ClustersByRow = std::array<std::vector<CellCluster>, tallyRows + 1>;

ClustersByRow sortIntoRows(const std::vector<CellCluster>& clusters)
{
    ClustersByRow rows;
    for (const CellCluster& cluster : clusters) {
        if (cluster.lesions <= tallyRows - 1) {
            rows[static_cast<std::size_t>(cluster.lesions)].push_back(cluster);
        }
    }
    rows[tallyRows] = clusters;
    return rows;
}

// What one cell gives one entry: its number of clusters and their per-track
// sum, and the means of % Sb, length and lesions per nucleotide (0 without
// clusters). The measures of a cluster are worked out in single precision.
struct CellEntry {
    double count = 0.0;
    double pctSb = 0.0;
    double length = 0.0;
    double lesionsPerNt = 0.0;
    double perTrack = 0.0;
};

// The entry of a category (4: all categories) from the clusters of its row.
CellEntry cellEntry(const std::vector<CellCluster>& row, std::size_t category, double weight)
{
    CellEntry entry;
    for (const CellCluster& cluster : row) {
        if (category != tallyCategories && categoryOf(cluster.code) != category) {
            continue;
        }
        const std::int32_t length = cluster.last - cluster.first + 1;
        const auto lesions = static_cast<float>(cluster.lesions);
        entry.count += 1.0;
        entry.pctSb += static_cast<float>(cluster.strandBreaks) * 100.0F / lesions;
        entry.length += length;
        entry.lesionsPerNt += lesions * 0.5F / static_cast<float>(length);
        entry.perTrack += weight;
    }
    if (entry.count > 0.0) {
        entry.pctSb /= entry.count;
        entry.length /= entry.count;
        entry.lesionsPerNt /= entry.count;
    }
    return entry;
}

// Adds the cell's figures of the entry to the run sums: counts and
// per-track sums of every cell, the means of the cells that had a cluster
// in the entry.
void addCellEntry(ClusterTally& t, std::size_t r, std::size_t c, const CellEntry& cell)
{
    t.sumCount[r][c] += cell.count;
    t.sumSqCount[r][c] += cell.count * cell.count;
    t.sumPerTrack[r][c] += cell.perTrack;
    t.sumSqPerTrack[r][c] += cell.perTrack * cell.perTrack;
    if (cell.count > 0.0) {
        t.cellsWithClusters[r][c] += 1;
        t.sumPctSb[r][c] += cell.pctSb;
        t.sumSqPctSb[r][c] += cell.pctSb * cell.pctSb;
        t.sumLength[r][c] += cell.length;
        t.sumSqLength[r][c] += cell.length * cell.length;
        t.sumLesionsPerNt[r][c] += cell.lesionsPerNt;
        t.sumSqLesionsPerNt[r][c] += cell.lesionsPerNt * cell.lesionsPerNt;
    }
}

std::int64_t clustersOfCodes(const ClusterTally& tally, int firstCode, int lastCode)
{
    std::int64_t total = 0;
    for (int code = firstCode; code <= lastCode; ++code) {
        total += tally.classCount[static_cast<std::size_t>(code)];
    }
    return total;
}

// The class percentages in their order, each the share of the run's
// clusters of the codes partFirst..partLast among those of the codes
// wholeFirst..wholeLast: of all clusters, of the SSB category (2-5) or of
// the DSB category (6-9).
struct ClassShare {
    int partFirst;
    int partLast;
    int wholeFirst;
    int wholeLast;
};

constexpr std::array<ClassShare, classPercentages> classShares{{
    {1, 1, 1, 9},  // BD
    {2, 3, 1, 9},  // SSB
    {4, 4, 1, 9},  // SSB+
    {5, 5, 1, 9},  // 2SSB
    {6, 7, 1, 9},  // DSB
    {8, 8, 1, 9},  // DSB+
    {9, 9, 1, 9},  // DSB++
    {4, 5, 2, 5},  // SSBc
    {3, 5, 2, 5},  // SSBcb
    {8, 9, 6, 9},  // DSBc
    {7, 9, 6, 9},  // DSBcb
}};

// In single precision; 0 while the run has no cluster of the denominator's kind.
double percentage(std::int64_t part, std::int64_t whole)
{
    if (whole == 0) {
        return 0.0;
    }
    return static_cast<float>(part) * 100.0F / static_cast<float>(whole);
}

void addClassPercentages(ClusterTally& tally)
{
    for (std::size_t k = 0; k < classShares.size(); ++k) {
        const ClassShare& share = classShares[k];
        tally.classPct[k + 1] +=
            percentage(clustersOfCodes(tally, share.partFirst, share.partLast),
                       clustersOfCodes(tally, share.wholeFirst, share.wholeLast));
    }
}

// ---- Cells ----

std::vector<CellCluster> clustersOf(const DnaSegment& segment)
{
    std::vector<CellCluster> clusters;
    std::int32_t cursor = 1;
    ClusterBounds bounds;
    do {
        bounds = nextCluster(segment, cursor);
        const ClusterClass found = classifyCluster(segment, bounds.first, bounds.last);
        clusters.push_back(
            CellCluster{found.code, bounds.first, bounds.last, found.lesions, found.strandBreaks});
    } while (bounds.more);
    return clusters;
}

void simulateCell(Cells& cells, const CellDose& dose)
{
    drawBaseTypes(cells.segment, cells.generator);
    placeLesions(cells.segment, dose.yields, dose.fbl, cells.generator);
    applyChemicalRepair(cells.segment, dose.yields, cells.streams);
    tallyCell(cells.tally, clustersOf(cells.segment), dose.trackWeight);
}

}  // namespace

void allocateSegment(DnaSegment& segment, std::int32_t length)
{
    const std::int32_t sites = std::max(length, 0);
    const auto entries = static_cast<std::size_t>(sites) + 1;
    segment.strand1 = allocateOrStop<std::int32_t>(entries, "strand 1 of the DNA segment");
    segment.strand2 = allocateOrStop<std::int32_t>(entries, "strand 2 of the DNA segment");
    segment.baseType = allocateOrStop<std::int32_t>(entries, "the base types of the DNA segment");
    segment.length = sites;
}

std::int32_t& lesionAt(DnaSegment& segment, int strand, std::int32_t position)
{
    return (strand == 1 ? segment.strand1 : segment.strand2)[static_cast<std::size_t>(position)];
}

std::int32_t lesionAt(const DnaSegment& segment, int strand, std::int32_t position)
{
    return (strand == 1 ? segment.strand1 : segment.strand2)[static_cast<std::size_t>(position)];
}

void drawBaseTypes(DnaSegment& segment, CombinedState& generator)
{
    for (std::int32_t position = 1; position <= segment.length; ++position) {
        segment.baseType[static_cast<std::size_t>(position)] = drawBaseType(generator);
    }
}

void placeLesions(DnaSegment& segment, const DamageYields& yields, double fbl,
                  CombinedState& generator)
{
    requireRoomForLesions(segment, yields);
    clearStrands(segment);
    for (std::int32_t i = 0; i < yields.strandBreaks; ++i) {
        drawFreeSite(segment, generator) = strandBreak;
    }
    for (std::int32_t i = 0; i < yields.baseDamages; ++i) {
        std::int32_t& site = drawFreeSite(segment, generator);
        const double u3 = drawCombined(generator);
        site = u3 < fbl ? baseLesion : baseDamage;
    }
}

void applyChemicalRepair(DnaSegment& segment, const DamageYields& yields, RandomStreams& streams)
{
    const std::int32_t strandBreaksToRemove =
        repairCount(yields.strandBreaks, yields.repairProbability);
    const std::int32_t baseDamagesToRemove =
        repairCount(yields.baseDamages, yields.repairProbability);
    const RepairList list = buildRepairList(segment);
    removeLesions(segment, list, strandBreak, strandBreaksToRemove, list.strandBreaks, streams);
    removeLesions(segment, list, baseDamage, baseDamagesToRemove, list.baseDamages, streams);
}

ClusterBounds nextCluster(const DnaSegment& segment, std::int32_t& cursor)
{
    std::int32_t i = firstLesionFrom(segment, cursor);
    const std::int32_t first = i;
    std::int32_t last = i;
    for (;;) {
        ++i;
        if (i > segment.length) {
            return finishSegment(cursor, first, last);
        }
        std::int32_t gap = 0;
        while (!hasLesion(segment, i)) {
            ++i;
            if (i > segment.length) {
                return finishSegment(cursor, first, last);
            }
            ++gap;
        }
        if (gap >= minClusterGap) {
            cursor = i;
            return ClusterBounds{first, last, true};
        }
        last = i;
    }
}

ClusterClass classifyCluster(const DnaSegment& segment, std::int32_t first, std::int32_t last)
{
    const LesionCounts counts = countLesions(segment, first, last);
    const std::int32_t strandBreaks = counts.strand1 + counts.strand2;
    ClusterClass result{0, strandBreaks + counts.baseDamages, strandBreaks};
    if (strandBreaks == 0) {
        result.code = 1;
    } else if (containsDsb(segment, first, last)) {
        result.code = dsbClass(strandBreaks, counts.baseDamages);
    } else {
        result.code = ssbClass(counts);
    }
    return result;
}

void tallyCell(ClusterTally& tally, const std::vector<CellCluster>& clusters, double weight)
{
    for (const CellCluster& cluster : clusters) {
        tally.classCount[static_cast<std::size_t>(cluster.code)] += 1;
    }
    const ClustersByRow rows = sortIntoRows(clusters);
    for (std::size_t r = 1; r <= tallyRows; ++r) {
        for (std::size_t c = 1; c <= tallyCategories; ++c) {
            addCellEntry(tally, r, c, cellEntry(rows[r], c, weight));
        }
    }
    addClassPercentages(tally);
}

ProgressCounts simulateCells(Cells& cells, const CellDose& dose, int count)
{
    if (count <= 0) {
        return ProgressCounts{};
    }
    for (int cell = 0; cell < count; ++cell) {
        simulateCell(cells, dose);
    }
    const ClusterTally& t = cells.tally;
    return ProgressCounts{static_cast<double>(clustersOfCodes(t, 2, 5)) / 6.0,
                          static_cast<double>(clustersOfCodes(t, 6, 9)) / 6.0,
                          static_cast<double>(clustersOfCodes(t, 1, 9)) / 6.0};
}

}  // namespace kesp::reference
