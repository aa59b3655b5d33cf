// Runs the real executable where the report or the console cannot be written
// as usual: a closed pipe, a full device, a file-size limit, a report path or
// field file that is no regular file, a run killed mid-simulation. Each run
// goes through /bin/sh; the program is reached as "$KESP", a wrapper with a
// time limit, and its exit status is what the command writes to status.txt.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "driver/runHarness.h"

namespace {

namespace fs = std::filesystem;
using kesp::readTextLines;
using kesp::shellQuoted;

const std::string smallRun = "SIMCON: NOCS=2\nRADX: PAR=56Fe KE=5600\n";
// Far more cells than the time limit allows: a run must stop before the first.
const std::string endlessRun = "SIMCON: NOCS=1000000\nRADX: PAR=56Fe KE=5600\n";
const std::string previousReport = "the report of the run before\n";
const std::string progressHeader = "  Elapsed   Remaining     DSB        SSB       TOTAL      nsim     sim/s";
const std::string tableRule(115, '-');

bool anyLineHolds(const std::vector<std::string>& lines, const std::string& text)
{
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

std::string fileText(const fs::path& path)
{
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Runs the command in the directory; the program's exit status (from
// status.txt), or -1 when the command wrote none.
int runShell(const fs::path& dir, const std::string& command, int timeLimitSeconds = 20)
{
    std::ofstream(dir / "kesp-timed") << "#!/bin/sh\nexec timeout -k 5 " << timeLimitSeconds << ' '
                                      << shellQuoted(KESP_EXECUTABLE) << " \"$@\"\n";
    fs::permissions(dir / "kesp-timed", fs::perms::owner_all);
    const std::string line = "cd " + shellQuoted(dir.string()) + " && KESP="
                             + shellQuoted((dir / "kesp-timed").string()) + " KESP_PROGRAM="
                             + shellQuoted(KESP_EXECUTABLE) + " sh -c " + shellQuoted(command);
    if (std::system(line.c_str()) == -1) {
        return -1;
    }
    const std::vector<std::string> status = readTextLines(dir / "status.txt");
    return status.empty() ? -1 : std::stoi(status.front());
}

// Temporary files are named after the report with a dot in front.
bool temporaryFileLeft(const fs::path& dir)
{
    return std::any_of(fs::directory_iterator(dir), fs::directory_iterator(), [](const fs::directory_entry& entry) {
        return entry.path().filename().string().rfind(".run.out", 0) == 0;
    });
}

void expectCompleteReport(const fs::path& report)
{
    const std::vector<std::string> lines = readTextLines(report);
    ASSERT_GE(lines.size(), 4U) << report;
    EXPECT_NE(lines[3].find("running time (min)"), std::string::npos) << "no console lines in the report";
    EXPECT_TRUE(anyLineHolds(lines, "TABLE 6."));
    EXPECT_EQ(lines.back(), tableRule);
}

enum class ReportAfter { complete, previousKept, absent };

struct OutputCase {
    std::string name;
    std::function<void(const fs::path&)> setup;  // besides run.inp (and a previous run.out)
    std::string input;
    std::string command;
    int exitStatus;
    std::string message;  // on the console or the standard error stream
    ReportAfter report;
};

void PrintTo(const OutputCase& c, std::ostream* out)
{
    *out << c.name;
}

class ReportFileTest : public ::testing::TestWithParam<OutputCase> {};

TEST_P(ReportFileTest, endsWithAMessageNeverBySignalOrWaiting)
{
    const OutputCase& c = GetParam();
    const fs::path dir = kesp::makeRunDirectory("kespReportFile-" + c.name);
    std::ofstream(dir / "run.inp") << c.input;
    if (c.report != ReportAfter::absent) {
        std::ofstream(dir / "run.out") << previousReport;
    }
    if (c.setup) {
        c.setup(dir);
    }
    EXPECT_EQ(runShell(dir, c.command), c.exitStatus);
    std::vector<std::string> messages = readTextLines(dir / "errors.txt");
    const std::vector<std::string> console = readTextLines(dir / "console.txt");
    messages.insert(messages.end(), console.begin(), console.end());
    EXPECT_TRUE(anyLineHolds(messages, c.message)) << "expected: " << c.message;
    EXPECT_FALSE(anyLineHolds(messages, "Sanitizer") || anyLineHolds(messages, "runtime error:"));
    EXPECT_FALSE(temporaryFileLeft(dir));
    switch (c.report) {
        case ReportAfter::complete:
            expectCompleteReport(dir / "run.out");
            break;
        case ReportAfter::previousKept:
            EXPECT_EQ(fileText(dir / "run.out"), previousReport);
            break;
        case ReportAfter::absent:
            // Refused at once: the thing in the report's place is untouched
            // and no cell was simulated.
            EXPECT_FALSE(fs::is_regular_file(dir / "run.out"));
            EXPECT_FALSE(anyLineHolds(console, progressHeader));
            break;
    }
    fs::remove_all(dir);
}

const std::string plainRun = "\"$KESP\" run.inp >console.txt 2>errors.txt; echo $? >status.txt";
const std::string consoleFailed = "The console (standard output) could not be written in full";
const std::string notRegularReport =
    "Cannot create the report file run.out: it exists and is not a regular file";

INSTANTIATE_TEST_SUITE_P(
    Outputs, ReportFileTest,
    ::testing::Values(
        // The reader has closed the pipe before the first line is written.
        OutputCase{"closedPipe", nullptr, smallRun,
                   "(while [ ! -e closed ]; do sleep 0.01; done; \"$KESP\" run.inp 2>errors.txt; echo $? >status.txt)"
                   " | (exec <&-; : >closed)",
                   1, consoleFailed, ReportAfter::complete},
        // No standard output at all: the report is still written, and only the report.
        OutputCase{"closedConsole", nullptr, smallRun, "\"$KESP\" run.inp >&- 2>errors.txt; echo $? >status.txt",
                   1, consoleFailed, ReportAfter::complete},
        OutputCase{"fullConsole", nullptr, smallRun, "\"$KESP\" run.inp >/dev/full 2>errors.txt; echo $? >status.txt",
                   1, consoleFailed, ReportAfter::complete},
        // 16 blocks hold the console but not the report.
        OutputCase{"fileSizeLimit", nullptr, smallRun, "ulimit -f 16; " + plainRun, 1,
                   "Cannot write the report file run.out: File too large", ReportAfter::previousKept},
        // A stop in the simulation, after the report's place was reserved.
        OutputCase{"stopInTheRun", nullptr, "EVO2: M0=1E300\nRADX: PAR=56Fe KE=5600\n", plainRun, 1,
                   "Damage information for this DNA segment is missing",
                   ReportAfter::previousKept},
        // Field files that are pipes are skipped like missing ones; opening
        // or reading them would wait for a writer for ever.
        OutputCase{"fifoFieldFile", [](const fs::path& dir) { mkfifo((dir / "field.txt").c_str(), 0600); },
                   "SIMCON: NOCS=2\nRADX: FN=field.txt PAR=56Fe KE=5600\n", plainRun, 0,
                   "field file \"field.txt\" is not a regular file", ReportAfter::complete},
        OutputCase{"stdinFieldFile", [](const fs::path& dir) { mkfifo((dir / "pipe").c_str(), 0600); },
                   "SIMCON: NOCS=2\nRADX: FN=/dev/stdin PAR=56Fe KE=5600\n",
                   "\"$KESP\" run.inp <>pipe >console.txt 2>errors.txt; echo $? >status.txt", 0,
                   "field file \"/dev/stdin\" is not a regular file", ReportAfter::complete},
        OutputCase{"fifoReport", [](const fs::path& dir) { mkfifo((dir / "run.out").c_str(), 0600); }, endlessRun,
                   plainRun, 1, notRegularReport, ReportAfter::absent},
        OutputCase{"directoryReport", [](const fs::path& dir) { fs::create_directory(dir / "run.out"); }, endlessRun,
                   plainRun, 1, notRegularReport, ReportAfter::absent},
        OutputCase{"deviceReport", [](const fs::path& dir) { fs::create_symlink("/dev/null", dir / "run.out"); },
                   endlessRun, plainRun, 1, notRegularReport, ReportAfter::absent}),
    [](const ::testing::TestParamInfo<OutputCase>& caseInfo) { return caseInfo.param.name; });

TEST(ReportFileTest, consoleInAFileHoldsEveryLineBeforeAKill)
{
    // Killed once the progress header is in the file (or after 10 s).
    const fs::path dir = kesp::makeRunDirectory("kespReportFile-killed");
    std::ofstream(dir / "run.inp") << endlessRun;
    runShell(dir, "\"$KESP_PROGRAM\" run.inp >console.txt & pid=$!; n=0;"
                  " while [ $n -lt 100 ] && ! grep -q Elapsed console.txt 2>/dev/null; do sleep 0.1; n=$((n+1)); done;"
                  " kill -KILL $pid; wait $pid; echo $? >status.txt");
    const std::vector<std::string> console = readTextLines(dir / "console.txt");
    ASSERT_FALSE(console.empty());
    EXPECT_EQ(console.front(), "===============================");
    EXPECT_EQ(console.back(), progressHeader);
    EXPECT_FALSE(fs::exists(dir / "run.out"));
    fs::remove_all(dir);
}

}  // namespace
