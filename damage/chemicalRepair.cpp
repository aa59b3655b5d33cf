#include "kesp/damage/chemicalRepair.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "kesp/support/checkedAllocation.h"
#include "kesp/support/processorFeatures.h"
#include "kesp/support/randomStream.h"

namespace kesp {

namespace {

// The repair draws pick entry i of the list of occupied sites, strand 1 by
// increasing position, then strand 2: the order of the occupancy words. Two
// ways give the same picks: with many draws the list is written out once;
// with few, the i-th occupied site is looked up from the number of occupied
// sites before each word, which saves walking all the lesions.
constexpr std::int32_t fewDrawsPerLesion = 16;

std::size_t siteOfWordBit(const DnaSegment& segment, std::size_t word, std::uint64_t bits)
{
    const std::size_t strandIndex = word / segment.wordsPerStrand;
    const std::size_t position =
        (word % segment.wordsPerStrand) * 64 + static_cast<std::size_t>(std::countr_zero(bits));
    return strandIndex * (static_cast<std::size_t>(segment.length) + 1) + position;
}

// Entry i looked up: the word holding it, then its bit within the word.
struct IndexedSites {
    const DnaSegment& segment;

    std::size_t operator[](std::size_t i) const
    {
        const std::uint32_t* before = segment.sitesBefore.get();
        std::size_t low = 0;
        std::size_t high = 2 * segment.wordsPerStrand;  // before[high] > i
        while (high - low > 1) {
            const std::size_t middle = (low + high) / 2;
            if (before[middle] <= i) {
                low = middle;
            } else {
                high = middle;
            }
        }
        std::uint64_t bits = segment.occupied[low];
        for (std::size_t skip = i - before[low]; skip > 0; --skip) {
            bits &= bits - 1;
        }
        return siteOfWordBit(segment, low, bits);
    }
};

// The number of bits set before each word, and in all.
[[gnu::always_inline]] inline void countBitsBefore(const std::uint64_t* words, std::size_t count,
                                                   std::uint32_t* before)
{
    std::uint32_t total = 0;
    for (std::size_t w = 0; w < count; ++w) {
        before[w] = total;
        total += static_cast<std::uint32_t>(__builtin_popcountll(words[w]));
    }
    before[count] = total;
}

// The same, built for processors with an instruction that counts bits (the
// other form counts them in a library call).
KESP_FOR_BIT_COUNT void countBitsBeforeFast(const std::uint64_t* words, std::size_t count,
                                                   std::uint32_t* before)
{
    countBitsBefore(words, count, before);
}

IndexedSites indexSites(DnaSegment& segment)
{
    if (hasBitCount()) {
        countBitsBeforeFast(segment.occupied.get(), 2 * segment.wordsPerStrand, segment.sitesBefore.get());
    } else {
        countBitsBefore(segment.occupied.get(), 2 * segment.wordsPerStrand, segment.sitesBefore.get());
    }
    return IndexedSites{segment};
}

// The list written out.
struct ListedSites {
    const std::int32_t* sites;

