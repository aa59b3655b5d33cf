#include "kesp/damage/dnaSegment.h"

#include <algorithm>

#include "kesp/support/checkedAllocation.h"

namespace kesp {

void allocateSegment(DnaSegment& segment, std::int32_t length)
{
    const std::int32_t sites = std::max(length, 0);
    const auto positions = static_cast<std::size_t>(sites) + 1;
    segment.wordsPerStrand = positions / 64 + 1;
    segment.occupied =
        allocateOrStop<std::uint64_t>(2 * segment.wordsPerStrand, "the lesion map of the DNA segment");
    segment.codes = allocateOrStop<std::uint8_t>(2 * positions, "the lesion codes of the DNA segment");
    segment.lesionCounts = {};
    segment.repairList.reset();
    segment.repairCapacity = 0;
    segment.sitesBefore =
        allocateOrStop<std::uint32_t>(2 * segment.wordsPerStrand + 1, "the chemical repair index");
    segment.length = sites;
    if (segment.baseTypeSkip.steps != static_cast<std::uint64_t>(sites)) {
        segment.baseTypeSkip = makeCombinedJump(static_cast<std::uint64_t>(sites));
    }
}

void releaseSegment(DnaSegment& segment)
{
    CombinedJump skip = std::move(segment.baseTypeSkip);
    segment = DnaSegment{};
    segment.baseTypeSkip = std::move(skip);
}

void clearStrands(DnaSegment& segment)
{
    // Codes are read only where the bit is set, so the bits are all there is
    // to clear.
    if (segment.occupied) {
        std::fill_n(segment.occupied.get(), 2 * segment.wordsPerStrand, std::uint64_t{0});
    }
    segment.lesionCounts = {};
}

void copyOccupancy(const DnaSegment& segment, std::vector<std::uint64_t>& map)
{
    map.assign(segment.occupied.get(), segment.occupied.get() + 2 * segment.wordsPerStrand);
}

}  // namespace kesp
