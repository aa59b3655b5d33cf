// Runs the real executable with --help, -h and --version: information on the
// console, exit status 0 and no run; and with files of those names, which are
// read as input files like any other.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver/runHarness.h"

namespace {

namespace fs = std::filesystem;
using kesp::RunResult;

constexpr int runTimeLimitSeconds = 60;
const std::string bannerTitle = "KESP Version 3.00B  15-JUL-2011";

bool holdsLine(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool anyLineStartsWith(const std::vector<std::string>& lines, const std::string& start)
{
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

TEST(UsageTest, helpNamesTheCommandLineSwitchesAndExitStatuses)
{
    for (const std::string option : {"--help", "-h"}) {
        SCOPED_TRACE(option);
        const fs::path dir = kesp::makeRunDirectory("kespUsage-help");
        const RunResult run = kesp::runProgram(dir, {option}, runTimeLimitSeconds);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_TRUE(run.errors.empty());
        ASSERT_FALSE(run.console.empty());
        EXPECT_EQ(run.console.front(), "Usage: kesp [input-file] [switches]");
        EXPECT_FALSE(holdsLine(run.console, bannerTitle));
        for (const std::string start : {"  /no2 ", "  /nq ", "  /2006 ", "  /strict ", "Exit status:", "  0  ",
                                        "  1  ", "  2  "}) {
            EXPECT_TRUE(anyLineStartsWith(run.console, start)) << start;
        }
        for (const std::string& line : run.console) {
            EXPECT_LE(line.size(), 80u) << line;
        }
        EXPECT_FALSE(fs::exists(dir / "kesp.out"));
        fs::remove_all(dir);
    }
}

TEST(UsageTest, versionNamesTheReleaseRevisionAndCompiler)
{
    const fs::path dir = kesp::makeRunDirectory("kespUsage-version");
    const RunResult run = kesp::runProgram(dir, {"--version"}, runTimeLimitSeconds);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_TRUE(run.errors.empty());
    ASSERT_EQ(run.console.size(), 3u);
    EXPECT_EQ(run.console[0], bannerTitle);
    // A short git hash, or "unknown" for a build outside a git checkout.
    const std::string revisionLead = "revision: ";
    ASSERT_EQ(run.console[1].rfind(revisionLead, 0), 0u) << run.console[1];
    const std::string revision = run.console[1].substr(revisionLead.size());
    EXPECT_TRUE(revision == "unknown"
                || (revision.size() >= 4 && revision.find_first_not_of("0123456789abcdef") == std::string::npos))
        << revision;
    EXPECT_EQ(run.console[2].rfind("compiler: ", 0), 0u) << run.console[2];
    EXPECT_GT(run.console[2].size(), std::string("compiler: ").size());
    fs::remove_all(dir);
}

TEST(UsageTest, aFileNamedLikeAnOptionIsReadAsTheInput)
{
    for (const std::string name : {"--help", "-h", "--version"}) {
        SCOPED_TRACE(name);
        const fs::path dir = kesp::makeRunDirectory("kespUsage-file");
        std::ofstream(dir / name) << "SIMCON: NOCS=1\nRADX: PAR=56Fe KE=5600\n";
        const RunResult run = kesp::runProgram(dir, {name}, runTimeLimitSeconds);
        EXPECT_EQ(run.exitStatus, 0);
        ASSERT_FALSE(run.console.empty());
        EXPECT_EQ(run.console.front(), std::string(31, '='));
        EXPECT_EQ(run.console.back(), "END KESP");
        EXPECT_TRUE(fs::exists(dir / (name + ".out")));
        fs::remove_all(dir);
    }
}

}  // namespace
