#include "kesp/damage/chemicalRepair.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "damage/segmentWithLesions.h"
#include "kesp/support/randomStream.h"

namespace kesp {
namespace {

using test::Lesion;
using test::segmentWith;

std::vector<std::int32_t> codesOf(const DnaSegment& segment, const std::vector<Lesion>& lesions)
{
    std::vector<std::int32_t> codes;
    for (const Lesion& lesion : lesions) {
        codes.push_back(lesionAt(segment, lesion.strand, lesion.position));
    }
    return codes;
}

DamageYields yields(std::int32_t strandBreaks, std::int32_t baseDamages, double repairProbability)
{
    return DamageYields{100, strandBreaks, baseDamages, repairProbability};
}

TEST(ChemicalRepairTest, repairCountRoundsTheLesionsKept)
{
    EXPECT_EQ(repairCount(1300, 0.0), 0);
    // 1300 / 1.74 = 747.13 kept, so 553 removed (anoxic cell, low zeb).
    EXPECT_EQ(repairCount(1300, 1.0 - 1.0 / 1.74), 553);
    EXPECT_EQ(repairCount(3, 0.9), 3);   // 0.3 kept rounds to 0
    EXPECT_EQ(repairCount(10, 0.05), 0); // 9.5 kept rounds to 10
    EXPECT_EQ(repairCount(1300, -1e12), 0);
    // Extreme oxygen parameters can make the probability infinite or NaN.
    EXPECT_EQ(repairCount(0, -std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(repairCount(1300, std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(repairCount(1300, std::numeric_limits<double>::infinity()), 1300);
}

TEST(ChemicalRepairTest, zeroProbabilityDrawsNothingAndRemovesNothing)
{
    const std::vector<Lesion> lesions = {{5, 1, strandBreak}, {6, 2, baseDamage}};
    DnaSegment segment = segmentWith(100, lesions);
    RandomStreams streams;
    streams.seed(1, 4711);
    applyChemicalRepair(segment, yields(1, 1, 0.0), streams);
    EXPECT_EQ(streams.state(1), 4711);
    EXPECT_EQ(codesOf(segment, lesions), (std::vector<std::int32_t>{strandBreak, baseDamage}));
}

TEST(ChemicalRepairTest, removalEndsWhenNothingRemovableIsLeft)
{
    // Every base damage is a Bl, which repair never removes, and more Sb are
    // due than the segment holds: all Sb go, the Bl stay, and repair ends.
    const std::vector<Lesion> lesions = {{5, 1, strandBreak}, {9, 2, strandBreak},
                                         {20, 1, baseLesion}, {30, 2, baseLesion},
                                         {40, 1, baseLesion}, {41, 1, baseDamage}};
    DnaSegment segment = segmentWith(100, lesions);
    RandomStreams streams;
    streams.seed(1, 4711);
    applyChemicalRepair(segment, yields(3, 5, 0.95), streams);
    EXPECT_EQ(codesOf(segment, lesions),
              (std::vector<std::int32_t>{noLesion, noLesion, baseLesion, baseLesion, baseLesion,
                                         noLesion}));

    // A seed equal to the generator's modulus does not leave stream 1 stuck
    // on one list entry.
    DnaSegment again = segmentWith(100, lesions);
    streams.seed(1, 2147483647);
    applyChemicalRepair(again, yields(3, 5, 0.95), streams);
    EXPECT_EQ(codesOf(again, lesions), codesOf(segment, lesions));
}

TEST(ChemicalRepairTest, drawsPickListEntriesStrandOneFirst)
{
    // Four Sb and two Bd; with probability 0.6, 4 - round(1.6) = 2 Sb and
    // 2 - round(0.8) = 1 Bd are due. Replayed on stream 5,
    // seeded alike: entry truncate(u * 6) of the list strand 1 by position,
    // then strand 2, is emptied when it holds the kind being removed.
    const std::vector<Lesion> list = {{10, 1, strandBreak}, {30, 1, baseDamage},
                                      {50, 1, strandBreak}, {20, 2, strandBreak},
                                      {40, 2, baseDamage},  {60, 2, strandBreak}};
    std::vector<std::int32_t> expected = codesOf(segmentWith(100, list), list);
    RandomStreams streams;
    streams.seed(5, 12345);
    for (const auto& [kind, due] : {std::pair{strandBreak, 2}, {baseDamage, 1}}) {
        for (int removed = 0; removed < due;) {
            auto& code = expected[static_cast<std::size_t>(streams.uniform(5) * 6.0)];
            if (code == kind) {
                code = noLesion;
                ++removed;
            }
        }
    }
    DnaSegment segment = segmentWith(100, list);
    streams.seed(1, 12345);
    applyChemicalRepair(segment, yields(4, 2, 0.6), streams);
    EXPECT_EQ(codesOf(segment, list), expected);
    EXPECT_EQ(streams.state(1), streams.state(5));
}

}  // namespace
}  // namespace kesp