    std::size_t operator[](std::size_t i) const { return static_cast<std::size_t>(sites[i]); }
};

std::int32_t* workList(DnaSegment& segment, std::size_t size)
{
    if (segment.repairCapacity < size) {
        segment.repairList = allocateOrStop<std::int32_t>(size, "the chemical repair list");
        segment.repairCapacity = size;
    }
    return segment.repairList.get();
}

ListedSites listSites(DnaSegment& segment, std::size_t size)
{
    std::int32_t* sites = workList(segment, size);
    std::size_t next = 0;
    for (std::size_t w = 0; w < 2 * segment.wordsPerStrand; ++w) {
        for (std::uint64_t bits = segment.occupied[w]; bits != 0; bits &= bits - 1) {
            sites[next++] = static_cast<std::int32_t>(siteOfWordBit(segment, w, bits));
        }
    }
    return ListedSites{sites};
}

// Draws entries until `count` sites holding `code` are emptied; entries of
// another code or already emptied are drawn again. Stops early once no site
// with `code` is left. The sites' codes are cleared at once, their occupancy
// bits only afterwards (see clearEmptiedBits), so that the entries keep
// their places in the list.
template <typename Sites>
void removeLesions(DnaSegment& segment, const Sites& sites, std::size_t size, std::int32_t code,
                   std::int32_t count, RandomStreams& streams, std::vector<std::size_t>& emptied)
{
    const std::int32_t available = segment.lesionCounts[static_cast<std::size_t>(code)];
    std::int32_t removed = 0;
    while (removed < count && removed < available) {
        const double u = streams.uniform(chemicalRepairStream);
        const std::size_t site = sites[static_cast<std::size_t>(u * static_cast<double>(size))];
        if (segment.codes[site] == code) {
            segment.codes[site] = static_cast<std::uint8_t>(noLesion);
            emptied.push_back(site);
            ++removed;
        }
    }
    segment.lesionCounts[static_cast<std::size_t>(code)] -= removed;
}

void clearEmptiedBits(DnaSegment& segment, const std::vector<std::size_t>& emptied)
{
    const std::size_t positions = static_cast<std::size_t>(segment.length) + 1;
    for (const std::size_t site : emptied) {
        const std::size_t strandIndex = site / positions;
        const std::size_t position = site % positions;
        segment.occupied[strandIndex * segment.wordsPerStrand + position / 64] &=
            ~(std::uint64_t{1} << (position % 64));
    }
}

template <typename Sites>
void removeFrom(DnaSegment& segment, const Sites& sites, std::size_t size,
                std::int32_t strandBreaksToRemove, std::int32_t baseDamagesToRemove,
                RandomStreams& streams)
{
    std::vector<std::size_t> emptied;  // the sites emptied
    emptied.reserve(static_cast<std::size_t>(strandBreaksToRemove + baseDamagesToRemove));
    removeLesions(segment, sites, size, strandBreak, strandBreaksToRemove, streams, emptied);
    removeLesions(segment, sites, size, baseDamage, baseDamagesToRemove, streams, emptied);
    clearEmptiedBits(segment, emptied);
}

}  // namespace

std::int32_t repairCount(std::int32_t placed, double repairProbability)
{
    const double kept = std::trunc(static_cast<double>(placed) * (1.0 - repairProbability) + 0.5);
    // Also no repair when the product is not a number (no lesion placed and an
    // infinite probability from extreme oxygen parameters).
    if (!(kept < static_cast<double>(placed))) {
        return 0;
    }
    if (kept <= 0.0) {
        return placed;
    }
    return placed - static_cast<std::int32_t>(kept);
}

void applyChemicalRepair(DnaSegment& segment, const DamageYields& yields, RandomStreams& streams)
{
    const std::int32_t strandBreaksToRemove =
        repairCount(yields.strandBreaks, yields.repairProbability);
    const std::int32_t baseDamagesToRemove =
        repairCount(yields.baseDamages, yields.repairProbability);
    if (strandBreaksToRemove == 0 && baseDamagesToRemove == 0) {
        return;  // nothing to draw
    }
    const std::array<std::int32_t, 4>& counts = segment.lesionCounts;
    const auto size = static_cast<std::size_t>(counts[1] + counts[2] + counts[3]);
    const std::int64_t toRemove = std::int64_t{strandBreaksToRemove} + baseDamagesToRemove;
    if (toRemove * fewDrawsPerLesion < static_cast<std::int64_t>(size)) {
        removeFrom(segment, indexSites(segment), size, strandBreaksToRemove, baseDamagesToRemove,
                   streams);
    } else {
        removeFrom(segment, listSites(segment, size), size, strandBreaksToRemove,
                   baseDamagesToRemove, streams);
    }
}

}  // namespace kesp
