#include "kesp/support/numberReader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace kesp {
namespace {

TEST(NumberReaderTest, integerRoundsHalvesAwayFromZero)
{
    const std::pair<std::string, std::int32_t> cases[] = {
        {"2.5", 3},        {"-2.5", -3},  {"1E3", 1000},      {"1.5D2", 150},    {"  42  ", 42},
        {"+7", 7},         {"2.4999", 2}, {"-0.5", -1},       {"1e+2", 100},     {"250d-2", 3},
        {"2147483647", 2147483647},       {"-2147483648", -2147483647 - 1},
        {"2147483648", -2147483647 - 1},  // outside the range
        {"-1E10", -2147483647 - 1},
    };
    for (const auto& [text, expected] : cases) {
        std::int32_t target = -99;
        EXPECT_EQ(readInteger(text, target), 0) << "text " << text;
        EXPECT_EQ(target, expected) << "text " << text;
    }
}

TEST(NumberReaderTest, realReadsWithoutImpliedDecimals)
{
    const std::pair<std::string, double> cases[] = {
        {".5", 0.5}, {"7", 7.0}, {"7.", 7.0}, {"-1.25e-1", -0.125}, {"3D0", 3.0}, {"0.1", 0.1},
        {"1E-999", 0.0},  // underflow gives a finite value
    };
    for (const auto& [text, expected] : cases) {
        double target = -99.0;
        EXPECT_EQ(readReal(text, target), 0) << "text " << text;
        EXPECT_EQ(target, expected) << "text " << text;
    }
}

TEST(NumberReaderTest, nonNumbersLeaveTheTargetUnchanged)
{
    const std::string cases[] = {
        "",     "   ",  "12A",   "A12",      ".",      "+",     "-.",   "1E",   "1E+",  "E5",
        "1 2",  "1..2", "1.2.3", "1E2.5",    "0x10",   "\t5",   "5,",   "--5",  "1E 5", "1+5",
        "NaN",  "nan",  "Inf",   "-Infinity", "1E999", "-1D400",
        std::string(100, '1'),
        "1" + std::string(99, '0'),
    };
    for (const std::string& text : cases) {
        std::int32_t integer = 17;
        double real = 17.5;
        EXPECT_EQ(readInteger(text, integer), -1) << "text " << text;
        EXPECT_EQ(readReal(text, real), -1) << "text " << text;
        EXPECT_EQ(integer, 17) << "text " << text;
        EXPECT_EQ(real, 17.5) << "text " << text;
    }
}

TEST(NumberReaderTest, ninetyNineCharactersStillConvert)
{
    double target = 0.0;
    EXPECT_EQ(readReal(std::string(98, '0') + "5", target), 0);
    EXPECT_EQ(target, 5.0);
    // Trailing blanks do not count toward the length.
    EXPECT_EQ(readReal(std::string(98, '0') + "6" + std::string(50, ' '), target), 0);
    EXPECT_EQ(target, 6.0);
}

TEST(NumberReaderTest, realIsCorrectlyRounded)
{
    double target = 0.0;
    // 2^53 + 1 lies halfway between two doubles and rounds to the even one, 2^53.
    EXPECT_EQ(readReal("9007199254740993", target), 0);
    EXPECT_EQ(target, 9007199254740992.0);
    EXPECT_EQ(readReal("1.7976931348623157E308", target), 0);
    EXPECT_EQ(target, 1.7976931348623157e308);
}

}  // namespace
}  // namespace kesp
