#pragma once
// Hand-placed lesions on a DNA segment, for the tests of repair and clustering.

#include <cstdint>
#include <vector>

#include "kesp/damage/dnaSegment.h"

namespace kesp::test {

struct Lesion {
    std::int32_t position;
    int strand;
    std::int32_t code;
};

inline DnaSegment segmentWith(std::int32_t length, const std::vector<Lesion>& lesions)
{
    DnaSegment segment;
    allocateSegment(segment, length);
    for (const Lesion& lesion : lesions) {
        setLesion(segment, lesion.strand, lesion.position, lesion.code);
    }
    return segment;
}

}  // namespace kesp::test
