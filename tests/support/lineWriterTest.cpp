#include "kesp/support/lineWriter.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kesp {
namespace {

TEST(LineWriterTest, recordFormsWriteUpToTheLastNonBlank)
{
    std::ostringstream out;
    writeLine(out, RecordForm::plain, "ab c   ");
    writeLine(out, RecordForm::blankLineFirst, "TITLE  ");
    writeLine(out, RecordForm::indented, " 1.0E+00 x  ");
    writeLine(out, RecordForm::plain, "      ");
    EXPECT_EQ(out.str(), "ab c\n\nTITLE\n  1.0E+00 x\n\n");
}

TEST(LineWriterTest, rulesAndVerbatimRecords)
{
    std::ostringstream out;
    writeRule(out, '=');
    writeRule(out, '-', 3);
    writeRecord(out, "head   ");
    EXPECT_EQ(out.str(), std::string(115, '=') + "\n---\nhead   \n");
}

}  // namespace
}  // namespace kesp
