#include "kesp/support/text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kesp {
namespace {

TEST(TextTest, cleanValueDropsQuotesAndBrackets)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"'12'", "12"},
        {"(12)", "12"},
        {"[a]b<c>", "abc"},
        {"\"x\"{y}`z`", "xyz"},
        {"  7 ", "  7"},  // leading blanks stay: the text is copied from column 1
        {"", ""},
    };
    for (const auto& [text, expected] : cases) {
        std::string value(10, '#');
        cleanValue(text, value);
        EXPECT_EQ(value, makeField(expected, 10)) << "text " << text;
    }
}

TEST(TextTest, cleanValueCutsAtTheValueLength)
{
    std::string value(3, ' ');
    cleanValue("(abcdef)", value);
    // Cut to "(ab" first, then the bracket is removed.
    EXPECT_EQ(value, "ab ");
}

TEST(TextTest, copyIntoKeepsColumnsOutsideTheCopy)
{
    struct Case {
        int column;
        std::string source;
        std::string expected;
    };
    const Case cases[] = {
        {3, "xy", "abxyef"},
        {0, "xy", "xycdef"},   // column below 1 counts as 1
        {-5, "xy", "xycdef"},
        {5, "xyz", "abcdxy"},  // cut at the last column
        {7, "xy", "abcdef"},   // beyond the target: nothing happens
        {2, "", "abcdef"},
    };
    for (const Case& c : cases) {
        std::string target = "abcdef";
        copyInto(c.column, c.source, target);
        EXPECT_EQ(target, c.expected) << "column " << c.column << " source " << c.source;
    }
    std::string empty;
    copyInto(1, "xy", empty);
    EXPECT_TRUE(empty.empty());
}

TEST(TextTest, squeezeBlanksRemovesTabsBlanksAndByte255)
{
    std::string text = "A \tB\x01 C\xff" "D  ";
    squeezeBlanks(text);
    EXPECT_EQ(text, makeField("ABCD", 11));
    std::string single = " ";
    squeezeBlanks(single);
    EXPECT_EQ(single, " ");
}

TEST(TextTest, equalIgnoringCaseOnlyFoldsLetters)
{
    EXPECT_TRUE(equalIgnoringCase('x', 'X'));
    EXPECT_TRUE(equalIgnoringCase('Q', 'q'));
    EXPECT_FALSE(equalIgnoringCase('@', '`'));  // differ by 32 like a letter pair, but are not letters
    EXPECT_FALSE(equalIgnoringCase('[', '{'));
}

}  // namespace
}  // namespace kesp
