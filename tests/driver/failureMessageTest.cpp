// Every run that ends with a status other than 0 says why on the standard
// error stream, so that a run whose console is redirected or discarded
// still shows its reason; and every argument after the input file that is
// not a switch is named there and counts for /strict. The real executable on
// real files; the console itself stays as it was.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "driver/runHarness.h"

namespace {

namespace fs = std::filesystem;
using Files = std::vector<std::pair<std::string, std::string>>;

// A heavy ion: the shortest DNA segment, so the runs are cheap.
const std::string cheapRun = "SIMCON: NOCS=20 SEED=11\nRADX: PAR=56Fe KE=5600\n";

kesp::RunResult runWith(const std::string& tag, const Files& files, const std::vector<std::string>& arguments)
{
    const fs::path dir = kesp::makeRunDirectory("kespFailureMessage-" + tag);
    for (const auto& [name, contents] : files) {
        if (name.ends_with("/")) {
            fs::create_directories(dir / name);
        } else {
            std::ofstream(dir / name) << contents;
        }
    }
    return kesp::runProgram(dir, arguments);
}

bool anyLineHolds(const std::vector<std::string>& lines, const std::string& text)
{
    return std::any_of(lines.begin(), lines.end(),
                       [&text](const std::string& line) { return line.find(text) != std::string::npos; });
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += "\n  " + line;
    }
    return text;
}

// The report without its running time, which differs from run to run.
std::vector<std::string> reportOf(const fs::path& file)
{
    std::vector<std::string> lines = kesp::readTextLines(file);
    std::erase_if(lines, [](const std::string& line) { return line.ends_with("running time (min)"); });
    return lines;
}

TEST(FailureMessageTest, everyRunThatFailsSaysWhyOnTheStandardErrorStream)
{
    struct Case {
        std::string tag;
        Files files;
        std::vector<std::string> arguments;
        int status;
        std::string named;  // what the standard error stream must hold
    };
    const std::string longName(501, 'x');
    const std::vector<Case> cases = {
        {"missing", {}, {"absent.inp"}, 1, "Input file absent.inp is not found"},
        {"directory", {{"dir.inp/", ""}}, {"dir.inp"}, 1, "Input file dir.inp is not a readable file"},
        {"longName", {}, {longName}, 1, "Input file name is longer than 500 characters: " + longName},
        {"inputIsItsReport", {{"run.out", cheapRun}}, {"run.out"}, 1,
         "Input file run.out would be replaced by the report of the same name"},
        {"fieldIsTheReport", {{"run.inp", "RADX: FN=run.out\n"}, {"run.out", "two\n2\np 10 0.5\n4He 40 0.5\n"}},
         {"run.inp"}, 1, "Field file run.out would be replaced by the report of the same name"},
        {"unknownParticle", {{"run.inp", "RADX: FN=field.txt\n"}, {"field.txt", "two\n2\np 10 0.5\nHe4 40 0.5\n"}},
         {"run.inp"}, 1, "component 2: the particle name \"He4\" is unknown"},
        {"nonFinite", {{"run.inp", "RADX: PAR=e KE=1\nCELL: NDIA=1e100\n"}}, {"run.inp"}, 1,
         "The event frequency per unit absorbed dose (1/zf) is not a finite number"},
        {"reportIsADirectory", {{"run.inp", cheapRun}, {"run.out/", ""}}, {"run.inp"}, 1,
         "Cannot create the report file run.out"},
        {"strictInput", {{"run.inp", "RADX: PAR=carbon KE=10\n"}}, {"run.inp", "/strict"}, 2,
         "Run refused: /strict is given and the input holds warnings"},
        {"strictSwitch", {{"run.inp", cheapRun}}, {"run.inp", "/strcit", "/strict"}, 2,
         "Run refused: /strict is given and the command line holds warnings"},
        {"strictBoth", {{"run.inp", "RADX: PAR=carbon KE=10\n"}}, {"run.inp", "--strict", "/n02"}, 2,
         "Run refused: /strict is given and the command line and the input hold warnings"},
        {"gnuStrict", {{"run.inp", "RADX: PAR=carbon KE=10\n"}}, {"run.inp", "--strict"}, 2,
         "Run refused: /strict is given and the input holds warnings"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        const kesp::RunResult run = runWith(c.tag, c.files, c.arguments);
        EXPECT_EQ(run.exitStatus, c.status);
        EXPECT_TRUE(anyLineHolds(run.errors, c.named)) << "standard error:" << joined(run.errors);
        // The console keeps the message where it always stood.
        EXPECT_TRUE(run.console.empty() || c.tag == "reportIsADirectory" || anyLineHolds(run.console, c.named))
            << "console:" << joined(run.console);
        // No report: a file of its name is left as it was.
        const auto given = std::find_if(c.files.begin(), c.files.end(),
                                        [](const auto& file) { return file.first == "run.out"; });
        if (given == c.files.end()) {
            EXPECT_FALSE(fs::is_regular_file(run.directory / "run.out"));
        } else if (fs::is_regular_file(run.directory / "run.out")) {
            std::ifstream kept(run.directory / "run.out");
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), given->second);
        }
        EXPECT_FALSE(kesp::sanitizerReported(run));
        fs::remove_all(run.directory);
    }
}

