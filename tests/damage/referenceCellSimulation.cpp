#include "damage/referenceCellSimulation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "damage/chemicalRepair.h"
#include "damage/clusterTally.h"
#include "support/checkedAllocation.h"
#include "support/combinedGenerator.h"
#include "support/runError.h"
#include "support/randomStream.h"

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
        stopRun("Cannot place " + std::to_string(lesions) + " lesions on a DNA segment of "
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
        stopRun("Damage information for this DNA segment is missing");
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

void addToEntry(ClusterTally& t, std::size_t r, std::size_t c, double pctSb, double length,
                double perNt, double weight)
{
    t.cellCount[r][c] += 1.0;
    t.cellPctSb[r][c] += pctSb;
    t.cellLength[r][c] += length;
    t.cellLesionsPerNt[r][c] += perNt;
    t.cellPerTrack[r][c] += weight;
}

void foldEntry(ClusterTally& t, std::size_t r, std::size_t c)
{
    const double count = t.cellCount[r][c];
    t.sumCount[r][c] += count;
    t.sumSqCount[r][c] += count * count;
    t.sumPerTrack[r][c] += t.cellPerTrack[r][c];
    t.sumSqPerTrack[r][c] += t.cellPerTrack[r][c] * t.cellPerTrack[r][c];
    if (count > 0.0) {
        t.cellsWithClusters[r][c] += 1;
        t.cellPctSb[r][c] /= count;
        t.cellLength[r][c] /= count;
        t.cellLesionsPerNt[r][c] /= count;
        t.sumPctSb[r][c] += t.cellPctSb[r][c];
        t.sumSqPctSb[r][c] += t.cellPctSb[r][c] * t.cellPctSb[r][c];
        t.sumLength[r][c] += t.cellLength[r][c];
        t.sumSqLength[r][c] += t.cellLength[r][c] * t.cellLength[r][c];
        t.sumLesionsPerNt[r][c] += t.cellLesionsPerNt[r][c];
        t.sumSqLesionsPerNt[r][c] += t.cellLesionsPerNt[r][c] * t.cellLesionsPerNt[r][c];
    }
}

double percentOf(std::int64_t numerator, std::int64_t denominator)
{
    if (denominator == 0) {
        return 0.0;
    }
    return static_cast<float>(numerator) * 100.0F / static_cast<float>(denominator);
}

void addClassPercentages(ClusterTally& t)
{
    std::array<std::int64_t, clusterClasses + 1> n{};
    for (std::size_t code = 1; code <= clusterClasses; ++code) {
        n[code] = t.classCount[code];
    }
    const std::int64_t all = n[1] + n[2] + n[3] + n[4] + n[5] + n[6] + n[7] + n[8] + n[9];
    const std::int64_t ssb = n[2] + n[3] + n[4] + n[5];
    const std::int64_t dsb = n[6] + n[7] + n[8] + n[9];
    const std::array<double, classPercentages + 1> pct{
        0.0,
        percentOf(n[1], all),
        percentOf(n[2] + n[3], all),
        percentOf(n[4], all),
        percentOf(n[5], all),
        percentOf(n[6] + n[7], all),
        percentOf(n[8], all),
        percentOf(n[9], all),
        percentOf(n[4] + n[5], ssb),
        percentOf(n[3] + n[4] + n[5], ssb),
        percentOf(n[8] + n[9], dsb),
        percentOf(n[7] + n[8] + n[9], dsb),
    };
    for (std::size_t k = 1; k <= classPercentages; ++k) {
        t.classPct[k] += pct[k];
    }
}

// ---- Cells ----

void tallySegmentClusters(Cells& cells, double weight)
{
    ClusterBounds cluster;
    do {
        cluster = nextCluster(cells.segment, cells.clusterCursor);
        const ClusterClass found = classifyCluster(cells.segment, cluster.first, cluster.last);
        cells.tally.classCount[static_cast<std::size_t>(found.code)] += 1;
        tallyCluster(cells.tally, found.code, cluster.first, cluster.last, found.lesions,
                     found.strandBreaks, weight);
    } while (cluster.more);
}

void simulateCell(Cells& cells, const CellDose& dose)
{
    drawBaseTypes(cells.segment, cells.generator);
    placeLesions(cells.segment, dose.yields, dose.fbl, cells.generator);
    applyChemicalRepair(cells.segment, dose.yields, cells.streams);
    clearCellTally(cells.tally);
    tallySegmentClusters(cells, dose.trackWeight);
    endCell(cells.tally);
}

double classTotal(const ClusterTally& tally, int firstCode, int lastCode)
{
    std::int64_t total = 0;
    for (int code = firstCode; code <= lastCode; ++code) {
        total += tally.classCount[static_cast<std::size_t>(code)];
    }
    return static_cast<double>(total);
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

void placeLesions(DnaSegment& segment, const DamageYields& yields, double fbl, CombinedState& generator)
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

void clearCellTally(ClusterTally& t)
{
    for (TallyArray<double>* array :
         {&t.cellCount, &t.cellPctSb, &t.cellLength, &t.cellLesionsPerNt, &t.cellPerTrack}) {
        for (auto& row : *array) {
            row.fill(0.0);
        }
    }
}

void tallyCluster(ClusterTally& t, int code, std::int32_t first, std::int32_t last,
                  std::int32_t lesions, std::int32_t strandBreaks, double weight)
{
    const std::int32_t length = last - first + 1;
    const float pctSb = static_cast<float>(strandBreaks) * 100.0F / static_cast<float>(lesions);
    const float perNt = static_cast<float>(lesions) * 0.5F / static_cast<float>(length);
    const std::size_t category = code >= 6 ? 1 : code >= 2 ? 2 : 3;
    if (lesions >= 1 && lesions <= tallyRows - 1) {
        const auto n = static_cast<std::size_t>(lesions);
        addToEntry(t, n, category, pctSb, length, perNt, weight);
        addToEntry(t, n, tallyCategories, pctSb, length, perNt, weight);
    }
    addToEntry(t, tallyRows, category, pctSb, length, perNt, weight);
    addToEntry(t, tallyRows, tallyCategories, pctSb, length, perNt, weight);
}

void endCell(ClusterTally& t)
{
    for (std::size_t r = 1; r <= tallyRows; ++r) {
        for (std::size_t c = 1; c <= tallyCategories; ++c) {
            foldEntry(t, r, c);
        }
    }
    addClassPercentages(t);
}

ProgressCounts simulateCells(Cells& cells, const CellDose& dose, int count)
{
    if (count <= 0) {
        return ProgressCounts{};
    }
    for (int cell = 0; cell < count; ++cell) {
        simulateCell(cells, dose);
    }
    return ProgressCounts{classTotal(cells.tally, 2, 5) / 6.0, classTotal(cells.tally, 6, 9) / 6.0,
                          classTotal(cells.tally, 1, 9) / 6.0};
}

}  // namespace kesp::reference
