#include "kesp/damage/lesionPlacement.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "kesp/support/combinedGenerator.h"
#include "kesp/support/runError.h"

namespace kesp {

namespace {

// The segment's arrays held in locals for the placement loops (the byte
// stores of lesion codes would otherwise make every access reload them).
struct PlacementView {
    std::uint64_t* words;       // strand 1's words, then strand 2's
    std::uint8_t* codes;
    std::size_t wordsPerStrand;
    std::size_t positions;      // length + 1: codes per strand
};

// The combined generator's draws in order, computed a block ahead. Each
// draw's position, should it be the first of a pair, is worked out for the
// whole block at once, where the compiler can use vector instructions.
class PlacementDraws {
public:
    PlacementDraws(const CombinedState& state, double length) : blocks_(state), length_(length)
    {
        refill();
    }

    // Computes the next block.
    void refill()
    {
        blocks_.fill(values_);
        for (std::size_t i = 0; i < CombinedBlocks::size; ++i) {
            positions_[i] = static_cast<std::int32_t>(length_ * static_cast<double>(values_[i])) + 1;
        }
    }

    double value(std::size_t slot) const { return values_[slot]; }
    std::size_t position(std::size_t slot) const { return static_cast<std::size_t>(positions_[slot]); }

    // The generator's state after the first `taken` draws of the block.
    CombinedState stateAfter(std::size_t taken) const { return blocks_.stateAfter(taken); }

private:
    CombinedBlocks blocks_;
    double length_;
    CombinedBlocks::Values values_;
    std::array<std::int32_t, CombinedBlocks::size> positions_;
};

// Where placement stands in the draws. A local of its own, so that the
// compiler keeps the count in a register: the byte stores of lesion codes
// may alias anything kept in memory, which would then be reloaded.
struct DrawCursor {
    PlacementDraws& draws;
    std::size_t taken = 0;

    // The next draw: its slot in the block.
    std::size_t take()
    {
        if (taken == CombinedBlocks::size) {
            draws.refill();
            taken = 0;
        }
        return CombinedBlocks::slot(taken++);
    }
};

struct Site {
    std::size_t position;
    std::size_t strandIndex;
};

// Draws position and strand until a free site turns up, marks it occupied
// and returns it. Every rejected pair is consumed, so the sequence of draws
// does not depend on the outcome.
inline Site occupyFreeSite(const PlacementView& view, DrawCursor& cursor)
{
    for (;;) {
        const auto position = static_cast<std::size_t>(cursor.draws.position(cursor.take()));
        const std::size_t strandIndex = cursor.draws.value(cursor.take()) < 0.5 ? 0 : 1;
        std::uint64_t& word = view.words[strandIndex * view.wordsPerStrand + position / 64];
        const std::uint64_t bit = std::uint64_t{1} << (position % 64);
        if ((word & bit) == 0) {
            word |= bit;
            return Site{position, strandIndex};
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
        stopRun(ErrorKind::physics, "Cannot place " + std::to_string(lesions) + " lesions on a DNA segment of "
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
                  CombinedState& generator, std::vector<std::uint64_t>* strandBreakMap)
{
    requireRoomForLesions(segment, yields);
    clearStrands(segment);
    const PlacementView view{segment.occupied.get(), segment.codes.get(), segment.wordsPerStrand,
                             static_cast<std::size_t>(segment.length) + 1};
    PlacementDraws draws(generator, static_cast<double>(segment.length));
    DrawCursor cursor{draws};
    const auto store = [&view](const Site& site, std::int32_t code) {
        view.codes[site.strandIndex * view.positions + site.position] = static_cast<std::uint8_t>(code);
    };
    for (std::int32_t i = 0; i < yields.strandBreaks; ++i) {
        store(occupyFreeSite(view, cursor), strandBreak);
    }
    if (strandBreakMap != nullptr) {
        copyOccupancy(segment, *strandBreakMap);
    }
    std::int32_t baseLesions = 0;
    for (std::int32_t i = 0; i < yields.baseDamages; ++i) {
        const Site site = occupyFreeSite(view, cursor);
        const bool isBaseLesion = draws.value(cursor.take()) < fbl;
        store(site, isBaseLesion ? baseLesion : baseDamage);
        baseLesions += isBaseLesion ? 1 : 0;
    }
    segment.lesionCounts = {0, std::max(yields.strandBreaks, 0), std::max(yields.baseDamages, 0) - baseLesions,
                            baseLesions};
    generator = draws.stateAfter(cursor.taken);
}

}  // namespace kesp
