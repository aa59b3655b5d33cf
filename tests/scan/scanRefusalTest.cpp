// What kesp-scan refuses before anything runs (exit status 2, no table):
// a scan file that cannot be taken as written, with a message naming the
// file, the line and the item; configurations whose input kesp would not
// take as written, every one of them listed, unless --lenient; a command
// line it cannot use.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "kesp/input/settingsCheck.h"
#include "kesp/support/runError.h"
#include "scan/scanHarness.h"

namespace {

namespace fs = std::filesystem;
using namespace kesp;
using namespace kesp::scantest;

struct Refusal {
    const char* scan;
    const char* message;  // a line of the standard error stream begins with it
};

const Refusal scanFileRefusals[] = {
    {"cells: 10\nvary:\n  PAR: [p]\n  PO: [1]\n", "scan.yaml:4: vary: \"PO\" is not an input item"},
    {"vary:\n  MEV/A: {from: 1, to: 10}\n", "scan.yaml:2: MEV/A: a range needs points"},
    {"vary:\n  MEV/A: {from: 1, to: 10, points: 2.5}\n", "scan.yaml:2: MEV/A: points must be a whole number"},
    {"vary:\n  MEV/A: {from: 0, to: 10, points: 3, spacing: log}\n", "scan.yaml:2: MEV/A: a log range needs"},
    {"vary:\n  KE: {from: 1, to: 10, points: 3, step: 2}\n", "scan.yaml:2: KE: a range holds from, to"},
    {"vary:\n  PO2: [21, abc]\n", "scan.yaml:2: PO2: \"abc\" is not a number"},
    {"cells: 1e3x\n", "scan.yaml:1: NOCS: \"1e3x\" is not a number"},
    {"fixed:\n  FN: nosuch.txt\n", "scan.yaml:2: FN: field file \"nosuch.txt\" is not found"},
    {"vary:\n  PAR: [p, 4He]\n  PO2: []\n", "scan.yaml:3: PO2: the list is empty"},
    {"vary:\n  PO2: 21\n", "scan.yaml:2: PO2: give a list of values"},
    {"fixed:\n  PO2: [21, 5]\n", "scan.yaml:2: PO2: takes one value under fixed"},
    {"vary:\n  PO2: [1]\nfixed:\n  MMHG: 5\n", "scan.yaml:4: MMHG: PO2 is given as well (line 2)"},
    {"fixed: {FN: field.txt, PAR: p}\n", "scan.yaml:1: PAR: FN is given as well"},
    {"cells: 5\nfixed: {nocs: 3}\n", "scan.yaml:2: NOCS: given twice (first on line 1 as cells)"},
    {"switches: [/nq, /fast]\n", "scan.yaml:1: switches: \"/fast\" is not a switch of kesp"},
    {"reference: {PAR: e, PO2: 5}\n", "scan.yaml:1: PO2: the reference is a radiation"},
    {"cells: 10\nrepeats: 3\n", "scan.yaml:2: \"repeats\" is not a part of a scan file"},
    {"cells: 10\ncells: 20\n", "scan.yaml:2: cells: given twice"},
    {"vary:\n  PO2: [1\n", "scan.yaml:3: not a YAML document"},
    {"", "scan.yaml: a scan file is a mapping"},
    {"cells: 3\nvary:\nfixed: {PAR: p}\n", "scan.yaml:2: vary: holds no items"},
    {"cells:\nseed: 1\n", "scan.yaml:1: NOCS: no value is given"},
    {"vary:\n  PAR: [\"p q\"]\n", "scan.yaml:2: PAR: \"p q\" is not a particle name"},
    {"vary:\n  A: [1, 2, 3, 4, 5, 6, 7, 8, 9, 10]\n", "scan.yaml:2: vary: \"A\" is not an input item"},
    {"cells: 3\nshards: 0\n", "scan.yaml:2: shards: give a whole number of parts"},
    {"cells: 3\nprograms: [a, b]\n", "scan.yaml:2: programs: give the folder"},
    // Too few cells for standard errors.
    {"fixed: {PAR: p, KE: 10}\n", "scan.yaml: cells: not given, so every configuration simulates kesp's default of 1"},
    {"cells: 1\nfixed: {PAR: p, KE: 10}\n", "scan.yaml:1: NOCS: 1 is fewer than 2 cells"},
    {"vary:\n  NOCS: [10, 0]\nfixed: {PAR: p, KE: 10}\n", "scan.yaml:2: NOCS: 0 is fewer than 2 cells"},
    {"fixed: {PAR: p, KE: 10, NOCS: 1.5}\n", "scan.yaml:1: NOCS: 1.5 is fewer than 2 cells"},
    // Items the switches make meaningless, with the switch's line.
    {"cells: 2\nswitches: [/no2]\nvary:\n  PO2: [21, 0]\nfixed: {PAR: p, KE: 10}\n",
     "scan.yaml:4: PO2: the switch /no2 (line 2) switches the oxygen model off"},
    {"cells: 2\nswitches: [/2006]\nfixed: {PAR: p, KE: 10, MMHG: 5}\n",
     "scan.yaml:3: MMHG: the switch /2006 (line 2) switches the oxygen model off"},
    {"cells: 2\nfixed: {PAR: p, KE: 10, K: 0.5}\nswitches:\n  - /nq\n  - /NO2\n",
     "scan.yaml:2: K: the switch /NO2 (line 5) switches the oxygen model off"},
    {"cells: 2\nswitches: [/nq]\nvary:\n  R: [1, 3]\nfixed: {PAR: p, KE: 10, PO2: 0.5}\n",
     "scan.yaml:4: R: the switch /nq (line 2) makes the oxygen factor M0 for every particle, so R changes nothing"},
    {"cells: 2\nswitches: [/2006]\nfixed: {PAR: p, KE: 10, Q: 500}\n", "scan.yaml:3: Q: the switch /2006 (line 2)"},
    // What YAML would take without a word.
    {"cells: 2\nvary:\n  KE: {from: 1, to: 10, points: 2, to: 20}\nfixed: {PAR: p}\n",
     "scan.yaml:3: KE: \"to\" given twice (first on line 3)"},
    {"cells: 2\nvary:\n  KE:\n    from: 1\n    to: 10\n    points: 2\n    from: 5\nfixed: {PAR: p}\n",
     "scan.yaml:7: KE: \"from\" given twice (first on line 4)"},
    {"cells: 2\nfixed: {PAR: p, KE: 10}\n---\ncells: 4\n", "scan.yaml:3: a second YAML document begins here"},
    {"cells: 2\nfixed: {PAR: p, KE: 10}\n...\n---\n", "scan.yaml:4: a second YAML document begins here"},
    {"cells: 2\nfixed: {PAR: p, KE: 10}\ntitle: \"a\\0b\"\n", "scan.yaml:3: title: a value holds a NUL character"},
    {"cells: 2\ntitle: caf\xe9\nfixed: {PAR: p, KE: 10}\n", "scan.yaml:2: not UTF-8 text (the byte 0xe9"},
    {"cells: 2\nfixed: {PAR: p, KE: 10}\ntitle: a\x1b[1mb\n", "scan.yaml:3: the control character 0x1b"},
};

bool hasLineStartingWith(const std::vector<std::string>& lines, const std::string& start)
{
    for (const std::string& line : lines) {
        if (line.starts_with(start)) {
            return true;
        }
    }
    return false;
}

TEST(ScanRefusalTest, aWrongScanFileIsRefusedNamingFileLineAndItem)
{
    const fs::path dir = makeRunDirectory("kespScanRefusal");
    writeText(dir / "field.txt", "two protons\n2\np 10 1\np 20 1\n");
    for (const Refusal& refusal : scanFileRefusals) {
        fs::remove(dir / "scan.csv");
        writeText(dir / "scan.yaml", refusal.scan);
        const RunResult run = runScan(dir, {"scan.yaml"});
        EXPECT_EQ(run.exitStatus, 2) << refusal.scan;
        EXPECT_TRUE(hasLineStartingWith(run.errors, refusal.message))
            << refusal.scan << "---\n" << allLines(run.errors);
        EXPECT_FALSE(fs::exists(dir / "scan.csv")) << refusal.scan;
    }
}

// Configurations 3 to 5 draw warnings from kesp (an unknown particle, an
// energy below the validity limit); 1, 2 and 6 do not.
constexpr const char* warnedScan =
    "cells: 10\n"
    "vary:\n"
    "  PAR: [p, carbon, 12C]\n"
    "  MEV/A: [0.5, 10]\n";

TEST(ScanRefusalTest, configurationsWithWarningsAreAllListedUnlessLenient)
{
    const fs::path dir = makeRunDirectory("kespScanWarned");
    writeText(dir / "scan.yaml", warnedScan);
    const RunResult refused = runScan(dir, {"scan.yaml"});
    EXPECT_EQ(refused.exitStatus, 2);
    EXPECT_FALSE(fs::exists(dir / "scan.csv"));
    EXPECT_TRUE(hasLineStartingWith(refused.errors, "scan.yaml: the scan is refused: the input files of 3 of its 6"))
        << allLines(refused.errors);
    const std::vector<std::pair<std::string, bool>> listed = {
        {"  configuration 1 (", false},
        {"  configuration 2 (", false},
        {"  configuration 3 (PAR=carbon MEV/A=0.5): scan-003.inp:3: warning: RADX: particle \"carbo\" is not known", true},
        {"  configuration 4 (PAR=carbon MEV/A=10): scan-004.inp:3: warning: RADX:", true},
        {"  configuration 5 (PAR=12C MEV/A=0.5): scan-005.inp:3: warning: RADX: 12C at 6 MeV is below", true},
        {"  configuration 6 (", false},
    };
    for (const auto& [start, present] : listed) {
        EXPECT_EQ(hasLineStartingWith(refused.errors, start), present) << start;
    }
    const RunResult emitRefused = runScan(dir, {"--emit-inputs", "inputs", "scan.yaml"});
    EXPECT_EQ(emitRefused.exitStatus, 2);
    EXPECT_FALSE(fs::exists(dir / "inputs"));

    const RunResult lenient = runScan(dir, {"--lenient", "scan.yaml"});
    EXPECT_EQ(lenient.exitStatus, 0) << allLines(lenient.errors);
    EXPECT_EQ(readTable(dir / "scan.csv").rows.size(), 6U);
    EXPECT_TRUE(hasLineStartingWith(lenient.errors, "kesp-scan: --lenient: configuration 5 (PAR=12C MEV/A=0.5)"));

    // /strict among the switches asks for the refusal whatever the command line says.
    writeText(dir / "strict.yaml", std::string(warnedScan) + "switches: [/STRICT]\n");
    EXPECT_EQ(runScan(dir, {"--lenient", "strict.yaml"}).exitStatus, 2);
}

// The value of a configuration draws the words the library's check of the
// same settings made in code gives: one check for every front end.
TEST(ScanRefusalTest, configurationsAreRefusedInTheWordsOfTheSettingsCheck)
{
    const fs::path dir = makeRunDirectory("kespScanSettingsCheck");
    writeText(dir / "scan.yaml", "cells: 2\nvary:\n  PAR: [Pb, Po, Eu, p]\n  KE: [10, 5000]\n");
    const RunResult names = runScan(dir, {"scan.yaml"});
    EXPECT_EQ(names.exitStatus, 2);
    const auto refusedWith = [](const char* name, double kineticEnergy) {
        try {
            static_cast<void>(singleParticleField(name, kineticEnergy));
        } catch (const RunError& error) {
            return std::string(error.what());
        }
        RunSettings settings;
        settings.cells = 2;
        settings.field = singleParticleField(name, kineticEnergy);
        const std::vector<Diagnostic> diagnostics = checkSettings(settings);
        return diagnostics.empty() ? std::string() : diagnostics.front().message;
    };
    const struct {
        int configuration;
        const char* name;
        double kineticEnergy;
    } expected[] = {{1, "Pb", 10.0}, {3, "Po", 10.0}, {5, "Eu", 10.0}, {8, "p", 5000.0}};
    for (const auto& c : expected) {
        const std::string message = refusedWith(c.name, c.kineticEnergy);
        ASSERT_FALSE(message.empty()) << c.name;
        const std::string start = "  configuration " + std::to_string(c.configuration) + " (";
        bool found = false;
        for (const std::string& line : names.errors) {
            found = found || (line.starts_with(start) && line.ends_with("warning: RADX: " + message));
        }
        EXPECT_TRUE(found) << message << "\n" << allLines(names.errors);
    }
    EXPECT_FALSE(hasLineStartingWith(names.errors, "  configuration 7 ("));

    writeText(dir / "ranges.yaml", "cells: 2\nvary:\n  PAR: [56Fe, 12C]\n  MEV/A: [0.5, 1]\n");
    const RunResult ranges = runScan(dir, {"ranges.yaml"});
    EXPECT_EQ(ranges.exitStatus, 2);
    const struct {
        const char* start;
        const char* name;
        double kineticEnergy;
    } belowLimit[] = {{"  configuration 1 (PAR=56Fe MEV/A=0.5): ranges-001.inp:", "56Fe", 28.0},
                      {"  configuration 4 (PAR=12C MEV/A=1): ranges-004.inp:", "12C", 12.0}};
    for (const auto& c : belowLimit) {
        RunSettings settings;
        settings.cells = 2;
        settings.field = singleParticleField(c.name, c.kineticEnergy);
        const std::vector<Diagnostic> said = checkSettings(settings);
        ASSERT_EQ(said.size(), 1U) << c.name;
        bool found = false;
        for (const std::string& line : ranges.errors) {
            found = found || (line.starts_with(c.start) && line.ends_with("warning: RADX: " + said.front().message));
        }
        EXPECT_TRUE(found) << said.front().message << "\n" << allLines(ranges.errors);
    }
}

TEST(ScanRefusalTest, aBrokenFieldFileRefusesTheConfigurationsThatNameIt)
{
    const fs::path dir = makeRunDirectory("kespScanBrokenField");
    writeText(dir / "good.txt", "two protons\n2\np 10 1\np 20 1\n");
    writeText(dir / "short.txt", "announces three\n3\np 10 1\np 20 1\n");
    writeText(dir / "scan.yaml", "cells: 10\nvary:\n  FN: [good.txt, short.txt]\n");
    const RunResult run = runScan(dir, {"--lenient", "scan.yaml"});
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_TRUE(hasLineStartingWith(run.errors, "  configuration 2 (FN=short.txt): ")) << allLines(run.errors);
    EXPECT_FALSE(hasLineStartingWith(run.errors, "  configuration 1 ("));
}

TEST(ScanRefusalTest, aCommandLineItCannotUseIsRefused)
{
    const fs::path dir = makeRunDirectory("kespScanCommandLine");
    writeText(dir / "scan.yaml", "cells: 2\nfixed: {PAR: p, KE: 10}\n");
    const std::vector<std::vector<std::string>> refused = {
        {},
        {"-j", "0", "scan.yaml"},
        {"--jobs", "two", "scan.yaml"},
        {"--shuffle", "scan.yaml"},
        {"nosuch.yaml"},
        {"-o", "scan.yaml", "scan.yaml"},
    };
    for (const std::vector<std::string>& arguments : refused) {
        const RunResult run = runScan(dir, arguments);
        EXPECT_EQ(run.exitStatus, 2) << allLines(run.errors);
        EXPECT_FALSE(run.errors.empty());
    }
    EXPECT_EQ(readText(dir / "scan.yaml"), "cells: 2\nfixed: {PAR: p, KE: 10}\n");

    const RunResult help = runScan(dir, {"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_TRUE(hasLineStartingWith(help.console, "Usage: kesp-scan [OPTIONS] scan-file"));
    const RunResult version = runScan(dir, {"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    ASSERT_EQ(version.console.size(), 3U);
    EXPECT_TRUE(version.console[0].starts_with("kesp-scan "));
    EXPECT_NE(version.console[1], "revision: ");
}

// The example scans of the documentation pass every check (their input files are
// written, each scan's into a folder of its own; nothing runs).
TEST(ScanRefusalTest, theExampleScansAreAccepted)
{
    const fs::path dir = makeRunDirectory("kespScanExamples");
    for (const char* example : {"dsbYields", "mixedFieldOxygen", "stoppingPowers"}) {
        const fs::path scan = fs::path(KESP_SOURCE_DIR) / "examples" / "scans" / (std::string(example) + ".yaml");
        const RunResult run = runScan(dir, {"--emit-inputs", std::string("inputs-") + example, scan.string()});
        EXPECT_EQ(run.exitStatus, 0) << example << "\n" << allLines(run.errors);
    }
    EXPECT_TRUE(fs::exists(dir / "inputs-mixedFieldOxygen" / "mixedField.txt"));
}

}  // namespace
