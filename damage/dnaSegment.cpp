#include "damage/dnaSegment.h"

#include <algorithm>

#include "support/checkedAllocation.h"

namespace kesp {

namespace {

// The jump for the last segment length asked for: mixed fields prepare the
// same particle type again for every left-over cell.
const CombinedJump& skipFor(std::int32_t length)
{
    static CombinedJump jump = makeCombinedJump(0);
    const auto steps = static_cast<std::uint64_t>(length);
    if (jump.steps != steps) {
        jump = makeCombinedJump(steps);
    }
    return jump;
}

}  // namespace

DnaSegment& dnaSegment()
{
    static DnaSegment segment;
    return segment;
}

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
    segment.baseTypeSkip = skipFor(sites);
}

void releaseSegment(DnaSegment& segment)
{
    segment = DnaSegment{};
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

}  // namespace kesp
