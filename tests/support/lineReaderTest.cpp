#include "kesp/support/lineReader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "kesp/support/text.h"

namespace kesp {
namespace {

std::vector<std::string> readAll(const std::string& content, std::size_t length)
{
    std::istringstream in(content);
    std::vector<std::string> lines;
    std::string line(length, '#');
    while (readFixedLine(in, line)) {
        EXPECT_EQ(line.size(), length);
        lines.push_back(line);
    }
    EXPECT_EQ(line, std::string(length, ' '));  // blank after the end
    return lines;
}

TEST(LineReaderTest, crLfLinesReadLikeLfLines)
{
    const std::vector<std::string> expected = {makeField("SIMCON: NOCS=3", 20), makeField("", 20),
                                               makeField("RADX: P", 20)};
    EXPECT_EQ(readAll("SIMCON: NOCS=3\r\n\r\nRADX: P\r\n", 20), expected);
    EXPECT_EQ(readAll("SIMCON: NOCS=3\n\nRADX: P\n", 20), expected);
    EXPECT_EQ(readAll("SIMCON: NOCS=3\n\nRADX: P", 20), expected);  // no line end at the end
    EXPECT_EQ(readAll("SIMCON: NOCS=3\r\n\r\nRADX: P\r", 20), expected);
}

TEST(LineReaderTest, carriageReturnInsideALineIsKept)
{
    EXPECT_EQ(readAll("a\rb\n", 4), std::vector<std::string>{"a\rb "});
}

TEST(LineReaderTest, longLineIsCutAndTheNextLineFollows)
{
    const std::string huge(1 << 20, 'x');
    const std::vector<std::string> lines = readAll(huge + "\r\nnext\n", 240);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(240, 'x'));
    EXPECT_EQ(lines[1], makeField("next", 240));
}

TEST(LineReaderTest, nulBytesStayInTheLine)
{
    const std::string content("a\0b\n", 4);
    EXPECT_EQ(readAll(content, 4), std::vector<std::string>{std::string("a\0b ", 4)});
}

TEST(LineReaderTest, emptyInputHasNoLines)
{
    EXPECT_TRUE(readAll("", 10).empty());
    EXPECT_EQ(readAll("\n", 3), std::vector<std::string>{"   "});
}

}  // namespace
}  // namespace kesp
