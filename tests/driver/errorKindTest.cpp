// The kind of error the library gives for an input, and the exit status and
// message the real executable ends with for the same input: every failure
// ends with 1, the message the library carries on the standard error
// stream, and no report.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "driver/runHarness.h"
#include "kesp/engine/engine.h"
#include "kesp/support/exitStatus.h"

namespace {

namespace fs = std::filesystem;
using kesp::ErrorKind;

// The error a library caller gets for the input file, read and run in the
// directory as kesp would; nothing when the run succeeds.
std::optional<kesp::RunError> libraryError(const fs::path& dir)
{
    const fs::path previous = fs::current_path();
    fs::current_path(dir);
    std::optional<kesp::RunError> caught;
    try {
        kesp::NoProgress quiet;
        static_cast<void>(kesp::simulate(kesp::readInputFile("run.inp"), quiet));
    } catch (const kesp::RunError& error) {
        caught = error;
    }
    fs::current_path(previous);
    return caught;
}

TEST(ErrorKindTest, eachKindEndsKespWithItsExitStatusAndTheLibrarysMessage)
{
    const std::string iron = "SIMCON: NOCS=3\nRADX: PAR=56Fe KE=5600\n";
    struct Case {
        const char* name;
        std::string input;
        std::vector<std::pair<std::string, std::string>> more;
        ErrorKind kind;
    };
    const std::vector<Case> cases = {
        {"negativeWeight", "RADX: FN=f.txt\n", {{"f.txt", "t\n2\np 10 -1\n4He 40 1\n"}}, ErrorKind::input},
        {"unknownComponent", "RADX: FN=f.txt\n", {{"f.txt", "t\n2\np 10 1\nXq 40 1\n"}}, ErrorKind::input},
        {"hugeNucleus", "CELL: NDIA=1e100\n", {}, ErrorKind::nonFiniteResult},
        {"nucleusBeyondMicrodosimetry", "CELL: NDIA=1e300\n", {}, ErrorKind::physics},
        {"dmsoLeavesNoLesion", "DMSO: CONC=14 FNSD=0 CHMX=0.01\n" + iron, {}, ErrorKind::physics},
        {"repairOverflow", "EVO2: PO2=0 M0=1e308 K=100 Q=1e-300 R=1e300\n", {}, ErrorKind::nonFiniteResult},
        {"hugeDna", "CELL: DNA=1e308\n" + iron, {}, ErrorKind::nonFiniteResult},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path dir = kesp::makeRunDirectory(std::string("kespErrorKind-") + c.name);
        std::ofstream(dir / "run.inp") << c.input;
        for (const auto& [name, contents] : c.more) {
            std::ofstream(dir / name) << contents;
        }
        const std::optional<kesp::RunError> error = libraryError(dir);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->kind(), c.kind) << error->what();
        const kesp::RunResult run = kesp::runProgram(dir, {"run.inp"});
        EXPECT_EQ(run.exitStatus, kesp::exitStatusFor(c.kind));
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_NE(std::find(run.errors.begin(), run.errors.end(), std::string(error->what())), run.errors.end())
            << error->what();
        EXPECT_FALSE(fs::exists(dir / "run.out"));
        fs::remove_all(dir);
    }
}

}  // namespace
