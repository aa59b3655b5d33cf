// Runs the real executable on the example inputs and compares the whole
// console output and report with the expected files in tests/golden, masking
// only the figures that depend on the machine's speed (running times, and the
// elapsed, remaining and rate columns of the progress display).
//
// KESP_UPDATE_GOLDEN=1 rewrites the expected files; read every rewritten line
// before committing it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/jsonReportCheck.h"
#include "driver/runHarness.h"

namespace {

namespace fs = std::filesystem;
using kesp::RunResult;
using kesp::readTextLines;

// The golden runs simulate up to a few hundred cells; under the sanitizers
// that takes a while, so their limit is near the test's own.
constexpr int runTimeLimitSeconds = 290;

const fs::path sourceDir = KESP_SOURCE_DIR;
const fs::path examplesDir = sourceDir / "examples";
const fs::path goldenDir = sourceDir / "tests" / "golden";

void writeLines(const fs::path& path, const std::vector<std::string>& lines)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path);
    for (const std::string& line : lines) {
        out << line << '\n';
    }
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::vector<std::string> splitWords(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

// Masks a time-dependent figure in place: its digits and signs become "#",
// so the field keeps its width and position and only its value is hidden.
void maskFigure(std::string& line, std::size_t start, std::size_t end)
{
    for (std::size_t i = start; i < end && i < line.size(); ++i) {
        const char c = line[i];
        if ((c >= '0' && c <= '9') || c == '+' || c == '-') {
            line[i] = '#';
        }
    }
}

// Masks the n-th (0-based) blank-separated word of the line.
void maskWord(std::string& line, std::size_t n)
{
    std::size_t start = 0;
    for (std::size_t i = 0;; ++i) {
        start = line.find_first_not_of(' ', start);
        const std::size_t end = line.find(' ', start);
        if (i == n) {
            maskFigure(line, start, end == std::string::npos ? line.size() : end);
            return;
        }
        start = end;
    }
}

// Console: the running time, and in progress lines the elapsed and remaining
// times (and the rate of a single-particle run).
std::vector<std::string> maskConsole(std::vector<std::string> lines)
{
    bool inProgress = false;
    bool rateColumn = false;
    for (std::string& line : lines) {
        if (line.rfind("Running time =", 0) == 0) {
            maskFigure(line, 0, line.size());
        } else if (line.rfind("  Elapsed   Remaining", 0) == 0) {
            inProgress = true;
            rateColumn = line.find("sim/s") != std::string::npos;
        } else if (inProgress && splitWords(line).size() == 7) {
            maskWord(line, 0);
            maskWord(line, 1);
            if (rateColumn) {
                maskWord(line, 6);
            }
        } else {
            inProgress = false;
        }
    }
    return lines;
}

std::vector<std::string> maskReport(std::vector<std::string> lines)
{
    for (std::string& line : lines) {
        if (line.find("running time (min)") != std::string::npos) {
            maskFigure(line, 0, line.size());
        }
    }
    return lines;
}

// A fresh working directory holding copies of the given example files.
fs::path makeWorkDirectory(const std::string& name, const std::vector<std::string>& files)
{
    const fs::path dir = kesp::makeRunDirectory("kespEndToEnd-" + name);
    for (const std::string& file : files) {
        fs::copy_file(examplesDir / file, dir / file);
    }
    return dir;
}

RunResult runKesp(const fs::path& dir, const std::string& arguments)
{
    const RunResult result = kesp::runProgram(dir, splitWords(arguments), runTimeLimitSeconds);
    EXPECT_FALSE(result.timedOut) << "no end within " << runTimeLimitSeconds << " s: " << arguments;
    EXPECT_FALSE(kesp::sanitizerReported(result)) << arguments;
    return result;
}

// Compares whole lines; on a mismatch reports every differing line.
void expectSameLines(const std::vector<std::string>& actual, const fs::path& expectedFile)
{
    if (std::getenv("KESP_UPDATE_GOLDEN") != nullptr) {
        writeLines(expectedFile, actual);
        return;
    }
    ASSERT_TRUE(fs::exists(expectedFile)) << "missing expected file " << expectedFile;
    const std::vector<std::string> expected = readTextLines(expectedFile);
    const std::size_t lines = std::max(actual.size(), expected.size());
    int reported = 0;
    for (std::size_t i = 0; i < lines && reported < 20; ++i) {
        const std::string a = i < actual.size() ? actual[i] : "<missing>";
        const std::string e = i < expected.size() ? expected[i] : "<missing>";
        if (a != e) {
            ADD_FAILURE() << expectedFile.filename().string() << " line " << i + 1
                          << "\n  expected: " << e << "\n  actual:   " << a;
            ++reported;
        }
    }
}

struct GoldenCase {
    std::string name;                 // base name of the input and of the expected files
    std::vector<std::string> files;   // example files the run needs
    std::string switches;
};

class GoldenRunTest : public ::testing::TestWithParam<GoldenCase> {};

// Each example runs with /json as well, which leaves the console and the
// report as they are and writes a document whose numbers are the report's.
TEST_P(GoldenRunTest, consoleAndReportMatchExpectedFilesAndTheJsonDocumentMatchesTheReport)
{
    const GoldenCase& c = GetParam();
    const std::string tag = c.switches.empty() ? c.name : c.name + "-switch";
    const fs::path dir = makeWorkDirectory(tag, c.files);
    const RunResult run = runKesp(dir, c.name + ".inp " + c.switches + " /json");
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.errors, std::vector<std::string>{});
    expectSameLines(maskConsole(run.console), goldenDir / (tag + ".console"));
    const std::vector<std::string> report = readTextLines(dir / (c.name + ".out"));
    expectSameLines(maskReport(report), goldenDir / (tag + ".out"));
    kesp::jsontest::expectDocumentMatchesReport(dir / (c.name + ".json"), report);
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, GoldenRunTest,
    ::testing::Values(GoldenCase{"electron1MeV", {"electron1MeV.inp"}, ""},
                      GoldenCase{"proton10MeV", {"proton10MeV.inp"}, ""},
                      GoldenCase{"proton10MeV", {"proton10MeV.inp"}, "/2006"},
                      GoldenCase{"tetraploidCell", {"tetraploidCell.inp"}, ""},
                      GoldenCase{"alpha40MeV", {"alpha40MeV.inp"}, ""},
                      GoldenCase{"carbon10MeVperNucleon", {"carbon10MeVperNucleon.inp"}, ""},
                      GoldenCase{"hypoxicProton", {"hypoxicProton.inp"}, ""},
                      GoldenCase{"dmsoElectron", {"dmsoElectron.inp"}, ""},
                      GoldenCase{"mixedField", {"mixedField.inp", "mixedField.txt"}, ""},
                      // Its last component is below its validity limit without the
                      // oxygen model; the tables still show every component's physics.
                      GoldenCase{"slowIonField", {"slowIonField.inp", "slowIonField.txt"}, "/no2"}),
    [](const ::testing::TestParamInfo<GoldenCase>& caseInfo) {
        return caseInfo.param.name + (caseInfo.param.switches.empty() ? "" : "Switch");
    });

