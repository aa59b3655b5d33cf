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

#include "kesp/support/combinedGenerator.h"

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

// A cell's lesions as its clusters see them, in two maps laid out like the
// segment's occupancy words (strand 1's, then strand 2's): the sites that
// hold a lesion after chemical repair, and the sites where strand breaks
// were placed (a strand break that repair removed is in the second map
// only). Clusters tell base damages and base lesions not apart, so the two
// maps say all a cell's clusters need, in a seventh of the bytes of the
// segment: far less to hand from one core to another.
struct LesionMaps {
    std::vector<std::uint64_t> lesions;
    std::vector<std::uint64_t> strandBreaks;
};

// Allocates max(length, 0) empty positions per strand; stops the run when
// memory runs out.
void allocateSegment(DnaSegment& segment, std::int32_t length);
// Frees the arrays; the base-type skip stays for the next allocation.
void releaseSegment(DnaSegment& segment);

// Empties every site.
void clearStrands(DnaSegment& segment);

// Copies the occupancy words of both strands into a map.
void copyOccupancy(const DnaSegment& segment, std::vector<std::uint64_t>& map);

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
