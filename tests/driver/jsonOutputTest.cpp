// `kesp /json` end to end: the document's provenance and switches, a run of
// one cell (no standard errors), and the document written like the report:
// atomically, refused before any cell when it cannot be, and never in
// place of the input.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver/jsonReportCheck.h"
#include "driver/runHarness.h"

namespace {

namespace fs = std::filesystem;
using kesp::readTextLines;
using kesp::jsontest::Json;
using kesp::jsontest::readJson;

const std::string smallRun = "SIMCON: NOCS=2 SEED=99\nRADX: PAR=56Fe KE=5600\n";
// The console line that follows the simulation.
const std::string afterTheCells = "Running time =";

// The first word sha256sum prints for the file.
std::string sha256sumOf(const fs::path& file)
{
    const fs::path out = file.parent_path() / "sha256sum.txt";
    const std::string command =
        "sha256sum " + kesp::shellQuoted(file.string()) + " > " + kesp::shellQuoted(out.string());
    EXPECT_EQ(std::system(command.c_str()), 0);
    const std::vector<std::string> lines = readTextLines(out);
    return lines.empty() ? std::string() : kesp::jsontest::words(lines[0]).at(0);
}

fs::path runDirectory(const std::string& tag, const std::string& input, const std::string& inputName = "run.inp")
{
    const fs::path dir = kesp::makeRunDirectory("kespJson-" + tag);
    std::ofstream(dir / inputName) << input;
    return dir;
}

TEST(JsonOutputTest, theDocumentNamesTheProgramTheInputItsDigestAndTheSwitchesGiven)
{
    const fs::path dir = runDirectory("provenance", smallRun);
    // Any case and the GNU form; a slip among them is left out and warned about.
    const kesp::RunResult run = kesp::runProgram(dir, {"run.inp", "/NO2", "/x", "--Json"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.errors, std::vector<std::string>{"command line: warning: \"/x\" is not a switch and is ignored; "
                                                   "the switches are /no2, /nq, /2006, /strict and /json"});
    const Json document = readJson(dir / "run.json");
    EXPECT_EQ(document["format"], "kesp-results");
    EXPECT_EQ(document["program"]["version"], run.console.at(1));  // the banner's title
    EXPECT_EQ(document["input"]["file"], "run.inp");
    EXPECT_EQ(document["input"]["sha256"], sha256sumOf(dir / "run.inp"));
    EXPECT_EQ(document["switches"], Json({"/no2", "/json"}));
    EXPECT_EQ(document["settings"]["oxygen_model"]["enabled"], false);
    EXPECT_EQ(document["settings"]["seed"], 99);
    EXPECT_EQ(document["run"]["seed"], 99);
    EXPECT_EQ(document["run"]["interrupted"], false);
    kesp::jsontest::expectDocumentMatchesReport(dir / "run.json", readTextLines(dir / "run.out"));
    fs::remove_all(dir);
}

// One cell has no spread to estimate a standard error from: every SEM is
// null (the report prints 0), every mean is there.
TEST(JsonOutputTest, aRunOfOneCellHasNoStandardErrors)
{
    const fs::path dir = runDirectory("oneCell", "SIMCON: NOCS=1 SEED=5\nRADX: PAR=4He KE=8\n");
    ASSERT_EQ(kesp::runProgram(dir, {"run.inp", "/json"}).exitStatus, 0);
    const Json document = readJson(dir / "run.json");
    int means = 0;
    for (const auto& [key, table] : document["tables"].items()) {
        if (key == "complexity_percent") {
            continue;
        }
        std::vector<Json> rows(table["rows"].begin(), table["rows"].end());
        rows.push_back(table["all_clusters"]);
        for (const Json& row : rows) {
            for (const char* category : {"dsb", "ssb", "other", "all"}) {
                if (!row[category].is_null()) {
                    ++means;
                    EXPECT_TRUE(row[category]["sem"].is_null()) << key;
                    EXPECT_TRUE(row[category]["mean"].is_number()) << key;
                }
            }
        }
    }
    EXPECT_GT(means, 20);
    for (const auto& [category, yield] : document["yields"].items()) {
        if (!yield.is_null()) {
            EXPECT_TRUE(yield["per_cell_per_gy"]["sem"].is_null()) << category;
            EXPECT_TRUE(yield["per_gy_per_gbp"]["sem"].is_null()) << category;
        }
    }
    kesp::jsontest::expectDocumentMatchesReport(dir / "run.json", readTextLines(dir / "run.out"));
    fs::remove_all(dir);
}

std::string fileText(const fs::path& path)
{
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool temporaryFileLeft(const fs::path& dir)
{
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        if (entry.path().filename().string().front() == '.') {
            return true;
        }
    }
    return false;
}

struct RefusalCase {
    std::string name;
    std::string inputName;
    std::string shell;    // run in the directory; "$KESP" is the program
    std::string message;  // on the standard error stream
    bool beforeAnyCell;
};

// Whatever fails, the report and the document of the run before stay as
// they were, and no temporary file is left.
TEST(JsonOutputTest, aDocumentThatCannotBeWrittenLeavesTheFilesOfTheRunBefore)
{
    const std::vector<RefusalCase> cases = {
        // 100 blocks of 512 bytes hold the report (37 kB) but not the document (74 kB).
        {"fileSizeLimit", "run.inp", "ulimit -f 100; \"$KESP\" run.inp /json",
         "Cannot write the JSON file run.json: File too large", false},
        {"directoryInItsPlace", "run.inp", "rm run.json && mkdir run.json && \"$KESP\" run.inp /json",
         "Cannot create the JSON file run.json: it exists and is not a regular file", true},
        {"inputNamedLikeIt", "run.json", "\"$KESP\" run.json /json",
         "Input file run.json would be replaced by the JSON document of the same name; rename the input file", true},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path dir = runDirectory(c.name, smallRun, c.inputName);
        std::ofstream(dir / "run.out") << "report before\n";
        if (c.inputName != "run.json") {
            std::ofstream(dir / "run.json") << "document before\n";
        }
        const std::string command = "cd " + kesp::shellQuoted(dir.string()) + " && KESP="
                                    + kesp::shellQuoted(KESP_EXECUTABLE) + " sh -c " + kesp::shellQuoted(c.shell)
                                    + " > console.txt 2> errors.txt";
        const int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
        EXPECT_NE(fileText(dir / "errors.txt").find(c.message), std::string::npos) << fileText(dir / "errors.txt");
        EXPECT_EQ(fileText(dir / "run.out"), "report before\n");
        if (fs::is_regular_file(dir / "run.json")) {
            EXPECT_EQ(fileText(dir / "run.json"), c.inputName == "run.json" ? smallRun : "document before\n");
        }
        EXPECT_EQ(fileText(dir / "console.txt").find(afterTheCells) == std::string::npos, c.beforeAnyCell);
        EXPECT_FALSE(temporaryFileLeft(dir));
        fs::remove_all(dir);
    }
}

// Through a link (or a second name of one file) the document and the
// report can be one file: the run is refused before any cell, and the file
// keeps what it held. A name too long for the folder is found then too, not
// after the run when the report has been replaced.
TEST(JsonOutputTest, aDocumentThatWouldTakeTheReportsPlaceOrCannotBeNamedStopsBeforeTheRun)
{
    const std::string longStem(251, 'r');  // the input and the report fit 255 bytes, the document not
    const std::vector<RefusalCase> cases = {
        {"documentLinksToReport", "run.inp", "rm run.json && ln -s run.out run.json && \"$KESP\" run.inp /json",
         "The JSON document run.json and the report run.out are the same file", true},
        {"reportLinksToDocument", "run.inp", "rm run.out && ln -s run.json run.out && \"$KESP\" run.inp /json",
         "The JSON document run.json and the report run.out are the same file", true},
        {"oneFileTwoNames", "run.inp", "rm run.json && ln run.out run.json && \"$KESP\" run.inp /json",
         "The JSON document run.json and the report run.out are the same file", true},
        {"documentNameTooLong", longStem + ".inp",
         "cp run.out " + longStem + ".out && \"$KESP\" " + longStem + ".inp /json",
         "Cannot create the JSON file " + longStem + ".json: File name too long", true},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path dir = runDirectory(c.name, smallRun, c.inputName);
        std::ofstream(dir / "run.out") << "report before\n";
        std::ofstream(dir / "run.json") << "document before\n";
        const std::string command = "cd " + kesp::shellQuoted(dir.string()) + " && KESP="
                                    + kesp::shellQuoted(KESP_EXECUTABLE) + " sh -c " + kesp::shellQuoted(c.shell)
                                    + " > console.txt 2> errors.txt";
        const int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
        EXPECT_NE(fileText(dir / "errors.txt").find(c.message), std::string::npos) << fileText(dir / "errors.txt");
        const std::string before = c.name == "reportLinksToDocument" ? "document before\n" : "report before\n";
        EXPECT_EQ(fileText(dir / "run.out"), before);
        if (c.name == "documentNameTooLong") {
            EXPECT_EQ(fileText(dir / (longStem + ".out")), "report before\n");
        }
        EXPECT_EQ(fileText(dir / "console.txt").find(afterTheCells), std::string::npos);
        EXPECT_FALSE(temporaryFileLeft(dir));
        fs::remove_all(dir);
    }
}

}  // namespace
