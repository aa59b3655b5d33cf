// kesp-scan --check: every check a run makes, the number of runs on one
// line, nothing run and nothing written. --emit-inputs never replaces a file
// it did not write. A field file far larger than what kesp reads of it is
// refused before the scan reads it.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "scan/scanHarness.h"

namespace {

namespace fs = std::filesystem;
using namespace kesp;
using namespace kesp::scantest;

// Every path under the folder but the test's record of the console, to see
// that a check wrote nothing.
std::set<std::string> listing(const fs::path& dir)
{
    std::set<std::string> paths;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir)) {
        paths.insert(fs::relative(entry.path(), dir).string());
    }
    paths.erase("console.txt");
    paths.erase("errors.txt");
    return paths;
}

bool hasLineStartingWith(const std::vector<std::string>& lines, const std::string& start)
{
    for (const std::string& line : lines) {
        if (line.starts_with(start)) {
            return true;
        }
    }
    return false;
}

struct CheckCase {
    const char* scan;
    std::vector<std::string> options;
    int exitStatus;
    const char* console;  // the one line of a check that passed
    const char* error;    // a line of the error stream begins with it; "" for none
};

// 4 configurations and 2 reference runs: the reference radiation at each
// oxygen level.
constexpr const char* goodScan = "title: check\ncells: 5\nvary:\n  PAR: [p, 4He]\n  PO2: [21, 0.5]\n"
                                 "fixed: {KE: 10}\nreference: {PAR: e, KE: 1}\n";

const CheckCase checkCases[] = {
    {goodScan, {}, 0, "scan.yaml: 4 configurations, 2 reference runs", ""},
    {goodScan, {"--physics-only"}, 0, "scan.yaml: 4 configurations, 0 reference runs", ""},
    {goodScan, {"--shard", "2/3"}, 0, "scan.yaml: 4 configurations, 2 reference runs, part 2 of 3: 1 configuration",
     ""},
    {goodScan, {"--shard", "4/3"}, 2, "", "kesp-scan: --shard: give I/N"},
    {goodScan, {"-o", "scan.yaml"}, 2, "", "scan.yaml: the table would replace the scan file"},
    {"cells: 2\nfixed: {PAR: p, KE: 10}\n", {}, 0, "scan.yaml: 1 configuration, 0 reference runs", ""},
    {"cells: 2\nvary:\n  PAR: [p, 4He]\n  PO: [1]\n", {}, 2, "", "scan.yaml:4: vary: \"PO\" is not an input item"},
    {"cells: 2\nvary:\n  PAR: [p, carbon]\nfixed: {KE: 10}\n", {}, 2, "",
     "scan.yaml: the scan is refused: the input files of 1 of its 2 runs"},
    {"cells: 2\nvary:\n  PAR: [p, carbon]\nfixed: {KE: 10}\n", {"--lenient"}, 0,
     "scan.yaml: 2 configurations, 0 reference runs", "kesp-scan: --lenient: configuration 2 (PAR=carbon)"},
    {"fixed: {PAR: p, KE: 10}\n", {}, 2, "", "scan.yaml: cells: not given"},
    {"fixed: {PAR: p, KE: 10}\n", {"--lenient"}, 0, "scan.yaml: 1 configuration, 0 reference runs",
     "kesp-scan: --lenient: scan.yaml: cells: not given"},
    {"fixed: {PAR: p, KE: 10}\nswitches: [/strict]\n", {"--lenient"}, 2, "", "scan.yaml: cells: not given"},
    {"fixed: {PAR: p, KE: 10}\n", {"--physics-only"}, 0, "scan.yaml: 1 configuration, 0 reference runs", ""},
    {"cells: 2\nfixed: {FN: field.txt}\n", {"-o", "field.txt"}, 2, "",
     "field.txt: the table would replace a field file"},
    {goodScan, {"--emit-inputs", "taken"}, 2, "", "taken: --emit-inputs writes only into a folder"},
    {goodScan, {"--emit-inputs", "fresh"}, 0, "scan.yaml: 4 configurations, 2 reference runs", ""},
};

TEST(ScanCheckTest, checksWhatARunWouldAndWritesNothing)
{
    const fs::path dir = makeRunDirectory("kespScanCheck");
    writeText(dir / "field.txt", "two protons\n2\np 10 1\np 20 1\n");
    writeText(dir / "taken" / "notes.txt", "mine\n");
    for (const CheckCase& c : checkCases) {
        writeText(dir / "scan.yaml", c.scan);
        const std::set<std::string> before = listing(dir);
        std::vector<std::string> arguments{"--check"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        arguments.push_back("scan.yaml");
        const RunResult run = runScan(dir, arguments);
        const std::string label = std::string(c.scan) + " " + allLines(c.options);
        EXPECT_EQ(run.exitStatus, c.exitStatus) << label << allLines(run.errors);
        EXPECT_EQ(listing(dir), before) << label;
        if (c.exitStatus == 0) {
            EXPECT_EQ(run.console, std::vector<std::string>{c.console}) << label;
        } else {
            EXPECT_TRUE(run.console.empty()) << label << allLines(run.console);
        }
        if (*c.error != '\0') {
            EXPECT_TRUE(hasLineStartingWith(run.errors, c.error)) << label << allLines(run.errors);
        } else {
            EXPECT_TRUE(run.errors.empty()) << label << allLines(run.errors);
        }
    }
}

// Every example scan passes the check, as the workflow runs it.
TEST(ScanCheckTest, theExampleScansPassTheCheck)
{
    const fs::path dir = makeRunDirectory("kespScanCheckExamples");
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(KESP_SOURCE_DIR) / "examples" / "scans")) {
        if (entry.path().extension() != ".yaml") {
            continue;
        }
        const RunResult run = runScan(dir, {"--check", entry.path().string()});
        EXPECT_EQ(run.exitStatus, 0) << entry.path() << "\n" << allLines(run.errors);
        ASSERT_EQ(run.console.size(), 1U) << entry.path();
        EXPECT_TRUE(run.console[0].starts_with(entry.path().string() + ": ")) << run.console[0];
    }
}

