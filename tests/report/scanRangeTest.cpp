// The values of a range, the same for a scan file and for the page's curves:
// both ends exactly as given, log spacing in decades.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kesp/report/scanRange.h"
#include "kesp/report/scanText.h"

namespace {

using namespace kesp;

TEST(ScanRangeTest, valuesRunFromEndToEndAsWritten)
{
    struct Case {
        ScanRange range;
        std::vector<std::string> values;
    };
    const Case cases[] = {
        // A decade range passes through 10 exactly.
        {{1, 100, 3, RangeSpacing::log}, {"1", "10", "100"}},
        {{5, 50, 3, RangeSpacing::log}, {"5", "15.811388300841895", "50"}},
        {{0, 1, 5, RangeSpacing::linear}, {"0", "0.25", "0.5", "0.75", "1"}},
        // A falling range keeps its order.
        {{100, 1, 3, RangeSpacing::log}, {"100", "10", "1"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rangeProblem(c.range), "");
        std::vector<std::string> texts;
        for (const double value : rangeValues(c.range)) {
            texts.push_back(shortestText(value));
        }
        EXPECT_EQ(texts, c.values);
    }
}

TEST(ScanRangeTest, aRangeThatCannotBeSpacedSaysWhy)
{
    struct Case {
        ScanRange range;
        std::string problem;
    };
    const Case cases[] = {
        {{1, 2, 1, RangeSpacing::linear}, "points must be a whole number from 2 to 1000000, not 1"},
        {{1, 2, 2.5, RangeSpacing::linear}, "points must be a whole number from 2 to 1000000, not 2.5"},
        {{1, 2, 2e6, RangeSpacing::linear}, "points must be a whole number from 2 to 1000000, not 2e+06"},
        {{0, 10, 3, RangeSpacing::log}, "a log range needs from and to above 0"},
        {{-1, 10, 3, RangeSpacing::linear}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rangeProblem(c.range), c.problem);
    }
}

}  // namespace
