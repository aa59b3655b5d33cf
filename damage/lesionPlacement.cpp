#include "damage/lesionPlacement.h"

#include <array>
#include <cstdint>
#include <string>

#include "support/combinedGenerator.h"
#include "support/orderlyStop.h"

namespace kesp {

namespace {

// Cumulative shares of the four base types.
constexpr std::array<float, 4> baseTypeThresholds{0.3F, 0.6F, 0.8F, 1.0F};

std::int32_t drawBaseType()
{
    const double u = nextCombined();
    std::int32_t type = 1;
    for (const float threshold : baseTypeThresholds) {
        if (static_cast<double>(threshold) > u) {
            return type;
        }
        ++type;
    }
    return static_cast<std::int32_t>(baseTypeThresholds.size());  // unreachable: u < 1
}

// Draws position and strand until a free site turns up. Every rejected pair
// is consumed, so the sequence of draws does not depend on the outcome.
std::int32_t& drawFreeSite(DnaSegment& segment)
{
    for (;;) {
        const double u1 = nextCombined();
        const std::int32_t position =
            static_cast<std::int32_t>(static_cast<double>(segment.length) * u1) + 1;
        const double u2 = nextCombined();
        const int strand = u2 < 0.5 ? 1 : 2;
        std::int32_t& site = lesionAt(segment, strand, position);
        if (site == noLesion) {
            return site;
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

void drawBaseTypes(DnaSegment& segment)
{
    for (std::int32_t position = 1; position <= segment.length; ++position) {
        segment.baseType[static_cast<std::size_t>(position)] = drawBaseType();
    }
}

void placeLesions(DnaSegment& segment, const DamageYields& yields, double fbl)
{
    requireRoomForLesions(segment, yields);
    clearStrands(segment);
    for (std::int32_t i = 0; i < yields.strandBreaks; ++i) {
        drawFreeSite(segment) = strandBreak;
    }
    for (std::int32_t i = 0; i < yields.baseDamages; ++i) {
        std::int32_t& site = drawFreeSite(segment);
        const double u3 = nextCombined();
        site = u3 < fbl ? baseLesion : baseDamage;
    }
}

}  // namespace kesp
