// Interrupts the real executable with real signals: the first SIGINT or
// SIGTERM ends the run after its current cell with the report of the cells
// done and exit status 130 or 143; signals within a second of it are the
// same request; one a second or more later ends the process at once, without
// a report and without its temporary file; one before the first cell leaves
// no report.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "driver/jsonReportCheck.h"
#include "driver/runHarness.h"
#include "kesp/support/interrupts.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Long enough for a sanitizer build on a loaded machine; the runs end much
// sooner, as soon as they are interrupted.
constexpr auto waitLimit = std::chrono::seconds(60);
constexpr int cellsAskedFor = 200000;
const std::string progressHeader = "  Elapsed   Remaining";

// The program started in a directory on input `run.inp`, its console read
// through a pipe, its errors in errors.txt, killed if the test leaves it
// running, in a process group of its own. A pipe that starts full blocks the
// program at its first console line until the test reads it.
class BackgroundRun {
public:
    enum class Console { open, blocked };

    // `json` adds the switch /json after the input.
    BackgroundRun(const fs::path& dir, Console console, bool json = false) : errors_(dir / "errors.txt")
    {
        int ends[2] = {-1, -1};
        if (pipe2(ends, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "no pipe";
            return;
        }
        if (console == Console::blocked) {
            blockedBytes_ = fill(ends[1]);
        }
        const std::string program = KESP_EXECUTABLE;
        const std::string errors = errors_.string();
        const std::string where = dir.string();
        std::string input = "run.inp";
        std::string jsonSwitch = "/json";
        char* const arguments[] = {const_cast<char*>(program.c_str()), input.data(),
                                   json ? jsonSwitch.data() : nullptr, nullptr};
        pid_ = fork();
        if (pid_ == 0) {  // only async-signal-safe calls up to exec
            const int errorFile = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            signal(SIGINT, SIG_DFL);  // as a terminal would start it, whoever started the tests
            signal(SIGTERM, SIG_DFL);
            setpgid(0, 0);  // as a batch system or `timeout` starts it
            if (errorFile >= 0 && dup2(ends[1], STDOUT_FILENO) >= 0 && dup2(errorFile, STDERR_FILENO) >= 0
                && chdir(where.c_str()) == 0) {
                execv(program.c_str(), arguments);
            }
            _exit(127);
        }
        writer_ = ends[1];
        console_ = ends[0];
        if (pid_ < 0) {
            ADD_FAILURE() << "no process";
        }
    }

    ~BackgroundRun()
    {
        if (pid_ > 0 && !ended_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        closeWriter();
        close(console_);
    }

    BackgroundRun(const BackgroundRun&) = delete;
    BackgroundRun& operator=(const BackgroundRun&) = delete;

    bool consoleShows(const std::string& text)
    {
        const Clock::time_point deadline = Clock::now() + waitLimit;
        while (text_.find(text, blockedBytes_) == std::string::npos) {
            if (!readConsole(deadline)) {
                return false;
            }
        }
        return true;
    }

    // True once the program catches SIGINT and SIGTERM (SigCgt: bits 1 and 14).
    bool catchesInterrupts() const
    {
        const unsigned long both = (1UL << (SIGINT - 1)) | (1UL << (SIGTERM - 1));
        const Clock::time_point deadline = Clock::now() + waitLimit;
        while (Clock::now() < deadline) {
            std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
            for (std::string line; std::getline(status, line);) {
                if (line.rfind("SigCgt:", 0) == 0 && (std::stoul(line.substr(7), nullptr, 16) & both) == both) {
                    return true;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    // Never to pid -1, which would mean every process.
    void send(int signal) const
    {
        if (pid_ > 0) {
            kill(pid_, signal);
        }
    }

    // To the program's whole process group, as `timeout` and batch systems
    // send it.
    void sendToGroup(int signal) const
    {
        if (pid_ > 0) {
            kill(-pid_, signal);
        }
    }

    // Fills the console pipe, so that the program's next console line waits
    // until the test reads it. The bytes go through a description of the pipe
    // of the test's own, so that making it non-blocking leaves the program's
    // writes as they are.
    void blockConsole()
    {
        const int own = open(("/proc/self/fd/" + std::to_string(writer_)).c_str(), O_WRONLY | O_CLOEXEC);
        if (own < 0) {
            ADD_FAILURE() << "cannot open the console pipe again";
            return;
        }
        fill(own);
        close(own);
    }

    // Reads the console to its end and waits for the program (killed after
    // the limit); the wait status.
    int finish()
    {
        closeWriter();
        if (pid_ <= 0) {
            return -1;
        }
        const Clock::time_point deadline = Clock::now() + waitLimit;
        while (readConsole(deadline)) {
        }
        if (Clock::now() >= deadline) {
            ADD_FAILURE() << "the program did not end within the limit";
            send(SIGKILL);
        }
        int status = 0;
        waitpid(pid_, &status, 0);
        ended_ = true;
        kesp::RunResult errors;
        errors.errors = kesp::readTextLines(errors_);
        EXPECT_FALSE(kesp::sanitizerReported(errors));
        return status;
    }

    // The console lines, without the bytes that blocked it.
    std::vector<std::string> console() const
    {
        std::istringstream in(text_.substr(blockedBytes_));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

private:
    // The test keeps the pipe's writing end until it reads to the end, so
    // that it can fill the pipe while the program runs.
    void closeWriter()
    {
        if (writer_ >= 0) {
            close(writer_);
            writer_ = -1;
        }
    }

    static std::size_t fill(int pipeEnd)
    {
        const int flags = fcntl(pipeEnd, F_GETFL);
        fcntl(pipeEnd, F_SETFL, flags | O_NONBLOCK);
        const std::string chunk(512, '#');
        std::size_t filled = 0;
        for (ssize_t written = 1; written > 0;) {
            written = write(pipeEnd, chunk.data(), chunk.size());
            filled += written > 0 ? static_cast<std::size_t>(written) : 0;
        }
        fcntl(pipeEnd, F_SETFL, flags);  // the program's writes must wait
        return filled;
    }

    // False at the console's end or the deadline.
    bool readConsole(Clock::time_point deadline)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd ready{console_, POLLIN, 0};
        if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
            return false;
        }
        char buffer[4096];
        const ssize_t count = read(console_, buffer, sizeof buffer);
        if (count <= 0) {
            return false;
        }
        text_.append(buffer, static_cast<std::size_t>(count));
        return true;
    }

    fs::path errors_;
    pid_t pid_ = -1;
    int console_ = -1;
    int writer_ = -1;
    std::size_t blockedBytes_ = 0;
    std::string text_;
    bool ended_ = false;
};

fs::path runDirectory(const std::string& tag, const std::string& radiation, const std::string& fieldFile = "")
{
    const fs::path dir = kesp::makeRunDirectory("kespInterrupt-" + tag);
    std::ofstream(dir / "run.inp") << "SIMCON: NOCS=" << cellsAskedFor << " SEED=2718\nRADX: " << radiation << '\n';
    if (!fieldFile.empty()) {
        std::ofstream(dir / "field.txt") << fieldFile;
    }
    return dir;
}

std::vector<std::string> withoutLine(std::vector<std::string> lines, const std::string& text)
{
    lines.erase(std::remove(lines.begin(), lines.end(), text), lines.end());
    return lines;
}

// The lines from "TABLE 6." to the end: its heading, all its rows and the total.
std::size_t tableSixLines(const std::vector<std::string>& report)
{
    const auto heading = std::find_if(report.begin(), report.end(),
                                      [](const std::string& line) { return line.rfind("TABLE 6.", 0) == 0; });
    return static_cast<std::size_t>(report.end() - heading);
}

TEST(InterruptTest, aSignalEndsTheRunWithTheReportOfTheCellsDone)
{
    struct Case {
        std::string tag;
        int signal;
        int status;
        std::string radiation;
        std::string fieldFile;
        std::string shownBeforeTheSignal;  // the cells are under way
        bool json;                         // with /json: the document of the cells done
    };
    const std::vector<Case> cases = {
        {"ironSigint", SIGINT, 130, "PAR=56Fe KE=5600", "", progressHeader, false},
        {"electronSigterm", SIGTERM, 143, "PAR=e KE=1", "", progressHeader, true},
    };
    const std::vector<std::string> goldenReport =
        kesp::readTextLines(fs::path(KESP_SOURCE_DIR) / "tests" / "golden" / "mixedField.out");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        const fs::path dir = runDirectory(c.tag, c.radiation, c.fieldFile);
        BackgroundRun run(dir, BackgroundRun::Console::open, c.json);
        ASSERT_TRUE(run.consoleShows(c.shownBeforeTheSignal));
        run.send(c.signal);
        const int status = run.finish();
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.status) << std::hex << status;

        // After the running time, on the console and in the report, the cells
        // done of those asked for; the settings echo shows the cells done.
        const std::vector<std::string> console = run.console();
        const std::vector<std::string> report = kesp::readTextLines(dir / "run.out");
        ASSERT_GE(console.size(), 2u);
        ASSERT_GE(report.size(), 7u);
        int cells = 0;
        ASSERT_EQ(std::sscanf(console.back().c_str(), "Run interrupted after %d", &cells), 1) << console.back();
        EXPECT_EQ(console.back(), "Run interrupted after " + std::to_string(cells) + " of 200000 cells");
        EXPECT_EQ(console[console.size() - 2].rfind("Running time =", 0), 0u);
        EXPECT_EQ(report[3].substr(16), "running time (min)");
        EXPECT_EQ(report[4], console.back());
        EXPECT_EQ(report[7], std::string(11 - std::to_string(cells).size(), ' ') + std::to_string(cells)
                                 + "     number of cells (nocs)");
        EXPECT_GT(cells, 0);
        EXPECT_LT(cells, cellsAskedFor);
        EXPECT_EQ(tableSixLines(report), tableSixLines(goldenReport));
        EXPECT_EQ(fs::exists(dir / "run.json"), c.json);
        if (c.json) {
            kesp::jsontest::expectDocumentMatchesReport(dir / "run.json", report);
            const kesp::jsontest::Json document = kesp::jsontest::readJson(dir / "run.json");
            EXPECT_EQ(document["run"]["interrupted"], true);
            EXPECT_EQ(document["run"]["cells_simulated"], cells);
            EXPECT_EQ(document["run"]["cells_requested"], cellsAskedFor);
        }

        // A single particle: the report of a run asked for that many cells.
        if (c.fieldFile.empty()) {
            std::ofstream(dir / "again.inp") << "SIMCON: NOCS=" << cells << " SEED=2718\nRADX: " << c.radiation << '\n';
            ASSERT_EQ(kesp::runProgram(dir, {"again.inp"}).exitStatus, 0);
            std::vector<std::string> complete = kesp::readTextLines(dir / "again.out");
            complete[3] = report[3];  // the running time
            EXPECT_EQ(withoutLine(report, console.back()), complete);
        }
        fs::remove_all(dir);
    }
}

// A mixed field's components are simulated one after the other, so the cells
// of a run stopped early are not a sample of the field: no report, and the
// one before is kept.
TEST(InterruptTest, aStoppedMixedFieldWritesNoReportAndKeepsTheOneBefore)
{
    const fs::path dir = runDirectory("mixed", "FN=field.txt", "two\n2\n56Fe 5600 0.001\n4He 40 0.999\n");
    std::ofstream(dir / "run.out") << "report of the run before\n";
    std::ofstream(dir / "run.json") << "document of the run before\n";
    BackgroundRun run(dir, BackgroundRun::Console::open, true);
    // 200 cells of the first component, then its progress line.
    ASSERT_TRUE(run.consoleShows("Scoll\n  "));
    run.send(SIGINT);
    const int status = run.finish();
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 130) << std::hex << status;

    const std::vector<std::string> console = run.console();
    ASSERT_GE(console.size(), 3u);
    const std::string refusal = "No report is written: a mixed field is simulated component by component, so the "
                                "cells done (of 1 of its 2 components) are not a sample of the field; an earlier "
                                "report is left as it was";
    EXPECT_EQ(console.back(), refusal);
    int cells = 0;
    const std::string& interrupted = console[console.size() - 2];
    ASSERT_EQ(std::sscanf(interrupted.c_str(), "Run interrupted after %d", &cells), 1) << interrupted;
    EXPECT_EQ(interrupted, "Run interrupted after " + std::to_string(cells) + " of 200000 cells");
    EXPECT_EQ(console[console.size() - 3].rfind("Running time =", 0), 0u);
    const std::vector<std::string> errors = kesp::readTextLines(dir / "errors.txt");
    EXPECT_NE(std::find(errors.begin(), errors.end(), refusal), errors.end());

    EXPECT_EQ(kesp::readTextLines(dir / "run.out"), std::vector<std::string>{"report of the run before"});
    std::vector<std::string> files;
    for (const fs::directory_entry& file : fs::directory_iterator(dir)) {
        files.push_back(file.path().filename().string());
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(kesp::readTextLines(dir / "run.json"), std::vector<std::string>{"document of the run before"});
    EXPECT_EQ(files, (std::vector<std::string>{"errors.txt", "field.txt", "run.inp", "run.json", "run.out"}));
    fs::remove_all(dir);
}

// The names in the run's directory other than its input, its errors and
// its report: a temporary report left behind, for one.
std::vector<std::string> strayFiles(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& file : fs::directory_iterator(dir)) {
        const std::string name = file.path().filename().string();
        if (name != "run.inp" && name != "run.out" && name != "errors.txt") {
            names.push_back(name);
        }
    }
    return names;
}

TEST(InterruptTest, signalsThatComeTogetherAreOneRequest)
{
    // `timeout -s TERM` signals the program and then its process group, and
    // batch systems do alike: the same signal twice within microseconds.
    // Each way of sending is tried again and again, since whether the second
    // signal comes before or after the program took the first is chance.
    struct Way {
        std::string name;
        int status;
        std::function<void(const BackgroundRun&)> send;
    };
    const std::vector<Way> ways = {
        {"twice", 143, [](const BackgroundRun& run) { run.send(SIGTERM); run.send(SIGTERM); }},
        {"toTheGroupToo", 143, [](const BackgroundRun& run) { run.send(SIGTERM); run.sendToGroup(SIGTERM); }},
        // Most likely after the program took the first, and before it
        // finished its cell.
        {"aMomentLater", 143,
         [](const BackgroundRun& run) {
             run.send(SIGTERM);
             std::this_thread::sleep_for(std::chrono::milliseconds(1));
             run.send(SIGTERM);
         }},
        // Two different signals are never merged into one by the system.
        {"interruptThenTerminate", 130, [](const BackgroundRun& run) { run.send(SIGINT); run.sendToGroup(SIGTERM); }},
    };
    constexpr int rounds = 5;
    for (int round = 0; round < rounds; ++round) {
        for (const Way& way : ways) {
            SCOPED_TRACE(way.name + " round " + std::to_string(round));
            const fs::path dir = runDirectory("together", "PAR=56Fe KE=5600");
            BackgroundRun run(dir, BackgroundRun::Console::open);
            ASSERT_TRUE(run.consoleShows(progressHeader));
            way.send(run);
            const int status = run.finish();
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == way.status)
                << std::hex << status << " signal " << std::dec << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
            const std::vector<std::string> report = kesp::readTextLines(dir / "run.out");
            ASSERT_GE(report.size(), 5u);
            EXPECT_EQ(report[4].rfind("Run interrupted after ", 0), 0u) << report[4];
            EXPECT_EQ(strayFiles(dir), std::vector<std::string>{});
            fs::remove_all(dir);
        }
    }
}

TEST(InterruptTest, aSignalASecondAfterTheFirstEndsTheProcessAtOnceAndKeepsTheReportBefore)
{
    const fs::path dir = runDirectory("second", "PAR=56Fe KE=5600");
    std::ofstream(dir / "run.out") << "report of the run before\n";
    std::ofstream(dir / "run.json") << "document of the run before\n";
    // With /json, the temporary document is removed as well.
    BackgroundRun run(dir, BackgroundRun::Console::open, true);
    // Once the cells are under way the temporary report exists. With the
    // console full the program, asked to stop, waits at its next console
    // line, before it writes the report.
    ASSERT_TRUE(run.consoleShows(progressHeader));
    run.blockConsole();
    run.send(SIGTERM);
    // Well beyond the second, even if the program took the first late.
    std::this_thread::sleep_for(kesp::sameRequestWindow * 3);
    run.send(SIGINT);
    const int status = run.finish();
    ASSERT_TRUE(WIFSIGNALED(status)) << std::hex << status;
    EXPECT_EQ(WTERMSIG(status), SIGINT);
    EXPECT_EQ(kesp::readTextLines(dir / "run.out"), std::vector<std::string>{"report of the run before"});
    EXPECT_EQ(kesp::readTextLines(dir / "run.json"), std::vector<std::string>{"document of the run before"});
    EXPECT_EQ(strayFiles(dir), std::vector<std::string>{"run.json"}) << "a temporary file is left behind";
    fs::remove_all(dir);
}

// The physics of a large field takes half a minute; a signal meanwhile stops
// it after the components under way.
TEST(InterruptTest, aSignalWhileAFieldsPhysicsIsWorkedOutActsAtOnce)
{
    std::string field = "ten thousand components\n10000\n";
    for (int i = 0; i < 10000; ++i) {
        field += std::string(i % 2 == 0 ? "p " : "4He ") + std::to_string(10.0 + 0.01 * i) + " 1\n";
    }
    const fs::path dir = runDirectory("physics", "FN=field.txt", field);
    BackgroundRun run(dir, BackgroundRun::Console::open);
    ASSERT_TRUE(run.catchesInterrupts());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the field is read, the physics begun
    const Clock::time_point sent = Clock::now();
    run.send(SIGINT);
    const int status = run.finish();
    // A second, with room for a sanitizer build.
    EXPECT_LT(Clock::now() - sent, std::chrono::seconds(3));
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 130) << std::hex << status;
    const std::vector<std::string> console = run.console();
    ASSERT_FALSE(console.empty());
    EXPECT_EQ(console.back(), "Run interrupted before its first cell; no report is written");
    EXPECT_FALSE(fs::exists(dir / "run.out"));
    fs::remove_all(dir);
}

TEST(InterruptTest, aSignalBeforeTheFirstCellLeavesNoReport)
{
    const fs::path dir = runDirectory("beforeFirstCell", "PAR=56Fe KE=5600");
    BackgroundRun run(dir, BackgroundRun::Console::blocked);
    // The program waits at its banner, with its handlers in place.
    ASSERT_TRUE(run.catchesInterrupts());
    run.send(SIGTERM);
    const int status = run.finish();
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 143) << std::hex << status;
    const std::vector<std::string> console = run.console();
    ASSERT_FALSE(console.empty());
    EXPECT_EQ(console.back(), "Run interrupted before its first cell; no report is written");
    // Also where a script that discards the console still sees it.
    EXPECT_EQ(kesp::readTextLines(dir / "errors.txt"),
              std::vector<std::string>{"Run interrupted before its first cell; no report is written"});
    EXPECT_EQ(std::count_if(console.begin(), console.end(),
                            [](const std::string& line) { return line.rfind(progressHeader, 0) == 0; }),
              0);
    std::vector<std::string> files;
    for (const fs::directory_entry& file : fs::directory_iterator(dir)) {
        files.push_back(file.path().filename().string());
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"errors.txt", "run.inp"}));
    fs::remove_all(dir);
}

}  // namespace
