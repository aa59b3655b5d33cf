#include "kesp/support/lineBuilder.h"

#include <gtest/gtest.h>

#include <limits>

#include "kesp/support/text.h"

namespace kesp {
namespace {

// A report line holding the text from column 1.
std::string lineOf(std::string_view text)
{
    return makeField(text, reportLineLength);
}

TEST(LineBuilderTest, decimalPointJustificationAlignsTheNumbers)
{
    struct Case { double value; int column; const char* code; const char* expected; };
    const Case cases[] = {
        {2.5, 12, "E5", "          2.50000E+00"},    // columns 11 to 21
        {-1.0, 12, "E5", "         -1.00000E+00"},   // columns 10 to 21
        {1.0, 5, "I ", "   1"},                      // integer ends left of its column
        {50.0, 5, "I ", "  50"},
        {4.877, 14, "F3", "            4.877"},
        {100.0, 14, "F3", "          100.000"},
        {std::numeric_limits<double>::quiet_NaN(), 5, "E5", "     NaN"},  // no point: starts right of the column
    };
    for (const Case& c : cases) {
        std::string line = blankLine();
        EXPECT_EQ(placeNumber(c.value, c.column, Justify::decimalPoint, c.code, line), 0);
        EXPECT_EQ(line, lineOf(c.expected)) << c.value;
    }
}

TEST(LineBuilderTest, placeTextJustifications)
{
    struct Case { const char* text; int column; Justify justify; const char* expected; };
    const Case cases[] = {
        {"Total", 4, Justify::centre, "xTotalxxxx"},     // columns 2 to 6
        {"Average", 4, Justify::centre, "Averagexxx"},   // columns 1 to 7
        {"ab   ", 3, Justify::left, "xxabxxxxxx"},        // trailing blanks are not placed
        {"  ab", 1, Justify::left, "  abxxxxxx"},         // leading blanks are
        {"ab", 4, Justify::right, "xxabxxxxxx"},
        {"ab", 4, Justify::decimalPoint, "xxabxxxxxx"},   // same as right for texts
        {"a", 4, Justify::right, "xxxaxxxxxx"},           // a single character starts at the column
        {"", 2, Justify::left, "x xxxxxxxx"},             // a blank text places one blank
    };
    for (const Case& c : cases) {
        std::string line(10, 'x');
        EXPECT_EQ(placeText(c.text, c.column, c.justify, line), 0) << c.text;
        EXPECT_EQ(line, c.expected) << c.text;
    }
}

TEST(LineBuilderTest, placementIsCutAtTheEdgesOfTheLine)
{
    struct Case { const char* text; int column; Justify justify; int status; const char* expected; };
    const Case cases[] = {
        {"abcdef", 3, Justify::right, -1, "defxxxxxxx"},  // starts at column -2
        {"abc", 10, Justify::right, -1, "xxxxxxxabc"},    // ends exactly in the last column
        {"abc", 9, Justify::right, 0, "xxxxxxabcx"},
        {"abc", 9, Justify::left, -1, "xxxxxxxxab"},
        {"abc", 40, Justify::left, -1, "xxxxxxxxxx"},
        {"abc", -40, Justify::left, -1, "xxxxxxxxxx"},
    };
    for (const Case& c : cases) {
        std::string line(10, 'x');
        EXPECT_EQ(placeText(c.text, c.column, c.justify, line), c.status) << c.text << c.column;
        EXPECT_EQ(line, c.expected) << c.text << c.column;
    }
}

TEST(LineBuilderTest, placeNumberFailuresLeaveTheLineAlone)
{
    std::string line(10, 'x');
    EXPECT_EQ(placeNumber(1.0, 3, Justify::left, "  ", line), -1);
    EXPECT_EQ(placeNumber(1.0, 3, Justify::left, "E-1", line), -2);
    EXPECT_EQ(line, std::string(10, 'x'));
    EXPECT_EQ(placeNumber(-1.0, 12, Justify::decimalPoint, "E5", line), -1);
    EXPECT_EQ(line, "xxxxxxxxx-");
}

TEST(LineBuilderTest, appendBuildsLabelledLines)
{
    std::string line = blankLine();
    appendNumber(0.5, "E4", "", line);
    EXPECT_EQ(line, lineOf(" 5.0000E-01"));  // column 1 stays blank on a blank line

    line = lineOf("of ");
    appendNumber(6.0, "F3", " ", line);
    EXPECT_EQ(line, lineOf("of 6.000"));

    line = lineOf("MICRODOSIMETRY ");
    appendNumber(5.0, "F3", " (target = ", line);
    appendText(" um diameter cell nucleus)", line);
    EXPECT_EQ(line, lineOf("MICRODOSIMETRY (target = 5.000 um diameter cell nucleus)"));

    line = blankLine();
    appendText("PARTICLE:", line);
    appendNumber(20.0, "I", " ", line);
    appendText("Ne  ", line);
    appendNumber(19.99, "E5", " (mass = ", line);
    EXPECT_EQ(line, lineOf("PARTICLE: 20Ne (mass = 1.99900E+01"));
}

TEST(LineBuilderTest, appendStopsAtTheEndOfTheLine)
{
    std::string line = "abc     ";
    appendText("defghij", line);
    EXPECT_EQ(line, "abcdefgh");
    line = "abc     ";
    appendNumber(1.0, "E5", " x", line);
    EXPECT_EQ(line, "abc x1.0");
    line = "abcdefgh";
    appendNumber(1.0, "E5", "", line);
    EXPECT_EQ(line, "abcdefgh");
}

TEST(LineBuilderTest, replaceTextSwapsTheFirstOccurrence)
{
    std::string line = lineOf("  1 -1.00000E+00  2.00000E+00 -1.00000E+00");
    while (replaceText("-1.00000E+00", "     ---    ", line) == 0) {
    }
    EXPECT_EQ(line, lineOf("  1      ---      2.00000E+00      ---"));

    struct Case { const char* oldText; const char* newText; int status; const char* expected; };
    const Case cases[] = {
        {"abc", "X", 0, "zXz      "},       // shorter: the rest moves left
        {"abc", "ABCDE", 0, "zABCDEz  "},   // longer: the rest moves right
        {"abc  ", "Q", 0, "zQz      "},     // searched up to its last non-blank
        {"zz", "Q", -1, "zabcz    "},
        {"", "Q", -1, "zabcz    "},
        {"zabcz    q", "Q", -1, "zabcz    "},  // longer than the line
        {"  ", "..", 0, "zabcz..  "},       // an all-blank text is searched whole
    };
    for (const Case& c : cases) {
        line = "zabcz    ";
        EXPECT_EQ(replaceText(c.oldText, c.newText, line), c.status) << c.oldText;
        EXPECT_EQ(line, c.expected) << c.oldText;
    }
    line = "abcde";
    EXPECT_EQ(replaceText("b", "XYZWVU", line), 0);
    EXPECT_EQ(line, "aXYZW");  // pushed past the end: lost
}

}  // namespace
}  // namespace kesp
