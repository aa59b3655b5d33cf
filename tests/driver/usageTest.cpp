// Runs the real executable with --help, -h and --version: information on the
// console, exit status 0 and no run; files of those names are read as input.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver/runHarness.h"

namespace {

namespace fs = std::filesystem;

const std::string bannerTitle = "KESP Version 3.00B  15-JUL-2011";

TEST(UsageTest, informationRequestsPrintTheirTextAndExitZero)
{
    struct Case {
        std::string argument;
        std::vector<std::string> lineStarts;  // each the start of a line shown
    };
    const std::vector<Case> cases = {
        {"--help", {"Usage: kesp [input-file] [switches]", "  /no2 ", "  /nq ", "  /2006 ", "  /strict ", "  /json ",
                    "Exit status:", "  0  ", "  1  ", "  2  ", "  130, 143  "}},
        {"-h", {"Usage: kesp [input-file] [switches]", "  /strict "}},
        {"--version", {bannerTitle, "release: ", "revision: ", "compiler: "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argument);
        const fs::path dir = kesp::makeRunDirectory("kespUsage");
        const kesp::RunResult run = kesp::runProgram(dir, {c.argument});
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_TRUE(run.errors.empty());
        std::string console;
        for (const std::string& line : run.console) {
            EXPECT_LE(line.size(), 80u) << line;
            EXPECT_TRUE(line.empty() || line.back() != ' ') << "nothing after: " << line;
            console += "\n" + line;
        }
        for (const std::string& start : c.lineStarts) {
            EXPECT_NE(console.find("\n" + start), std::string::npos) << start;
        }
        EXPECT_EQ(console.find("\n==="), std::string::npos) << "a banner, as for a run";
        EXPECT_FALSE(fs::exists(dir / "kesp.out"));
        fs::remove_all(dir);
    }
}

TEST(UsageTest, aFileNamedLikeAnOptionIsReadAsTheInput)
{
    for (const std::string name : {"--help", "-h", "--version"}) {
        SCOPED_TRACE(name);
        const fs::path dir = kesp::makeRunDirectory("kespUsage");
        std::ofstream(dir / name) << "SIMCON: NOCS=1\nRADX: PAR=56Fe KE=5600\n";
        const kesp::RunResult run = kesp::runProgram(dir, {name});
        EXPECT_EQ(run.exitStatus, 0);
        ASSERT_GE(run.console.size(), 2u);
        EXPECT_EQ(run.console[1], bannerTitle);
        EXPECT_EQ(run.console.back(), "END KESP");
        EXPECT_TRUE(fs::exists(dir / (name + ".out")));
        fs::remove_all(dir);
    }
}

}  // namespace
