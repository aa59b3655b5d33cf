#include "damage/chemicalRepair.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "support/checkedAllocation.h"
#include "support/randomStream.h"

namespace kesp {

namespace {

// Every occupied site as an index into the codes: strand 1 by increasing
// position, then strand 2, read from the occupancy bits a word at a time.
struct RepairList {
    const std::int32_t* sites = nullptr;
    std::size_t size = 0;
    std::int32_t strandBreaks = 0;   // entries holding code 1
    std::int32_t baseDamages = 0;    // entries holding code 2
};

std::int32_t* repairListOfSize(DnaSegment& segment, std::size_t size)
{
    if (segment.repairCapacity < size) {
        segment.repairList = allocateOrStop<std::int32_t>(size, "the chemical repair list");
        segment.repairCapacity = size;
    }
    return segment.repairList.get();
}

std::size_t countOccupied(const DnaSegment& segment)
{
    std::size_t count = 0;
    const std::uint64_t* words = segment.occupied.get();
    for (std::size_t w = 0; w < 2 * segment.wordsPerStrand; ++w) {
        count += static_cast<std::size_t>(std::popcount(words[w]));
    }
    return count;
}

RepairList buildRepairList(DnaSegment& segment)
{
    RepairList list;
    list.size = countOccupied(segment);
    std::int32_t* sites = repairListOfSize(segment, list.size);
    list.sites = sites;
    std::size_t next = 0;
    for (int strand = 1; strand <= 2; ++strand) {
        const std::uint64_t* words = strandWords(segment, strand);
        const std::size_t base = siteIndex(segment, strand, 0);
        for (std::size_t w = 0; w < segment.wordsPerStrand; ++w) {
            for (std::uint64_t bits = words[w]; bits != 0; bits &= bits - 1) {
                const std::size_t site = base + w * 64 + static_cast<std::size_t>(std::countr_zero(bits));
                const std::uint8_t code = segment.codes[site];
                list.strandBreaks += code == strandBreak ? 1 : 0;
                list.baseDamages += code == baseDamage ? 1 : 0;
                sites[next++] = static_cast<std::int32_t>(site);
            }
        }
    }
    return list;
}

// Empties the site at a codes index, bit and all.
void emptySite(DnaSegment& segment, std::size_t site)
{
    const std::size_t positions = static_cast<std::size_t>(segment.length) + 1;
    const std::size_t strandIndex = site / positions;
    const std::size_t position = site % positions;
    segment.occupied[strandIndex * segment.wordsPerStrand + position / 64] &=
        ~(std::uint64_t{1} << (position % 64));
    segment.codes[site] = static_cast<std::uint8_t>(noLesion);
}

// Draws list entries until `count` sites holding `code` are emptied; entries
// of another code or already emptied are drawn again. Stops early when the
// list holds no site with `code` any more.
void removeLesions(DnaSegment& segment, const RepairList& list, std::int32_t code,
                   std::int32_t count, std::int32_t available)
{
    std::int32_t removed = 0;
    while (removed < count && removed < available) {
        const double u = uniformStream(chemicalRepairStream);
        const auto i = static_cast<std::size_t>(u * static_cast<double>(list.size));
        const auto site = static_cast<std::size_t>(list.sites[i]);
        if (segment.codes[site] == code) {
            emptySite(segment, site);
            ++removed;
        }
    }
}

}  // namespace

std::int32_t repairCount(std::int32_t placed, double repairProbability)
{
    const double kept = std::trunc(static_cast<double>(placed) * (1.0 - repairProbability) + 0.5);
    if (kept >= static_cast<double>(placed)) {
        return 0;
    }
    if (kept <= 0.0) {
        return placed;
    }
    return placed - static_cast<std::int32_t>(kept);
}

void applyChemicalRepair(DnaSegment& segment, const DamageYields& yields)
{
    const std::int32_t strandBreaksToRemove =
        repairCount(yields.strandBreaks, yields.repairProbability);
    const std::int32_t baseDamagesToRemove =
        repairCount(yields.baseDamages, yields.repairProbability);
    if (strandBreaksToRemove == 0 && baseDamagesToRemove == 0) {
        return;  // nothing to draw, so no list to build
    }
    const RepairList list = buildRepairList(segment);
    removeLesions(segment, list, strandBreak, strandBreaksToRemove, list.strandBreaks);
    removeLesions(segment, list, baseDamage, baseDamagesToRemove, list.baseDamages);
}

}  // namespace kesp