struct EmitCase {
    const char* what;
    std::vector<std::pair<std::string, std::string>> files;  // in the folder before, name and text
    int exitStatus;
};

const EmitCase emitCases[] = {
    {"an empty folder", {}, 0},
    {"an unrelated file", {{"notes.txt", "mine\n"}}, 2},
    {"an input file of the same name that the scan did not write", {{"scan-001.inp", "my own run\nSIMCON: NOCS=9\n"}},
     2},
    {"a field file of the copy's name that is another field", {{"field.txt", "other\n1\np 50 1\n"}}, 2},
    {"an input file of a configuration the scan does not have",
     {{"scan-009.inp", "kesp-scan configuration 9 of 9 (switches: none)\n"}}, 2},
    {"a folder of its own", {{"scan-001.inp/x", "nested\n"}}, 2},
};

TEST(ScanCheckTest, emittedInputsReplaceOnlyWhatAnEarlierEmitOfTheScanWrote)
{
    const fs::path dir = makeRunDirectory("kespScanEmitFolder");
    writeText(dir / "field.txt", "two protons\n2\np 10 1\np 20 1\n");
    writeText(dir / "scan.yaml", "cells: 3\nvary:\n  PO2: [21, 0.5]\nfixed: {FN: field.txt}\n");
    for (const EmitCase& c : emitCases) {
        const fs::path folder = dir / "inputs";
        fs::remove_all(folder);
        fs::create_directories(folder);
        for (const auto& [name, text] : c.files) {
            writeText(folder / name, text);
        }
        const std::set<std::string> before = listing(folder);
        const RunResult run = runScan(dir, {"--emit-inputs", "inputs", "scan.yaml"});
        EXPECT_EQ(run.exitStatus, c.exitStatus) << c.what << "\n" << allLines(run.errors);
        if (c.exitStatus != 0) {
            EXPECT_EQ(listing(folder), before) << c.what;
            EXPECT_TRUE(hasLineStartingWith(run.errors, "inputs: --emit-inputs writes only into a folder"))
                << c.what << "\n" << allLines(run.errors);
            for (const auto& [name, text] : c.files) {
                EXPECT_EQ(readText(folder / name), text) << c.what;
            }
        }
    }
    // Again into the folder it wrote: the same files, written anew.
    fs::remove_all(dir / "inputs");
    ASSERT_EQ(runScan(dir, {"--emit-inputs", "inputs", "scan.yaml"}).exitStatus, 0);
    const RunResult again = runScan(dir, {"--emit-inputs", "inputs", "scan.yaml"});
    EXPECT_EQ(again.exitStatus, 0) << allLines(again.errors);
    EXPECT_EQ(listing(dir / "inputs"), (std::set<std::string>{"field.txt", "scan-001.inp", "scan-002.inp"}));
    // A link of an input file's name would lead the write elsewhere.
    fs::remove(dir / "inputs" / "scan-002.inp");
    fs::create_symlink(dir / "elsewhere.inp", dir / "inputs" / "scan-002.inp");
    EXPECT_EQ(runScan(dir, {"--emit-inputs", "inputs", "scan.yaml"}).exitStatus, 2);
    EXPECT_FALSE(fs::exists(dir / "elsewhere.inp"));
    // A file where the folder should be.
    EXPECT_EQ(runScan(dir, {"--emit-inputs", "field.txt", "scan.yaml"}).exitStatus, 2);
}

// kesp reads a field file only up to its last component; a scan reads it
// whole, so a huge one is refused before it is read, with the scan file's line.
TEST(ScanCheckTest, aHugeFieldOrScanFileIsRefusedBeforeItIsRead)
{
    const fs::path dir = makeRunDirectory("kespScanHugeField");
    writeText(dir / "big.txt", "one proton, then a hole of 3 GB\n1\np 10 1\n");
    fs::resize_file(dir / "big.txt", 3ULL << 30);  // sparse: no disk space taken
    writeText(dir / "scan.yaml", "cells: 2\nvary:\n  PO2: [21, 0.5]\nfixed:\n  FN: big.txt\n");
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"scan.yaml"}, {"--emit-inputs", "inputs", "scan.yaml"}, {"--check", "scan.yaml"}}) {
        const RunResult run = runScan(dir, arguments);
        EXPECT_EQ(run.exitStatus, 2) << allLines(arguments) << allLines(run.errors);
        EXPECT_TRUE(hasLineStartingWith(run.errors, "scan.yaml:5: FN: field file")) << allLines(run.errors);
        EXPECT_FALSE(fs::exists(dir / "scan.csv"));
        EXPECT_FALSE(fs::exists(dir / "inputs"));
    }
    fs::remove(dir / "big.txt");
    // So is a scan file far larger than any scan needs.
    writeText(dir / "big.yaml", "cells: 2\nfixed: {PAR: p, KE: 10}\n# then a hole\n");
    fs::resize_file(dir / "big.yaml", 1ULL << 30);
    const RunResult run = runScan(dir, {"--check", "big.yaml"});
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_EQ(run.errors, std::vector<std::string>{"big.yaml: the scan file is 1073741824 bytes long; a scan file holds at"
                                                   " most 67108864 bytes"});
    fs::remove(dir / "big.yaml");
}

}  // namespace
