#include "damage/dnaSegment.h"

#include <algorithm>

#include "support/checkedAllocation.h"

namespace kesp {

DnaSegment& dnaSegment()
{
    static DnaSegment segment;
    return segment;
}

void allocateSegment(DnaSegment& segment, std::int32_t length)
{
    const std::int32_t sites = std::max(length, 0);
    const auto entries = static_cast<std::size_t>(sites) + 1;
    segment.strand1 = allocateOrStop<std::int32_t>(entries, "strand 1 of the DNA segment");
    segment.strand2 = allocateOrStop<std::int32_t>(entries, "strand 2 of the DNA segment");
    segment.baseType = allocateOrStop<std::int32_t>(entries, "the base types of the DNA segment");
    segment.length = sites;
}

void releaseSegment(DnaSegment& segment)
{
    segment = DnaSegment{};
}

void clearStrands(DnaSegment& segment)
{
    if (!segment.strand1) {
        return;
    }
    const auto entries = static_cast<std::ptrdiff_t>(segment.length) + 1;
    std::fill(segment.strand1.get(), segment.strand1.get() + entries, noLesion);
    std::fill(segment.strand2.get(), segment.strand2.get() + entries, noLesion);
}

}  // namespace kesp
