// The scan's table as kesp-scan writes it: a run of fewer than 2 cells has
// no standard error, so its SEM fields stay empty rather than showing a 0
// that looks perfectly precise; its yields and RBE are still given.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "scan/scanHarness.h"

namespace {

namespace fs = std::filesystem;
using namespace kesp;
using namespace kesp::scantest;

TEST(ScanTableTest, semFieldsAreEmptyWhereARunHasFewerThanTwoCells)
{
    const fs::path dir = makeRunDirectory("kespScanTable");
    const char* const sems[] = {"dsb_sem", "ssb_sem", "other_sem", "all_sem", "rbe_dsb_sem"};
    const char* const values[] = {"dsb", "ssb", "all", "dsb_per_gy_gbp", "rbe_dsb"};
    for (const int cells : {1, 2}) {
        writeText(dir / "scan.yaml", "cells: " + std::to_string(cells)
                                         + "\nseed: 4\nvary:\n  PAR: [p, 4He]\nfixed: {KE: 5}\n"
                                           "reference: {PAR: e, KE: 1}\n");
        fs::remove(dir / "scan.csv");
        // A scan of 1 cell may need --lenient.
        const RunResult scan = runScan(dir, {"--lenient", "-o", "scan.csv", "scan.yaml"});
        ASSERT_EQ(scan.exitStatus, 0) << allLines(scan.errors);
        const Table table = readTable(dir / "scan.csv");
        ASSERT_EQ(table.rows.size(), 2U);
        for (std::size_t row = 0; row < table.rows.size(); ++row) {
            EXPECT_EQ(table.field(row, "cells"), std::to_string(cells));
            for (const char* column : sems) {
                EXPECT_EQ(table.field(row, column).empty(), cells < 2) << cells << " cells, " << column;
            }
            for (const char* column : values) {
                EXPECT_FALSE(table.field(row, column).empty()) << cells << " cells, " << column;
            }
        }
    }
}

}  // namespace
