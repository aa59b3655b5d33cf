#include "kesp/physics/nuclideTable.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kesp {
namespace {

const Nuclide* findNuclide(std::int32_t Z, std::int32_t A)
{
    const auto found = std::find_if(nuclideTable.begin(), nuclideTable.end(),
                                    [&](const Nuclide& n) { return n.Z == Z && n.A == A; });
    return found == nuclideTable.end() ? nullptr : &*found;
}

TEST(NuclideTableTest, tellingRowsHoldTheEvaluatedMasses)
{
    // Reference masses of the neutral atoms as published in the mass evaluation.
    const struct {
        std::int32_t Z;
        std::int32_t A;
        double massU;
    } rows[] = {
        {1, 1, 1.0078250321},  {1, 2, 2.014101778},    {2, 3, 3.0160293097},
        {2, 4, 4.0026032497},  {6, 12, 12.0},          {8, 16, 15.9949146221},
        {10, 20, 19.9924401759}, {26, 56, 55.9349421}, {56, 153, 152.95961},
    };
    for (const auto& row : rows) {
        const Nuclide* nuclide = findNuclide(row.Z, row.A);
        ASSERT_NE(nuclide, nullptr) << "Z " << row.Z << " A " << row.A;
        EXPECT_EQ(nuclide->massU, row.massU) << "Z " << row.Z << " A " << row.A;
    }
}

TEST(NuclideTableTest, elementsFormContiguousBlocksSortedByZThenA)
{
    ASSERT_EQ(nuclideTable.size(), 1460u);
    EXPECT_EQ(nuclideTable.front().Z, 1);
    EXPECT_EQ(nuclideTable.front().A, 1);
    EXPECT_EQ(nuclideTable.back().Z, 56);
    EXPECT_EQ(nuclideTable.back().A, 153);
    for (std::size_t i = 1; i < nuclideTable.size(); ++i) {
        const Nuclide& previous = nuclideTable[i - 1];
        const Nuclide& current = nuclideTable[i];
        const bool nextInBlock = current.Z == previous.Z && current.A == previous.A + 1;
        const bool nextElement = current.Z == previous.Z + 1;
        EXPECT_TRUE(nextInBlock || nextElement) << "entry " << i;
        EXPECT_GT(current.massU, 0.0) << "entry " << i;
    }
}

TEST(NuclideTableTest, blockEndsMatchTheTabulatedRanges)
{
    // Lowest and highest mass number of a few elements, from the table's coverage.
    const struct {
        std::int32_t Z;
        std::int32_t first;
        std::int32_t last;
    } blocks[] = {{1, 1, 6}, {2, 3, 10}, {26, 45, 69}, {28, 50, 78}, {34, 65, 92}, {56, 114, 153}};
    for (const auto& block : blocks) {
        EXPECT_NE(findNuclide(block.Z, block.first), nullptr) << "Z " << block.Z;
        EXPECT_NE(findNuclide(block.Z, block.last), nullptr) << "Z " << block.Z;
        EXPECT_EQ(findNuclide(block.Z, block.first - 1), nullptr) << "Z " << block.Z;
        EXPECT_EQ(findNuclide(block.Z, block.last + 1), nullptr) << "Z " << block.Z;
    }
}

}  // namespace
}  // namespace kesp
