// kesp-scan and values outside the world of the model: a configuration whose
// input kesp would warn about (a DNA content in bp, a proton energy in keV)
// is refused unless --lenient, like any other warning; the warning kesp gives
// a run of 1 cell is left to the scan's own check of its cells.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "scan/scanHarness.h"

namespace {

namespace fs = std::filesystem;
using namespace kesp;
using namespace kesp::scantest;

bool hasLineHolding(const std::vector<std::string>& lines, const std::string& start, const std::string& part)
{
    for (const std::string& line : lines) {
        if (line.starts_with(start) && line.find(part) != std::string::npos) {
            return true;
        }
    }
    return false;
}

struct RangeScan {
    const char* scan;
    const char* refusedRun;  // the start of the refused configuration's line
    const char* warning;     // what that line says
};

TEST(ScanValueRangeTest, valuesOutsideTheModelAreRefusedUnlessLenient)
{
    const RangeScan cases[] = {
        {"cells: 2\nvary:\n  PAR: [56Fe]\n  DNA: [6, 6e9]\nfixed: {KE: 5600}\n",
         "  configuration 2 (PAR=56Fe DNA=6e+09): scan-002.inp:3: ",
         "warning: CELL: \"DNA=6e+09\" is above the DNA content of a cell nucleus"},
        {"cells: 2\nvary:\n  PAR: [p]\n  KE: [10, 2000]\n",
         "  configuration 2 (PAR=p KE=2000): scan-002.inp:3: ",
         "warning: RADX: proton at 2000 MeV (2000 MeV per nucleon) is above the energies the model is made for"},
    };
    for (const RangeScan& c : cases) {
        const fs::path dir = makeRunDirectory("kespScanRange");
        writeText(dir / "scan.yaml", c.scan);
        const RunResult refused = runScan(dir, {"scan.yaml"});
        EXPECT_EQ(refused.exitStatus, 2) << c.scan;
        EXPECT_TRUE(hasLineHolding(refused.errors, c.refusedRun, c.warning)) << allLines(refused.errors);
        EXPECT_FALSE(hasLineHolding(refused.errors, "  configuration 1 (", "")) << allLines(refused.errors);
        EXPECT_FALSE(fs::exists(dir / "scan.csv"));

        const RunResult lenient = runScan(dir, {"--lenient", "scan.yaml"});
        EXPECT_EQ(lenient.exitStatus, 0) << allLines(lenient.errors);
        EXPECT_EQ(readTable(dir / "scan.csv").rows.size(), 2U) << c.scan;
        fs::remove_all(dir);
    }
}

TEST(ScanValueRangeTest, aPhysicsOnlyScanNeedsNoCells)
{
    const fs::path dir = makeRunDirectory("kespScanPhysicsOnly");
    writeText(dir / "scan.yaml", "vary:\n  PAR: [p, e]\n  KE: [10, 20]\n");
    const RunResult run = runScan(dir, {"--physics-only", "scan.yaml"});
    EXPECT_EQ(run.exitStatus, 0) << allLines(run.errors);
    EXPECT_EQ(readTable(dir / "scan.csv").rows.size(), 4U);
    fs::remove_all(dir);
}

}  // namespace
