// The OER columns of the table: the DSB yield at the scan's highest oxygen
// level over that at its lowest, given on both rows of each pair (rows that
// differ only in the level) with the SEM propagated from both rows' SEMs;
// a level in between has none. The numbers follow from the table's own dsb
// and dsb_sem fields, whichever part or order of the scan wrote them.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "scan/scanHarness.h"

namespace {

namespace fs = std::filesystem;
using namespace kesp;
using namespace kesp::scantest;

// The oxygen axis between two others, so that a row's partner is neither
// the next row nor the same in every shard; 21 % given twice.
constexpr const char* oxygenScan = "title: oer\ncells: 3\nseed: 11\nvary:\n  PAR: [p, 4He]\n"
                                   "  PO2: [21, 0.5, 3, 21]\n  MEV/A: [8, 30]\nreference: {PAR: p, KE: 10}\n";

// The row that differs from `row` only in PO2, which is `level`.
std::size_t rowWith(const Table& table, std::size_t row, const std::string& level)
{
    for (std::size_t other = 0; other < table.rows.size(); ++other) {
        if (table.field(other, "PAR") == table.field(row, "PAR")
            && table.field(other, "MEV/A") == table.field(row, "MEV/A") && table.field(other, "PO2") == level) {
            return other;
        }
    }
    return table.rows.size();
}

class ScanOerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = makeRunDirectory("kespScanOer");
        writeText(dir_ / "scan.yaml", oxygenScan);
    }

    fs::path dir_;
};

TEST_F(ScanOerTest, theOerOfEachPairIsOnBothItsRowsAndFollowsFromTheirYields)
{
    const RunResult scan = runScan(dir_, {"-j", "2", "scan.yaml"});
    ASSERT_EQ(scan.exitStatus, 0) << allLines(scan.errors);
    const Table table = readTable(dir_ / "scan.csv");
    ASSERT_EQ(table.rows.size(), 16U);
    const std::vector<std::string> last(table.columns.end() - 4, table.columns.end());
    EXPECT_EQ(last, (std::vector<std::string>{"rbe_dsb", "rbe_dsb_sem", "oer_dsb", "oer_dsb_sem"}));
    for (std::size_t row = 0; row < table.rows.size(); ++row) {
        const std::string level = table.field(row, "PO2");
        EXPECT_EQ(table.rows[row].size(), table.columns.size());
        if (level == "3") {
            EXPECT_EQ(table.field(row, "oer_dsb"), "") << row;
            EXPECT_EQ(table.field(row, "oer_dsb_sem"), "") << row;
            continue;
        }
        // Either 21 % row pairs with the 0.5 % row, which pairs with the first 21 % row.
        const std::size_t high = level == "21" ? row : rowWith(table, row, "21");
        const std::size_t low = level == "0.5" ? row : rowWith(table, row, "0.5");
        ASSERT_LT(high, table.rows.size());
        ASSERT_LT(low, table.rows.size());
        const double a = numberIn(table.field(high, "dsb"));
        const double sa = numberIn(table.field(high, "dsb_sem"));
        const double b = numberIn(table.field(low, "dsb"));
        const double sb = numberIn(table.field(low, "dsb_sem"));
        ASSERT_GT(b, 0.0);
        EXPECT_DOUBLE_EQ(numberIn(table.field(row, "oer_dsb")), a / b) << row;
        EXPECT_NEAR(numberIn(table.field(row, "oer_dsb_sem")), std::hypot(sa / b, a * sb / (b * b)), 1e-12) << row;
        EXPECT_EQ(table.field(row, "oer_dsb"), table.field(low, "oer_dsb")) << row;
    }
}

TEST_F(ScanOerTest, partsWhosePairsCrossThemMergeIntoTheWholeTable)
{
    ASSERT_EQ(runScan(dir_, {"-j", "2", "-o", "whole.csv", "scan.yaml"}).exitStatus, 0);
    std::vector<std::string> parts{"merge", "merged.csv"};
    for (const char* shard : {"1/3", "2/3", "3/3"}) {
        const RunResult part = runScan(dir_, {"-j", "2", "--shard", shard, "scan.yaml"});
        ASSERT_EQ(part.exitStatus, 0) << shard << allLines(part.errors);
        parts.push_back("scan.shard-" + std::string(1, shard[0]) + "-of-3.csv");
    }
    ASSERT_EQ(runScan(dir_, parts).exitStatus, 0);
    EXPECT_EQ(readText(dir_ / "merged.csv"), readText(dir_ / "whole.csv"));
}

TEST_F(ScanOerTest, onlyAScanThatVariesOxygenHasOerColumns)
{
    struct Case {
        const char* scan;
        bool oer;
    };
    const Case cases[] = {
        {"cells: 2\nvary:\n  PAR: [p]\n  MMHG: [160, 3]\nfixed: {KE: 10}\n", true},
        {"cells: 2\nvary:\n  PAR: [p]\nfixed: {KE: 10, PO2: 0.5}\n", false},
        {"cells: 2\nvary:\n  PO2: [21, 0.5]\nfixed: {PAR: p, KE: 10}\n", true},
    };
    for (const Case& c : cases) {
        writeText(dir_ / "scan.yaml", c.scan);
        fs::remove(dir_ / "scan.csv");
        ASSERT_EQ(runScan(dir_, {"scan.yaml"}).exitStatus, 0) << c.scan;
        const Table table = readTable(dir_ / "scan.csv");
        EXPECT_EQ(table.columnOf("oer_dsb") < table.columns.size(), c.oer) << c.scan;
        EXPECT_EQ(table.columns.back() == "oer_dsb_sem", c.oer) << c.scan;
        if (c.oer) {
            EXPECT_FALSE(table.field(0, "oer_dsb").empty()) << c.scan;
            EXPECT_EQ(table.field(0, "oer_dsb"), table.field(1, "oer_dsb")) << c.scan;
        }
    }
}

}  // namespace
