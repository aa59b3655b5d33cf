#pragma once
// The DNA segment one simulated cell receives: two strands of lesion codes and
// a column of base types, one entry per base-pair position 1..length.

#include <cstdint>
#include <memory>

namespace kesp {

// Lesion codes of a site.
inline constexpr std::int32_t noLesion = 0;
inline constexpr std::int32_t strandBreak = 1;     // Sb
inline constexpr std::int32_t baseDamage = 2;      // Bd, removable by chemical repair
inline constexpr std::int32_t baseLesion = 3;      // Bl: counts as a Bd, never repaired

struct DnaSegment {
    std::int32_t length = 0;  // base-pair positions per column
    // Entry p is position p; entry 0 is unused.
    std::unique_ptr<std::int32_t[]> strand1;
    std::unique_ptr<std::int32_t[]> strand2;
    std::unique_ptr<std::int32_t[]> baseType;  // 1..4
};

// The segment of the particle type being simulated.
DnaSegment& dnaSegment();

// Allocates max(length, 0) zeroed positions per column; stops the run when
// memory runs out.
void allocateSegment(DnaSegment& segment, std::int32_t length);
void releaseSegment(DnaSegment& segment);

// Clears every site of both strands.
void clearStrands(DnaSegment& segment);

inline std::int32_t& lesionAt(DnaSegment& segment, int strand, std::int32_t position)
{
    return (strand == 1 ? segment.strand1 : segment.strand2)[static_cast<std::size_t>(position)];
}

inline std::int32_t lesionAt(const DnaSegment& segment, int strand, std::int32_t position)
{
    return (strand == 1 ? segment.strand1 : segment.strand2)[static_cast<std::size_t>(position)];
}

// True when either strand holds a lesion at the position.
inline bool hasLesion(const DnaSegment& segment, std::int32_t position)
{
    const auto p = static_cast<std::size_t>(position);
    return segment.strand1[p] != noLesion || segment.strand2[p] != noLesion;
}

}  // namespace kesp
