#include "damage/lesionPlacement.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "support/combinedGenerator.h"
#include "support/runError.h"

namespace kesp {

namespace {

// The segment's arrays held in locals for the placement loops (the byte
// stores of lesion codes would otherwise make every access reload them).
struct PlacementView {
    std::uint64_t* words;       // strand 1's words, then strand 2's
    std::uint8_t* codes;
    std::size_t wordsPerStrand;
    std::size_t positions;      // length + 1: codes per strand
    double length;
};

// Draws position and strand from the local generator state until a free site
// turns up, marks it occupied and returns its index into the codes. Every
// rejected pair is consumed, so the sequence of draws does not depend on the
// outcome.
inline std::size_t occupyFreeSite(const PlacementView& view, CombinedState& generator)
{
    for (;;) {
        const double u1 = drawCombined(generator);
        const auto position =
            static_cast<std::size_t>(static_cast<std::int32_t>(view.length * u1) + 1);
        const double u2 = drawCombined(generator);
        const std::size_t strandIndex = u2 < 0.5 ? 0 : 1;
        std::uint64_t& word = view.words[strandIndex * view.wordsPerStrand + position / 64];
        const std::uint64_t bit = std::uint64_t{1} << (position % 64);
        if ((word & bit) == 0) {
            word |= bit;
            return strandIndex * view.positions + position;
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

void skipBaseTypes(const DnaSegment& segment, CombinedState& generator)
{
    jumpCombined(generator, segment.baseTypeSkip);
}

void placeLesions(DnaSegment& segment, const DamageYields& yields, double fbl,
                  CombinedState& runGenerator)
{
    requireRoomForLesions(segment, yields);
    clearStrands(segment);
    const PlacementView view{segment.occupied.get(), segment.codes.get(), segment.wordsPerStrand,
                             static_cast<std::size_t>(segment.length) + 1,
                             static_cast<double>(segment.length)};
    // A local copy, so that the loops keep the state in registers.
    CombinedState generator = runGenerator;
    std::array<std::int32_t, 4> counts{};
    for (std::int32_t i = 0; i < yields.strandBreaks; ++i) {
        view.codes[occupyFreeSite(view, generator)] = strandBreak;
        ++counts[strandBreak];
    }
    for (std::int32_t i = 0; i < yields.baseDamages; ++i) {
        const std::size_t site = occupyFreeSite(view, generator);
        const double u3 = drawCombined(generator);
        const std::int32_t code = u3 < fbl ? baseLesion : baseDamage;
        view.codes[site] = static_cast<std::uint8_t>(code);
        ++counts[static_cast<std::size_t>(code)];
    }
    segment.lesionCounts = counts;
    runGenerator = generator;
}

}  // namespace kesp
