// A scan that is interrupted loses at most the configurations that were
// running: killed outright (SIGKILL) at several points, stopped by Ctrl-C or
// SIGTERM, or stopped by a full disk, it resumes when run again and the
// finished table is byte for byte the table of an uninterrupted run with
// one job. A table begun by another scan, or by this scan before its file
// changed, is refused and left as it was.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "scan/scanHarness.h"

namespace {

namespace fs = std::filesystem;
using namespace kesp;
using namespace kesp::scantest;
using namespace std::chrono_literals;

// The long first row and its reference run, which starts beside it, keep
// two jobs busy; a third runs later rows, which finish before their turn
// and wait in the pending file. The long sixth row
// still runs well after the first is done, so that a scan stopped once rows
// reach the table has rows left to do, however fast the cells are.
constexpr const char* slowScan = "title: resume\nseed: 3\nvary:\n  NOCS: [1500, 150, 150, 150, 150, 4000, 150, 150]\n"
                                 "fixed: {PAR: p, KE: 5}\nreference: {PAR: e, KE: 1}\n";

// Who runs kesp-scan: this process's user, or (when that is root, whom no
// file permission stops) the unprivileged user "nobody".
enum class User { same, unprivileged };

// kesp-scan started in the background in `dir`, its console and errors in
// console.txt and errors.txt there.
class BackgroundScan {
public:
    BackgroundScan(const fs::path& dir, const std::vector<std::string>& arguments, rlim_t fileSizeLimit = RLIM_INFINITY,
                   User user = User::same)
    {
        std::vector<std::string> argv{KESP_SCAN_EXECUTABLE};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        pid_ = fork();
        if (pid_ == 0) {
            startChild(dir, argv, fileSizeLimit, user);
        }
    }