// The lines of one table of a report: from its "TABLE n." heading to the
// next table's heading or the end.
std::vector<std::string> tableLines(const std::vector<std::string>& report, int table)
{
    const std::string heading = "TABLE " + std::to_string(table) + ".";
    const std::string next = "TABLE " + std::to_string(table + 1) + ".";
    const auto begin = std::find_if(report.begin(), report.end(),
                                    [&](const std::string& line) { return line.rfind(heading, 0) == 0; });
    const auto end =
        std::find_if(begin, report.end(), [&](const std::string& line) { return line.rfind(next, 0) == 0; });
    return {begin, end};
}

// The numbers of a table's rows (a "---" marker as -1), in reading order.
std::vector<double> tableNumbers(const std::vector<std::string>& lines)
{
    std::vector<double> numbers;
    for (const std::string& line : lines) {
        const std::vector<std::string> words = splitWords(line);
        const bool row = words.size() == 9
                         && (words[0] == "Total" || words[0].find_first_not_of("0123456789") == std::string::npos);
        if (!row) {
            continue;
        }
        for (std::size_t w = 1; w < words.size(); ++w) {
            numbers.push_back(words[w] == "---" ? -1.0 : std::stod(words[w]));
        }
    }
    return numbers;
}

// The same protons on a cell of twice the DNA: twice the clusters per cell,
// clusters of the same make-up. The two golden reports must say so.
TEST(EndToEndTest, twiceTheDnaDoublesTheCountsAndKeepsTheClusterMakeUp)
{
    const std::vector<std::string> six = readTextLines(goldenDir / "proton10MeV.out");
    const std::vector<std::string> twelve = readTextLines(goldenDir / "tetraploidCell.out");
    for (const int table : {1, 3, 4, 5}) {
        EXPECT_EQ(tableLines(twelve, table), tableLines(six, table)) << "TABLE " << table;
    }
    for (const int table : {2, 6}) {
        const std::vector<double> once = tableNumbers(tableLines(six, table));
        const std::vector<double> twice = tableNumbers(tableLines(twelve, table));
        ASSERT_EQ(twice.size(), once.size()) << "TABLE " << table;
        ASSERT_GT(once.size(), 100u) << "TABLE " << table;
        for (std::size_t i = 0; i < once.size(); ++i) {
            const double expected = once[i] < 0.0 ? -1.0 : 2.0 * once[i];
            EXPECT_NEAR(twice[i], expected, 1e-5 * std::abs(expected)) << "TABLE " << table << ", number " << i;
        }
    }
}

