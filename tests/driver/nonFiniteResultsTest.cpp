// Inputs whose results are not finite numbers, or whose cells keep no lesion:
// the real executable stops with a message naming the quantity and the input
// items (exit status 1, no report) instead of printing Inf or NaN.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "driver/runHarness.h"

namespace {

namespace fs = std::filesystem;

const std::string iron = "RADX: PAR=56Fe KE=5600\n";

struct StopCase {
    const char* name;
    std::string input;
    std::string console;  // the last console line
    std::string errors = {};  // the start of a line on the standard error stream; empty: none checked
    std::vector<std::pair<std::string, std::string>> more = {};
};

TEST(NonFiniteResultsTest, stopsNameTheQuantityAndTheInputItems)
{
    const std::vector<StopCase> cases{
        {"slowElectron", "RADX: PAR=e KE=1e-6\n",
         "The event frequency per unit absorbed dose (1/zf) is not a finite number (Inf) for RADX: PAR=e KE=1e-06, "
         "CELL: NDIA=5; no report is written."},
        {"momentumOverflow", "RADX: PAR=p KE=1e200\n",
         "The momentum p*c is not a finite number (Inf) for RADX: PAR=p KE=1e+200; no report is written."},
        {"tinyNucleusSem", "SIMCON: NOCS=3\nCELL: NDIA=1e-100\n",
         "The TABLE 6 value in row 1, column 2 (SEM) is not a finite number (NaN) for CELL: DNA=6 NDIA=1e-100"},
        {"hugeNucleus", "CELL: NDIA=1e100\n",
         "The event frequency per unit absorbed dose (1/zf) is not a finite number (Inf) for RADX: PAR=e KE=1, "
         "CELL: NDIA=1e+100; no report is written."},
        {"hugeDna", "CELL: DNA=1e308\n" + iron, "The TABLE 2 value in row 1, column 2 is not a finite number (Inf)"},
        {"repairOverflow", "EVO2: PO2=0 M0=1e308 K=100 Q=1e-300 R=1e300\n",
         "The chemical repair probability is not a finite number (-Inf) for EVO2: PO2=0 M0=1e+308 K=100 Q=1e-300 "
         "R=1e+300; no report is written."},
        {"strandBreakOverflow", "DMSO: CONC=1.7e308 FNSD=1\n",
         "The number of strand breaks per cell per Gy is not a finite whole number (Inf) for DMSO: CONC=1.7e+308 "
         "FNSD=1 CHMX=0.5; no report is written."},
        {"subnormalWeights", "RADX: FN=w.txt\n",
         "Field file w.txt: the weights are too small to be normalised (their sum is below 2.2E-308); give them as "
         "shares or percentages.",
         "",
         {{"w.txt", "weights\n2\np 10 1e-320\n4He 40 2e-320\n"}}},
        {"dmsoLeavesNoLesion", "DMSO: CONC=14 FNSD=0 CHMX=0.01\n" + iron,
         "Damage information for this DNA segment is missing",
         "The cell receives no lesion: DMSO: CONC=14 FNSD=0 CHMX=0.01 leave 0 strand breaks and 0 base damages"},
        {"repairLeavesNoLesion", "EVO2: PO2=0 M0=1e4\n",
         "Damage information for this DNA segment is missing",
         "Chemical repair removes every lesion of the cell (1300 strand breaks and 3900 base damages per cell per "
         "Gy, repair probability 0.9999 from EVO2: PO2=0 M0=10000"},
    };
    for (const StopCase& c : cases) {
        const fs::path dir = kesp::makeRunDirectory(std::string("kespNonFinite-") + c.name);
        std::ofstream(dir / "run.inp") << c.input;
        for (const auto& [name, contents] : c.more) {
            std::ofstream(dir / name) << contents;
        }
        const kesp::RunResult run = kesp::runProgram(dir, {"run.inp"});
        EXPECT_EQ(run.exitStatus, 1) << c.name;
        EXPECT_FALSE(fs::exists(dir / "run.out")) << c.name;
        ASSERT_FALSE(run.console.empty()) << c.name;
        EXPECT_TRUE(run.console.back().starts_with(c.console)) << c.name << ": " << run.console.back();
        if (!c.errors.empty()) {
            EXPECT_TRUE(!run.errors.empty() && run.errors.back().starts_with(c.errors))
                << c.name << ": " << (run.errors.empty() ? "" : run.errors.back());
        }
        EXPECT_FALSE(kesp::sanitizerReported(run)) << c.name;
        fs::remove_all(dir);
    }
}

}  // namespace
