#include "kesp/support/numberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>
#include <string>

namespace kesp {
namespace {

struct RenderCase {
    double value;
    const char* code;
    std::string text;
    int pointPosition;
};

void expectRenderings(const std::vector<RenderCase>& cases)
{
    for (const RenderCase& c : cases) {
        const RenderedNumber rendered = renderNumber(c.value, c.code);
        EXPECT_EQ(rendered.text, c.text) << c.value << " \"" << c.code << '"';
        EXPECT_EQ(rendered.pointPosition, c.pointPosition) << c.value << " \"" << c.code << '"';
        EXPECT_EQ(rendered.status, 0) << c.value << " \"" << c.code << '"';
    }
}

TEST(NumberFormatTest, rendersTheReferenceTable)
{
    // The reference renderings of the report's format codes.
    expectRenderings({
        {2.5, "E5", "2.50000E+00", 2},
        {250.0, "E2", "2.50E+02", 2},
        {0.5, "E4", "5.0000E-01", 2},
        {-1.0, "E5", "-1.00000E+00", 3},
        {6.0, "F3", "6.000", 2},
        {0.5, "F3", "0.500", 2},
        {12.0, "I ", "12", 3},
        {0.0, "I ", "0", 2},
    });
}

TEST(NumberFormatTest, scientificRoundsAndWidensTheExponent)
{
    expectRenderings({
        {9.999996, "E5", "1.00000E+01", 2},        // mantissa rounds up to 10
        {9.9999999e99, "E5", "1.00000+100", 2},    // ... and crosses into three exponent digits
        {1e100, "E5", "1.00000+100", 2},
        {-1.5e-120, "E3", "-1.500-120", 3},
        {1e-5, "e2", "1.00E-05", 2},
        {1e99, "E1", "1.0E+99", 2},
        {std::numeric_limits<double>::max(), "E5", "1.79769+308", 2},
        {std::numeric_limits<double>::denorm_min(), "E2", "4.94-324", 2},
        {0.0, "E5", "0.00000E+00", 2},
        {-0.0, "E5", "0.00000E+00", 2},
        {3.0, "E0", "3.E+00", 2},
        {1.0 / 3.0, "E12", "3.333333333333E-01", 2},
        {2.0, "E", "2.0000000E+00", 2},            // no digit count: seven decimals
        {2.0, "X", "2.0000000E+00", 2},            // no letter: scientific with seven decimals
        {123.456, "G4", "123.5", 4},
        {0.01234, "G4", "0.1234E-01", 2},
        {12346.0, "g4", "0.1235E+05", 2},
        {0.0, "G4", "0.000", 2},
    });
}

TEST(NumberFormatTest, fixedAndIntegerRound)
{
    expectRenderings({
        {2.675, "F2", "2.67", 2},     // binary 2.67499999... rounds down
        {0.135, "f2", "0.14", 2},     // binary 0.13500000000000000888 rounds up
        {-0.0004, "F3", "-0.000", 3},
        {100.0, "F3", "100.000", 4},
        {1.0, "F0", "1.", 2},
        {2.5, "I", "3", 2},           // halves go away from zero
        {-2.5, "I ", "-3", 3},
        {-0.4, "I ", "0", 2},
        {149200.0, "i", "149200", 7},
        {std::ldexp(1.0, 250), "F3",  // 2^250 has 76 digits: exactly 80 columns
         "1809251394333065553493296640760748560207343510400633813116524750123642650624.000", 77},
    });
}

TEST(NumberFormatTest, textTooWideForTheFieldIsAsterisks)
{
    const std::string stars(80, '*');
    expectRenderings({
        {-std::ldexp(1.0, 250), "F3", stars, 0},  // 81 columns
        {1e80, "F3", stars, 0},
        {1e100, "I ", stars, 0},
        {1e300, "F3", stars, 0},
    });
}

TEST(NumberFormatTest, nonFiniteValuesRenderAsNames)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const char* code : {"E5", "F3", "I ", "G4", "X"}) {
        expectRenderings({{nan, code, "NaN", 0}, {inf, code, "Inf", 0}, {-inf, code, "-Inf", 0}});
    }
}

TEST(NumberFormatTest, badCodesReportStatus)
{
    EXPECT_EQ(buildNumberFormat("  ").status, -1);
    EXPECT_EQ(renderNumber(1.0, "").status, -1);
    EXPECT_EQ(renderNumber(1.0, "").text, "");
    EXPECT_EQ(renderNumber(1.0, "E-2").status, -2);  // a negative decimal count cannot be formatted
    EXPECT_EQ(buildNumberFormat("I ").status, 1);
    EXPECT_TRUE(buildNumberFormat("I ").integer);
    EXPECT_EQ(buildNumberFormat("E99").digits, 70);
    EXPECT_EQ(buildNumberFormat("F2.6").digits, 3);  // read as a number and rounded
}

TEST(NumberFormatTest, numberFieldRightJustifiesOrFillsWithAsterisks)
{
    EXPECT_EQ(numberField(6.0, "E4", 11), " 6.0000E+00");
    EXPECT_EQ(numberField(149200.0, "I", 11), "     149200");
    EXPECT_EQ(numberField(3.0, "F1", 11), "        3.0");
    EXPECT_EQ(numberField(1.5, "F3", 10), "     1.500");
    EXPECT_EQ(numberField(1e20, "I", 11), "***********");
    EXPECT_EQ(numberField(-123456.0, "F3", 10), "**********");
    EXPECT_EQ(numberField(std::numeric_limits<double>::quiet_NaN(), "F3", 10), "       NaN");
}

}  // namespace
}  // namespace kesp