TEST(EndToEndTest, missingInputFileFailsWithBannerAndNotFoundOnly)
{
    const fs::path dir = makeWorkDirectory("missing", {});
    const RunResult run = runKesp(dir, "absent.inp");
    EXPECT_EQ(run.exitStatus, 1);
    const std::vector<std::string> expected = {
        "===============================",
        "KESP Version 3.00B  15-JUL-2011",
        "===============================",
        "Input file absent.inp is not found",
    };
    EXPECT_EQ(run.console, expected);
    EXPECT_EQ(run.errors, std::vector<std::string>{"Input file absent.inp is not found"});
    EXPECT_FALSE(fs::exists(dir / "absent.out"));
    fs::remove_all(dir);
}

TEST(EndToEndTest, emptyInputRunsTheDefaultsWithAFullReport)
{
    const fs::path dir = makeWorkDirectory("default", {});
    std::ofstream(dir / "kesp.inp").close();
    const RunResult run = runKesp(dir, "");
    EXPECT_EQ(run.exitStatus, 0);
    expectSameLines(maskConsole(run.console), goldenDir / "default.console");
    expectSameLines(maskReport(readTextLines(dir / "kesp.out")), goldenDir / "default.out");
    EXPECT_FALSE(fs::exists(dir / "kesp.json")) << "a JSON document only with /json";
    fs::remove_all(dir);
}

TEST(EndToEndTest, sameSeedGivesTheSameReport)
{
    const fs::path dir = makeWorkDirectory("repeat", {"proton10MeV.inp"});
    runKesp(dir, "proton10MeV.inp");
    const std::vector<std::string> first = maskReport(readTextLines(dir / "proton10MeV.out"));
    runKesp(dir, "proton10MeV.inp");
    EXPECT_EQ(maskReport(readTextLines(dir / "proton10MeV.out")), first);
    fs::remove_all(dir);
}

TEST(EndToEndTest, reportThatCannotBeCreatedFailsWithAMessage)
{
    const fs::path dir = makeWorkDirectory("unwritable", {"electron1MeV.inp"});
    // A directory in the report's place cannot be replaced by a file.
    fs::create_directory(dir / "electron1MeV.out");
    const RunResult run = runKesp(dir, "electron1MeV.inp");
    EXPECT_NE(run.exitStatus, 0);
    const std::vector<std::string> errors = readTextLines(dir / "errors.txt");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("electron1MeV.out"), std::string::npos) << errors[0];
    EXPECT_TRUE(run.console.empty() || run.console.back() != "END KESP");
    fs::remove_all(dir);
}

}  // namespace
