#include "kesp/support/keyLine.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "kesp/support/text.h"

namespace kesp {
namespace {

constexpr std::size_t lineLength = 240;

struct Search {
    int status;
    int lineCount;
    std::string line;  // trimmed
};

Search search(std::istream& channel, std::string_view mode, std::string_view key)
{
    Search result{0, -1, std::string(lineLength, '#')};
    result.status = findKeyLine(channel, mode, key, result.lineCount, result.line);
    EXPECT_EQ(result.line.size(), lineLength);
    result.line = std::string(trimmed(result.line));
    return result;
}

TEST(KeyLineTest, blockLineIsFoundOnlyWithTheExactKey)
{
    std::istringstream file("simcon: NOCS=1\nSIMCON : NOCS=2\n   SIMCON:     NOCS=3\nSIMCON: NOCS=4\n");
    const Search found = search(file, "101", "SIMCON:");
    EXPECT_EQ(found.status, 0);
    EXPECT_EQ(found.lineCount, 3);
    EXPECT_EQ(found.line, "   SIMCON:     NOCS=3");  // as read, not normalised

    // The search starts again from the top each time.
    EXPECT_EQ(search(file, "101", "SIMCON:").lineCount, 3);
    // Without the rewind it continues after the last match.
    EXPECT_EQ(search(file, "001", "SIMCON:").line, "SIMCON: NOCS=4");
}

TEST(KeyLineTest, missingKeyEndsWithABlankLine)
{
    std::istringstream file("CELL: DNA=6\nKESP: FBL=0.5\n");
    const Search missing = search(file, "101", "RADX:");
    EXPECT_EQ(missing.status, -5);
    EXPECT_EQ(missing.lineCount, 2);
    EXPECT_EQ(missing.line, "");
    // The stream at its end is rewound for the next block.
    EXPECT_EQ(search(file, "101", "KESP:").status, 0);
}

TEST(KeyLineTest, modeChoosesBlankRuleAndCase)
{
    struct Case {
        std::string mode;
        std::string key;
        int status;
    };
    const std::string line = "  Radx:   FN = field.txt";
    const Case cases[] = {
        {"101", "Radx: FN", 0},   {"101", "RADX: FN", -5},  {"100", "RADX: FN", 0},
        {"121", "Radx: FN", -5},  {"121", "Radx:   FN", 0}, {"111", "Radx:FN=", 0},
        {"111", "R a d x :", 0},  {"1  ", "radx: fn", 0},   {"1", "radx: fn", 0},
    };
    for (const Case& c : cases) {
        std::istringstream file(line + "\n");
        EXPECT_EQ(search(file, c.mode, c.key).status, c.status) << "mode " << c.mode << " key " << c.key;
    }
}

TEST(KeyLineTest, failuresBeforeReading)
{
    std::istringstream file("X\n");
    EXPECT_EQ(search(file, "101", std::string(1001, 'K')).status, -2);
    // Trailing blanks do not count toward the key length.
    EXPECT_EQ(search(file, "101", "X" + std::string(2000, ' ')).status, 0);

    std::ifstream notOpen;
    EXPECT_EQ(search(notOpen, "101", "X").status, -3);

    std::istream noBuffer(nullptr);
    EXPECT_EQ(search(noBuffer, "101", "X").status, -3);
}

TEST(KeyLineTest, rewindFailureIsReported)
{
    // A stream buffer that cannot seek, like a pipe.
    struct Unseekable : std::streambuf {
    } buffer;
    std::istream pipe(&buffer);
    EXPECT_EQ(search(pipe, "101", "X").status, -4);
    EXPECT_EQ(search(pipe, "001", "X").status, -5);
}

TEST(KeyLineTest, findTextNoCaseGivesTheMatchedColumns)
{
    struct Case {
        std::string pattern;
        std::string text;
        int status;
        int first;
        int last;
    };
    const Case cases[] = {
        {"nocs=  ", "SIMCON: NOCS=3", 0, 9, 13},
        {"SIM", "sim", 0, 1, 3},
        {"x", "abc", -1, 1, 1},
        {"abcd", "abc", -1, 1, 1},
        {"   ", "ab   c", 0, 3, 5},  // an all-blank pattern is used whole
        {"", "abc", -1, 1, 1},
        {"[", "{", -1, 1, 1},
    };
    for (const Case& c : cases) {
        int first = 0;
        int last = 0;
        EXPECT_EQ(findTextNoCase(c.pattern, c.text, first, last), c.status) << c.pattern << " in " << c.text;
        EXPECT_EQ(first, c.first) << c.pattern << " in " << c.text;
        EXPECT_EQ(last, c.last) << c.pattern << " in " << c.text;
    }
}

}  // namespace
}  // namespace kesp
