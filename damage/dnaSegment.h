#pragma once
// The DNA segment one simulated cell receives: two strands of base-pair
// positions 1..length. Each strand keeps a bit per position telling whether it
// holds a lesion, and a lesion code per position that is meaningful only where
// the bit is set. A cell touches only its lesions: placement sets bits and
// codes, clearing resets just those, and scans go a 64-bit word at a time.
// The base-type column the model draws for every cell is never read, so it is
// not stored; its draws are skipped with a jump of the combined generator.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "support/combinedGenerator.h"

namespace kesp {

// Lesion codes of a site.
inline constexpr std::int32_t noLesion = 0;
inline constexpr std::int32_t strandBreak = 1;     // Sb
inline constexpr std::int32_t baseDamage = 2;      // Bd, removable by chemical repair
inline constexpr std::int32_t baseLesion = 3;      // Bl: counts as a Bd, never repaired

struct DnaSegment {
    std::int32_t length = 0;          // base-pair positions per strand
    std::size_t wordsPerStrand = 0;   // 64-bit occupancy words per strand
    // Strand 1's words, then strand 2's; bit p % 64 of word p / 64 is position p.
    std::unique_ptr<std::uint64_t[]> occupied;
    // Strand 1's codes at positions 0..length, then strand 2's (entry 0 unused).
    std::unique_ptr<std::uint8_t[]> codes;
    // Number of sites holding each lesion code 1..3 (entry 0 unused).
    std::array<std::int32_t, 4> lesionCounts{};
    // Work space of chemical repair: site indices (see siteIndex), and the
    // number of occupied sites before each occupancy word.
    std::unique_ptr<std::int32_t[]> repairList;
    std::size_t repairCapacity = 0;
    std::unique_ptr<std::uint32_t[]> sitesBefore;
    // Advances the combined generator past the cell's base-type draws; kept
    // when the segment is released, since mixed fields prepare the same
    // particle type again for every left-over cell.
    CombinedJump baseTypeSkip;
};

// A lesion at a site: its position, its strand (0 or 1) and its code. Not
// bytes, whose stores may alias anything and slow the loops that write them.
struct SiteLesion {
    std::uint32_t position;
    std::uint16_t strandIndex;
    std::uint16_t code;
};

// What placement and chemical repair did to a segment, for rebuilding it
// elsewhere: the lesions in the order placed, then the ones repair removed.
struct LesionRecord {
    std::vector<SiteLesion> placed;
    std::vector<SiteLesion> repaired;
};

// Allocates max(length, 0) empty positions per strand; stops the run when
// memory runs out.
void allocateSegment(DnaSegment& segment, std::int32_t length);
// Frees the arrays; the base-type skip stays for the next allocation.
void releaseSegment(DnaSegment& segment);

// Empties every site.
void clearStrands(DnaSegment& segment);

// Gives a segment of the recorded segment's length the recorded lesions.
void rebuildSegment(DnaSegment& segment, const LesionRecord& record);

// Index of a site into codes.
inline std::size_t siteIndex(const DnaSegment& segment, int strand, std::int32_t position)
{
    return static_cast<std::size_t>(strand - 1) * (static_cast<std::size_t>(segment.length) + 1)
           + static_cast<std::size_t>(position);
}

inline std::uint64_t* strandWords(DnaSegment& segment, int strand)
{
    return segment.occupied.get() + static_cast<std::size_t>(strand - 1) * segment.wordsPerStrand;
}

inline const std::uint64_t* strandWords(const DnaSegment& segment, int strand)
{
    return segment.occupied.get() + static_cast<std::size_t>(strand - 1) * segment.wordsPerStrand;
}

inline bool isOccupied(const DnaSegment& segment, int strand, std::int32_t position)
{
    const auto p = static_cast<std::size_t>(position);
    return (strandWords(segment, strand)[p / 64] >> (p % 64)) & 1U;
}

inline std::int32_t lesionAt(const DnaSegment& segment, int strand, std::int32_t position)
{
    return isOccupied(segment, strand, position) ? segment.codes[siteIndex(segment, strand, position)]
                                                 : noLesion;
}

// Stores a lesion code (noLesion empties the site).
inline void setLesion(DnaSegment& segment, int strand, std::int32_t position, std::int32_t code)
{
    const auto p = static_cast<std::size_t>(position);
    const std::uint64_t bit = std::uint64_t{1} << (p % 64);
    std::uint64_t& word = strandWords(segment, strand)[p / 64];
    const std::size_t site = siteIndex(segment, strand, position);
    if (word & bit) {
        --segment.lesionCounts[segment.codes[site]];
    }
    word = code == noLesion ? word & ~bit : word | bit;
    segment.codes[site] = static_cast<std::uint8_t>(code);
    if (code != noLesion) {
        ++segment.lesionCounts[static_cast<std::size_t>(code)];
    }
}

}  // namespace kesp
