#include "kesp/damage/lesionPlacement.h"

#include <gtest/gtest.h>

#include <array>

#include "damage/runErrorMessage.h"
#include "kesp/support/combinedGenerator.h"

namespace kesp {
namespace {

// Number of sites holding each lesion code 0..3, both strands.
std::array<int, 4> countCodes(const DnaSegment& segment)
{
    std::array<int, 4> counts{};
    for (int strand = 1; strand <= 2; ++strand) {
        for (std::int32_t p = 1; p <= segment.length; ++p) {
            ++counts[static_cast<std::size_t>(lesionAt(segment, strand, p))];
        }
    }
    return counts;
}

TEST(LesionPlacementTest, baseTypeSkipTakesOneDrawPerPosition)
{
    for (const std::int32_t length : {0, 1, 1000, 149200}) {
        DnaSegment segment;
        allocateSegment(segment, length);
        CombinedState skipped = seededCombined(99);
        skipBaseTypes(segment, skipped);
        CombinedState drawn = seededCombined(99);
        for (std::int32_t p = 1; p <= length; ++p) {
            drawCombined(drawn);
        }
        EXPECT_EQ(drawn, skipped) << "length " << length;
    }
}

TEST(LesionPlacementTest, lesionLandsWhereItsDrawsPoint)
{
    DnaSegment segment;
    allocateSegment(segment, 1000);
    CombinedState draws = seededCombined(7);
    const double u1 = drawCombined(draws);
    const double u2 = drawCombined(draws);
    const double u3 = drawCombined(draws);
    const auto position = static_cast<std::int32_t>(1000.0 * u1) + 1;
    const int strand = u2 < 0.5 ? 1 : 2;

    CombinedState generator = seededCombined(7);
    placeLesions(segment, DamageYields{1000, 0, 1, 0.0}, u3, generator);  // u3 < fbl fails: a Bd
    EXPECT_EQ(lesionAt(segment, strand, position), baseDamage);
    EXPECT_EQ(generator, draws);  // a free site at the first try: three draws
    generator = seededCombined(7);
    placeLesions(segment, DamageYields{1000, 0, 1, 0.0}, u3 + 1e-9, generator);
    EXPECT_EQ(lesionAt(segment, strand, position), baseLesion);
    generator = seededCombined(7);
    placeLesions(segment, DamageYields{1000, 1, 0, 0.0}, 0.0, generator);
    EXPECT_EQ(lesionAt(segment, strand, position), strandBreak);
    EXPECT_EQ(countCodes(segment)[strandBreak], 1);
}

TEST(LesionPlacementTest, everyLesionGetsASiteOfItsOwn)
{
    DnaSegment segment;
    allocateSegment(segment, 1000);
    CombinedState generator = seededCombined(3);
    placeLesions(segment, DamageYields{1000, 50, 150, 0.0}, 0.0, generator);
    EXPECT_EQ(countCodes(segment), (std::array<int, 4>{1800, 50, 150, 0}));
    // Cleared first; all Bl.
    placeLesions(segment, DamageYields{1000, 50, 150, 0.0}, 1.0, generator);
    EXPECT_EQ(countCodes(segment), (std::array<int, 4>{1800, 50, 0, 150}));

    // As many lesions as sites: every site is filled and placement ends.
    DnaSegment small;
    allocateSegment(small, 5);
    placeLesions(small, DamageYields{5, 4, 6, 0.0}, 0.0, generator);
    EXPECT_EQ(countCodes(small), (std::array<int, 4>{0, 4, 6, 0}));
}

TEST(LesionPlacementTest, moreLesionsThanSitesStopsTheRun)
{
    DnaSegment segment;
    allocateSegment(segment, 10);
    CombinedState generator = seededCombined(3);
    EXPECT_EQ(test::runErrorMessage([&] {
                  placeLesions(segment, DamageYields{10, 15, 6, 0.0}, 0.0, generator);
              }),
              "Cannot place 21 lesions on a DNA segment of 10 bp (20 sites); the damage yields "
              "exceed the segment.");
}

}  // namespace
}  // namespace kesp