TEST(FailureMessageTest, argumentsThatAreNoSwitchesAreNamedAndIgnored)
{
    const Files files = {{"run.inp", cheapRun}};
    const kesp::RunResult plain = runWith("plain", files, {"run.inp"});
    const kesp::RunResult noOxygen = runWith("noOxygen", files, {"run.inp", "/no2"});
    ASSERT_EQ(plain.exitStatus, 0);
    ASSERT_EQ(noOxygen.exitStatus, 0);
    ASSERT_TRUE(plain.errors.empty()) << joined(plain.errors);
    const std::vector<std::string> plainReport = reportOf(plain.directory / "run.out");
    const std::vector<std::string> noOxygenReport = reportOf(noOxygen.directory / "run.out");
    ASSERT_NE(plainReport, noOxygenReport);

    struct Case {
        std::string tag;
        std::vector<std::string> switches;
        std::vector<std::string> named;  // one warning each; none when empty
        const std::vector<std::string>& sameReportAs;
    };
    const std::vector<Case> cases = {
        {"zeroForO", {"/n02"}, {"\"/n02\""}, plainReport},
        {"typo", {"/strcit"}, {"\"/strcit\""}, plainReport},
        {"unknown", {"/foo", "-x"}, {"\"/foo\"", "\"-x\""}, plainReport},
        {"amongSwitches", {"/nO2", "/o2"}, {"\"/o2\""}, noOxygenReport},
        {"gnuStyle", {"--no2"}, {}, noOxygenReport},
        {"gnuStrictClean", {"--strict", "  "}, {}, plainReport},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        std::vector<std::string> arguments = {"run.inp"};
        arguments.insert(arguments.end(), c.switches.begin(), c.switches.end());
        const kesp::RunResult run = runWith(c.tag, files, arguments);
        EXPECT_EQ(run.exitStatus, 0);
        ASSERT_EQ(run.errors.size(), c.named.size()) << joined(run.errors);
        for (std::size_t i = 0; i < c.named.size(); ++i) {
            EXPECT_TRUE(run.errors[i].starts_with("command line: warning: " + c.named[i] + " is not a switch"))
                << run.errors[i];
            EXPECT_NE(run.errors[i].find("/no2, /nq, /2006, /strict and /json"), std::string::npos) << run.errors[i];
        }
        // Only the standard error stream says so; the console and the report
        // are those of the run without the slip.
        EXPECT_FALSE(anyLineHolds(run.console, "warning")) << joined(run.console);
        EXPECT_EQ(reportOf(run.directory / "run.out"), c.sameReportAs);
        fs::remove_all(run.directory);
    }
    fs::remove_all(plain.directory);
    fs::remove_all(noOxygen.directory);
}

}  // namespace
