#include "damage/lesionPlacement.h"

#include <cstdint>
#include <string>

#include "support/combinedGenerator.h"
#include "support/orderlyStop.h"

namespace kesp {

namespace {

// Draws position and strand from the local generator state until a free site
// turns up, and marks it occupied. Every rejected pair is consumed, so the
// sequence of draws does not depend on the outcome.
std::size_t occupyFreeSite(DnaSegment& segment, CombinedState& generator)
{
    const double length = static_cast<double>(segment.length);
    for (;;) {
        const double u1 = drawCombined(generator);
        const auto position = static_cast<std::size_t>(static_cast<std::int32_t>(length * u1) + 1);
        const double u2 = drawCombined(generator);
        const int strand = u2 < 0.5 ? 1 : 2;
        std::uint64_t& word = strandWords(segment, strand)[position / 64];
        const std::uint64_t bit = std::uint64_t{1} << (position % 64);
        if ((word & bit) == 0) {
            word |= bit;
            return siteIndex(segment, strand, static_cast<std::int32_t>(position));
        }
    }
}

// Placement by rejection only ends if every lesion can find a free site.
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

}  // namespace

void skipBaseTypes(const DnaSegment& segment)
{
    CombinedState generator = combinedState();
    jumpCombined(generator, segment.baseTypeSkip);
    setCombinedState(generator);
}

void placeLesions(DnaSegment& segment, const DamageYields& yields, double fbl)
{
    requireRoomForLesions(segment, yields);
    clearStrands(segment);
    CombinedState generator = combinedState();
    for (std::int32_t i = 0; i < yields.strandBreaks; ++i) {
        segment.codes[occupyFreeSite(segment, generator)] = strandBreak;
        ++segment.lesionCounts[strandBreak];
    }
    for (std::int32_t i = 0; i < yields.baseDamages; ++i) {
        const std::size_t site = occupyFreeSite(segment, generator);
        const double u3 = drawCombined(generator);
        const std::int32_t code = u3 < fbl ? baseLesion : baseDamage;
        segment.codes[site] = static_cast<std::uint8_t>(code);
        ++segment.lesionCounts[static_cast<std::size_t>(code)];
    }
    setCombinedState(generator);
}

}  // namespace kesp