    // The exit status, or 128 plus the signal that ended it.
    int wait()
    {
        int status = 0;
        waitpid(pid_, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    void signal(int number) const { kill(pid_, number); }

private:
    [[noreturn]] static void startChild(const fs::path& dir, const std::vector<std::string>& argv, rlim_t limit,
                                        User user)
    {

        if (chdir(dir.c_str()) != 0) {
            _exit(127);
        }
        const int out = open("console.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open("errors.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        const rlimit fileSize{limit, limit};
        setrlimit(RLIMIT_FSIZE, &fileSize);
        constexpr uid_t nobody = 65534;
        if (user == User::unprivileged && geteuid() == 0 && (setgid(nobody) != 0 || setuid(nobody) != 0)) {
            _exit(127);
        }
        std::vector<char*> pointers;
        for (const std::string& argument : argv) {
            pointers.push_back(const_cast<char*>(argument.c_str()));
        }
        pointers.push_back(nullptr);
        execv(pointers[0], pointers.data());
        _exit(127);
    }

    pid_t pid_ = -1;
};

std::size_t linesIn(const fs::path& file)
{
    return readTextLines(file).size();
}

// Waits until the condition holds; false after a minute.
template <typename Condition>
bool waitFor(Condition condition)
{
    for (int i = 0; i < 6000; ++i) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

class ScanResumeTest : public testing::Test {
protected:
    void SetUp() override
    {
        dir_ = makeRunDirectory("kespScanResume");
        writeText(dir_ / "scan.yaml", slowScan);
        ASSERT_EQ(runScan(dir_, {"-j", "1", "-o", "expected.csv", "scan.yaml"}).exitStatus, 0);
        expected_ = readText(dir_ / "expected.csv");
    }

    // Runs the scan to its end and checks the table.
    RunResult resumeAndCompare(const std::string& when)
    {
        const RunResult resumed = runScan(dir_, {"-j", "2", "scan.yaml"});
        EXPECT_EQ(resumed.exitStatus, 0) << when << "\n" << allLines(resumed.errors);
        EXPECT_EQ(readText(dir_ / "scan.csv"), expected_) << when;
        EXPECT_FALSE(fs::exists(dir_ / "scan.csv.pending")) << when;
        return resumed;
    }

    fs::path table() const { return dir_ / "scan.csv"; }

    fs::path dir_;
    std::string expected_;
};

TEST_F(ScanResumeTest, aScanKilledAtAnyPointResumesToTheSameTable)
{
    const fs::path pending = dir_ / "scan.csv.pending";
    const std::vector<std::pair<std::string, std::function<bool()>>> points{
        {"as it starts", [] { return true; }},
        {"with its heading written", [&] { return linesIn(table()) >= 2; }},
        {"with rows waiting for their turn", [&] { return linesIn(pending) >= 3; }},
        {"with rows in the table", [&] { return linesIn(table()) >= 4; }},
    };
    for (const auto& [when, condition] : points) {
        fs::remove(table());
        fs::remove(pending);
        BackgroundScan scan(dir_, {"-j", "3", "scan.yaml"});
        EXPECT_TRUE(waitFor(condition)) << when;
        scan.signal(SIGKILL);
        EXPECT_EQ(scan.wait(), 128 + SIGKILL) << when;
        const bool rowsKept = linesIn(table()) > 2 || linesIn(pending) > 1;
        const RunResult resumed = resumeAndCompare(when);
        EXPECT_EQ(resumed.console.size() > 1 && resumed.console[1].starts_with("kesp-scan: scan.csv: resuming: "),
                  rowsKept)
            << when << "\n" << allLines(resumed.console);
    }
}

TEST_F(ScanResumeTest, lastLinesCutOffByACrashAreDroppedOnResuming)
{
    fs::copy_file(dir_ / "expected.csv", table());
    const std::string full = readText(table());
    writeText(table(), full.substr(0, full.size() - 100));
    const std::string comment = full.substr(0, full.find('\n') + 1);
    writeText(dir_ / "scan.csv.pending", comment + "7 0.5 0.1 8,1");
    resumeAndCompare("after a cut-off row");

    const RunResult again = runScan(dir_, {"scan.yaml"});
    EXPECT_EQ(again.exitStatus, 0);
    EXPECT_TRUE(hasLine(again.console, "kesp-scan: scan.csv: resuming: 8 rows of 8 already done"));
    EXPECT_EQ(readText(table()), expected_);
}

TEST_F(ScanResumeTest, ctrlCAndSigtermFinishTheRunningConfigurationsAndSayHowToResume)
{
    for (const int number : {SIGINT, SIGTERM}) {
        fs::remove(table());
        BackgroundScan scan(dir_, {"-j", "2", "scan.yaml"});
        ASSERT_TRUE(waitFor([&] { return linesIn(table()) >= 2; }));
        scan.signal(number);
        EXPECT_EQ(scan.wait(), 130);
        const std::vector<std::string> errors = readTextLines(dir_ / "errors.txt");
        ASSERT_EQ(errors.size(), 1U) << allLines(errors);
        EXPECT_TRUE(errors[0].starts_with("kesp-scan: interrupted: scan.csv holds ")) << errors[0];
        EXPECT_TRUE(errors[0].ends_with("; run the same command again to resume")) << errors[0];
        EXPECT_LT(linesIn(table()), 10U);
        resumeAndCompare(number == SIGINT ? "after SIGINT" : "after SIGTERM");
    }
}

TEST_F(ScanResumeTest, aTableIsWrittenByOneScanAtATime)
{
    BackgroundScan first(dir_, {"-j", "1", "scan.yaml"});
    ASSERT_TRUE(waitFor([&] { return linesIn(table()) >= 2; }));
    const RunResult second = runScan(dir_, {"-j", "1", "scan.yaml"});
    EXPECT_EQ(second.exitStatus, 2);
    EXPECT_TRUE(hasLine(second.errors, "scan.csv: another kesp-scan is writing this table; wait for it to end, or "
                                       "name another table with -o"))
        << allLines(second.errors);
    first.signal(SIGKILL);
    first.wait();
    resumeAndCompare("after a second scan was turned away");
}

TEST_F(ScanResumeTest, aFullDiskEndsTheScanWithAMessageAndTheRowsWrittenResume)
{
    BackgroundScan limited(dir_, {"-j", "2", "scan.yaml"}, expected_.size() / 2);
    EXPECT_EQ(limited.wait(), 1);
    const std::vector<std::string> errors = readTextLines(dir_ / "errors.txt");
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors[0], "kesp-scan: The table scan.csv cannot be written: File too large");
    resumeAndCompare("after a full disk");

    const RunResult nowhere = runScan(dir_, {"-o", "no/such/folder/scan.csv", "scan.yaml"});
    EXPECT_EQ(nowhere.exitStatus, 1);
    EXPECT_TRUE(hasLine(nowhere.errors,
                        "kesp-scan: The table no/such/folder/scan.csv cannot be written: No such file or directory"))
        << allLines(nowhere.errors);
}

TEST_F(ScanResumeTest, aTableOfAnotherScanIsRefusedAndLeftAsItWas)
{
    const std::string partial = expected_.substr(0, expected_.find('\n', expected_.find('\n') + 1) + 1);
    const std::vector<std::pair<std::string, std::string>> otherTables{
        {"scan.yaml", std::string(slowScan).replace(std::string(slowScan).find("seed: 3"), 7, "seed: 4")},
        {"scan.yaml", std::string(slowScan).replace(std::string(slowScan).find("title: resume"), 13, "title: other")},
    };
    for (const auto& [name, changed] : otherTables) {
        writeText(table(), partial);
        writeText(dir_ / name, changed);
        const RunResult refused = runScan(dir_, {"scan.yaml"});
        EXPECT_EQ(refused.exitStatus, 2);
        ASSERT_FALSE(refused.errors.empty());
        EXPECT_TRUE(refused.errors[0].starts_with(
            "scan.csv: begun by another scan, another part of it, or before the scan file changed; remove it"))
            << refused.errors[0];
        EXPECT_EQ(readText(table()), partial);
    }
    writeText(table(), "particle,let\np,10\n");
    const RunResult foreign = runScan(dir_, {"scan.yaml"});
    EXPECT_EQ(foreign.exitStatus, 2);
    EXPECT_TRUE(hasLine(foreign.errors, "scan.csv: not a table of kesp-scan; remove it to start the table afresh, "
                                        "or name another table with -o"));
    EXPECT_EQ(readText(table()), "particle,let\np,10\n");
}

// Rows are written as soon as they can be, not after the physics of the
// whole scan or after all its reference runs: the first row reaches the
// table early in the scan, a scan stopped then keeps it, and resuming
// completes the table of an uninterrupted scan.
TEST(ScanEarlyRowsTest, theFirstRowReachesTheTableEarlyAndIsKeptWhenTheScanIsStopped)
{
    const fs::path dir = makeRunDirectory("kespScanEarlyRows");
    const std::vector<std::pair<std::string, std::vector<std::string>>> scans{
        // Physics only: every row is physics of its own.
        {"title: physics\nvary:\n  MEV/A: {from: 5, to: 200, points: 20, spacing: log}\nfixed: {PAR: 12C}\n",
         {"--physics-only"}},
        // A reference run per oxygen level, each as long as a row.
        {"title: references\ncells: 1000\nseed: 1\nvary:\n  PO2: [21, 10, 5, 2, 1, 0.5, 0.2, 0.1]\n"
         "fixed: {PAR: p, KE: 5}\nreference: {PAR: e, KE: 1}\n",
         {}},
    };
    for (const auto& [text, options] : scans) {
        writeText(dir / "scan.yaml", text);
        fs::remove(dir / "scan.csv");
        fs::remove(dir / "expected.csv");
        std::vector<std::string> arguments = options;
        arguments.insert(arguments.end(), {"-j", "1", "scan.yaml"});
        std::vector<std::string> expected = arguments;
        expected.insert(expected.end() - 1, {"-o", "expected.csv"});
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(runScan(dir, expected).exitStatus, 0) << text;
        const auto whole = std::chrono::steady_clock::now() - start;

        const auto started = std::chrono::steady_clock::now();
        BackgroundScan scan(dir, arguments);
        EXPECT_TRUE(waitFor([&] { return linesIn(dir / "scan.csv") >= 3; })) << text;
        // Well before the end (a row that waited for every other run would
        // take nearly the whole time); half leaves room for a loaded machine
        // running other tests beside this one.
        EXPECT_LT(std::chrono::steady_clock::now() - started, whole / 2) << text;
        scan.signal(SIGINT);
        EXPECT_EQ(scan.wait(), 130) << text;
        EXPECT_GE(linesIn(dir / "scan.csv"), 3U) << text;
        const RunResult resumed = runScan(dir, arguments);
        EXPECT_EQ(resumed.exitStatus, 0) << allLines(resumed.errors);
        EXPECT_EQ(readText(dir / "scan.csv"), readText(dir / "expected.csv")) << text;
    }
}

// With a survival block, rows that wait for their turn keep the DSB yields
// of each component of their mixed field, so that a scan killed while they
// wait resumes to the table of an uninterrupted run, survival columns and
// all. The long first row and its reference run keep two jobs busy.
TEST(ScanSurvivalResumeTest, aScanKilledWithRowsWaitingResumesToTheSameSurvivalColumns)
{
    const fs::path dir = makeRunDirectory("kespScanSurvivalResume");
    writeText(dir / "field.txt", "protons and helium ions\n2\np 10 0.7\n4He 20 0.3\n");
    writeText(dir / "scan.yaml", "title: resume\nseed: 3\nvary:\n  NOCS: [1500, 150, 150, 4000, 150]\n"
                                 "  PO2: [21, 0.5]\nfixed: {FN: field.txt}\nreference: {PAR: e, KE: 1}\n"
                                 "survival: {alpha: 0.2, beta: 0.03, doses: [2, 6]}\n");
    ASSERT_EQ(runScan(dir, {"-j", "1", "-o", "expected.csv", "scan.yaml"}).exitStatus, 0);
    const std::string expected = readText(dir / "expected.csv");
    ASSERT_NE(expected.find(",rbe_at_reference_dose_6gy_sem,rbe_at_survival_0.1,"), std::string::npos);
    BackgroundScan scan(dir, {"-j", "3", "scan.yaml"});
    EXPECT_TRUE(waitFor([&] { return linesIn(dir / "scan.csv.pending") >= 3; }));
    scan.signal(SIGKILL);
    EXPECT_EQ(scan.wait(), 128 + SIGKILL);
    const RunResult resumed = runScan(dir, {"-j", "2", "scan.yaml"});
    EXPECT_EQ(resumed.exitStatus, 0) << allLines(resumed.errors);
    EXPECT_TRUE(resumed.console.size() > 1 && resumed.console[1].starts_with("kesp-scan: scan.csv: resuming: "))
        << allLines(resumed.console);
    EXPECT_EQ(readText(dir / "scan.csv"), expected);
}

// A complete table that cannot be written needs no writing: the scan is
// done (exit 0) and leaves it as it is. One that still needs rows is
// refused with the reason it cannot be written.
TEST(ScanReadOnlyTableTest, aCompleteTableThatCannotBeWrittenIsDoneAndAnIncompleteOneIsRefused)
{
    const fs::path dir = makeRunDirectory("kespScanReadOnly");
    fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec
                             | fs::perms::others_read | fs::perms::others_exec);
    writeText(dir / "scan.yaml", "cells: 10\nseed: 6\nvary:\n  KE: [5, 10, 20]\nfixed: {PAR: p}\n");
    ASSERT_EQ(runScan(dir, {"scan.yaml"}).exitStatus, 0);
    const std::string complete = readText(dir / "scan.csv");
    const std::string twoRows = complete.substr(0, complete.rfind('\n', complete.size() - 2) + 1);
    struct Case {
        std::string table;
        int exitStatus;
        std::string line;  // on the console with exit 0, else among the errors
    };
    const std::vector<Case> cases{
        {complete, 0, "kesp-scan: scan.csv: 3 rows"},
        {twoRows, 1, "kesp-scan: The table scan.csv cannot be written: Permission denied"},
    };
    const fs::path table = dir / "scan.csv";
    for (const Case& c : cases) {
        fs::permissions(table, fs::perms::owner_write, fs::perm_options::add);
        writeText(table, c.table);
        fs::permissions(table, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        BackgroundScan scan(dir, {"scan.yaml"}, RLIM_INFINITY, User::unprivileged);
        EXPECT_EQ(scan.wait(), c.exitStatus) << readText(dir / "errors.txt");
        const std::vector<std::string> shown = readTextLines(dir / (c.exitStatus == 0 ? "console.txt" : "errors.txt"));
        EXPECT_TRUE(hasLine(shown, c.line)) << allLines(shown);
        EXPECT_EQ(readText(table), c.table);
    }
}

}  // namespace
