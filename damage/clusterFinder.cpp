#include "damage/clusterFinder.h"

#include <algorithm>

#include "damage/damageYields.h"
#include "support/orderlyStop.h"

namespace kesp {

namespace {

// Where the search for the next cluster starts; 1 between cells.
std::int32_t clusterCursor = 1;

ClusterBounds finishSegment(std::int32_t first, std::int32_t last)
{
    clusterCursor = 1;
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

// True when some Sb has a Sb on the other strand at its own position or up to
// 9 positions further on, within the cluster.
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
        const std::int32_t windowEnd = std::min(p + maxDsbSeparationBp - 1, last);
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
        return baseDamages == 0 ? classDsb : classDsbWithBd;
    }
    return strandBreaks == 3 ? classDsbPlus : classDsbPlusPlus;
}

int ssbClass(const LesionCounts& counts)
{
    if (counts.strand1 + counts.strand2 == 1) {
        return counts.baseDamages == 0 ? classSsb : classSsbWithBd;
    }
    return counts.strand1 == 0 || counts.strand2 == 0 ? classSsbPlus : classTwoSsb;
}

}  // namespace

ClusterBounds nextCluster(const DnaSegment& segment)
{
    std::int32_t i = firstLesionFrom(segment, clusterCursor);
    const std::int32_t first = i;
    std::int32_t last = i;
    for (;;) {
        ++i;
        if (i > segment.length) {
            return finishSegment(first, last);
        }
        std::int32_t gap = 0;
        while (!hasLesion(segment, i)) {
            ++i;
            if (i > segment.length) {
                return finishSegment(first, last);
            }
            ++gap;
        }
        if (gap >= minClusterSeparationBp) {
            clusterCursor = i;
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
        result.code = classBaseDamageOnly;
    } else if (containsDsb(segment, first, last)) {
        result.code = dsbClass(strandBreaks, counts.baseDamages);
    } else {
        result.code = ssbClass(counts);
    }
    return result;
}

}  // namespace kesp
