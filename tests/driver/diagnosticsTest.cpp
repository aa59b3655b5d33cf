// What the program says on the standard error stream about input it could
// not take as written, "/strict", and field files found next to the input:
// the real executable on real files.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "driver/runHarness.h"

namespace {

namespace fs = std::filesystem;
using Files = std::vector<std::pair<std::string, std::string>>;

// A heavy ion: the shortest DNA segment, so the runs are cheap.
const std::string cheapParticle = "RADX: PAR=56Fe KE=5600\n";

kesp::RunResult runIn(const fs::path& dir, const Files& files, const std::vector<std::string>& arguments)
{
    for (const auto& [name, contents] : files) {
        fs::create_directories((dir / name).parent_path());
        std::ofstream(dir / name, std::ios::binary) << contents;
    }
    return kesp::runProgram(dir, arguments);
}

bool holdsLine(const std::vector<std::string>& lines, const std::string& start)
{
    return std::any_of(lines.begin(), lines.end(), [&start](const std::string& line) { return line.starts_with(start); });
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += "\n  " + line;
    }
    return text;
}

struct DiagnosticCase {
    const char* name;
    std::string input;
    std::string expected;  // the start of a line of the standard error stream
    Files more = {};
    std::vector<std::string> switches = {};
};

TEST(DiagnosticsTest, everySlipIsNamedWithItsFileAndLine)
{
    const std::string w = "run.inp:1: warning: ";
    const std::string longLine = "SIMCON: NOCS=2" + std::string(230, ' ') + "SEED=5\n";
    const std::vector<DiagnosticCase> cases{
        {"unknownName", "RADX: PAR=carbon KE=10\n", w + "RADX: particle \"carbo\" is not known: a name without a mass number"},
        {"symbolFirst", "RADX: PAR=C12 KE=10\n", w + "RADX: particle \"C12\" is not known: the mass number must come before"},
        {"beyondBarium", "RADX: PAR=238U KE=10\n", w + "RADX: particle \"238U\" is not known: the nuclide table holds no such"},
        {"alpha", "RADX: PAR=alpha KE=10\n", w + "RADX: particle \"alpha\" is not known"},
        {"negativeEnergy", "RADX: PAR=p KE=-10\n", w + "RADX: the kinetic energy -10 MeV is not a positive number that gives p a speed; using the 1 MeV electron"},
        {"letterO", "RADX: PAR=p KE=1O\n", w + "RADX: \"KE=1O\": \"1O\" is not a number; the kinetic energy stays 1 MeV"},
        {"unitAttached", "RADX: PAR=p KE=10MeV\n", w + "RADX: \"KE=10MeV\": \"10MeV\" is not a number"},
        {"firstLetter", "RADX: PAR=Pb KE=10\n", w + "RADX: particle \"Pb\" has no mass number and is read by its first letter as the proton"},
        {"cutName", "RADX: PAR=12Carbon KE=10\n", w + "RADX: particle name \"12Carbon\" is cut to five characters: \"12Car\""},
        {"symbolLetters", "RADX: PAR=12Carbon KE=10\n", w + "RADX: particle \"12Car\": only the letters \"Ca\" of \"Car\" are read"},
        {"lightestIsotope", "RADX: PAR=12Carbon KE=10\n", w + "RADX: particle \"12Car\": there is no tabulated 12Ca; the mass of 34Ca"},
        {"unknownRadxItem", "RADX: PAR=12C MeV/u=10\n", w + "RADX: \"MeV/u=10\": MEV/U= is not an item of this block"},
        {"unknownEvo2Item", "EVO2: PO=5\n" + cheapParticle, w + "EVO2: \"PO=5\": PO= is not an item of this block (PO2=, MMHG=, M0=, K=, Q=, R=); ignored"},
        {"blanksAroundEquals", "SIMCON: NOCS = 100\n" + cheapParticle, w + "SIMCON: \"NOCS = 100\": blanks around \"=\" keep the item from being read; write NOCS=100"},
        {"tabAfterKey", "SIMCON:\tNOCS=100\n" + cheapParticle, w + "SIMCON: \"\tNOCS=100\" holds a tab or other control character"},
        {"byteOrderMark", "\xEF\xBB\xBFRADX: PAR=p KE=10\n", w + "the file begins with a UTF-8 byte-order mark"},
        {"byteOrderMarkBeforeRadx", "\xEF\xBB\xBFRADX: PAR=p KE=10\n", w + "RADX: this line looks like a block line but is not read (a byte-order mark"},
        {"carriageReturnsOnly", "SIMCON: NOCS=3\rRADX: PAR=p KE=10\r", w + "the lines end in carriage returns only"},
        {"lowerCaseKey", "evo2: PO2=5\n" + cheapParticle, w + "EVO2: this line looks like a block line but is not read (the key is found only as written, in capitals"},
        {"commentedCopyFirst", "! SIMCON: NOCS=5\nSIMCON: NOCS=100\n" + cheapParticle, "run.inp:2: warning: SIMCON: this block line is not read: the block is read from line 1, a comment"},
        {"decimalComma", "EVO2: PO2=0,5\n" + cheapParticle, w + "EVO2: \"5\" is not an item (KEY=value) and is ignored (a decimal comma?"},
        {"missingFieldFile", "RADX: FN=nosuch.txt PAR=56Fe KE=5600\n", w + "RADX: field file \"nosuch.txt\" does not exist; using the particle of this line"},
        {"fieldFileIsDirectory", "RADX: FN=sub PAR=56Fe KE=5600\n", w + "RADX: field file \"sub\" is not a regular file", {{"sub/x", ""}}},
        {"noComponents", "RADX: FN=f.txt PAR=56Fe KE=5600\n", w + "RADX: field file \"f.txt\" announces no components", {{"f.txt", "title\n0\n"}}},
        {"fieldFileName", "RADX: FN=f.txt\n", "f.txt:3: warning: particle name \"56Ferrum\" is cut to five characters", {{"f.txt", "t\n2\n56Ferrum 5600 1\n56Fe 5600 1\n"}}},
        {"cellCountBelowOne", "SIMCON: NOCS=0\n" + cheapParticle, w + "SIMCON: NOCS=0 is below 1; 1 cell is simulated"},
        {"oxygenClamped", "EVO2: PO2=150\n" + cheapParticle, w + "EVO2: \"PO2=150\" is outside 0 to 100 % O2; 100 is used"},
        {"fractionRefused", "DMSO: FNSD=1.01\n" + cheapParticle, w + "DMSO: \"FNSD=1.01\" is outside 0 to 1; 0.5 is used"},
        {"hugeWholeNumber", "SIMCON: NOCS=1e300\n" + cheapParticle, w + "SIMCON: \"NOCS=1e300\" is beyond the whole numbers and read as -2147483648"},
        {"textBeyondColumn240", longLine + cheapParticle, w + "SIMCON: text beyond column 240 is ignored (\"SEED=5...\")"},
        {"repairMeaningless", "EVO2: M0=0.5\n" + cheapParticle, w + "EVO2: M0=0.5 is below 1: the chemical repair probability printed is negative"},
        {"limitPrintedAsMet", "RADX: PAR=56Fe KE=0.5\n", w + "RADX: 56Fe at 0.5 MeV is below the validity limit 1750.37 MeV"},
        {"belowLimitFallback", "RADX: PAR=p KE=0.001\n", w + "RADX: proton at 0.001 MeV is below the validity limit", {}, {"/no2"}},
    };
    for (const DiagnosticCase& c : cases) {
        Files files = c.more;
        files.emplace_back("run.inp", c.input);
        const fs::path dir = kesp::makeRunDirectory(std::string("kespDiagnostics-") + c.name);
        std::vector<std::string> arguments{"run.inp"};
        arguments.insert(arguments.end(), c.switches.begin(), c.switches.end());
        const kesp::RunResult run = runIn(dir, files, arguments);
        EXPECT_EQ(run.exitStatus, 0) << c.name;
        EXPECT_TRUE(holdsLine(run.errors, c.expected)) << c.name << ": expected a line starting\n  " << c.expected
                                                       << "\nstandard error:" << joined(run.errors);
        fs::remove_all(dir);
    }
}

TEST(DiagnosticsTest, theExamplesDrawNoDiagnostic)
{
    const fs::path examples = fs::path(KESP_SOURCE_DIR) / "examples";
    for (const auto& entry : fs::directory_iterator(examples)) {
        if (entry.path().extension() != ".inp") {
            continue;
        }
        const fs::path dir = kesp::makeRunDirectory("kespClean-" + entry.path().stem().string());
        fs::copy(examples, dir, fs::copy_options::recursive);
        const kesp::RunResult run = kesp::runProgram(dir, {entry.path().filename().string(), "/strict"});
        EXPECT_EQ(run.exitStatus, 0) << entry.path();
        EXPECT_TRUE(run.errors.empty()) << entry.path() << joined(run.errors);
        fs::remove_all(dir);
    }
}

TEST(DiagnosticsTest, strictRefusesAnInputWithWarningsBeforeTheSimulation)
{
    const fs::path dir = kesp::makeRunDirectory("kespStrict");
    for (const std::string strict : {"/strict", "/STRICT"}) {
        const kesp::RunResult run = runIn(dir, {{"run.inp", "RADX: PAR=carbon KE=10\n"}}, {"run.inp", strict});
        EXPECT_EQ(run.exitStatus, 2) << strict;
        EXPECT_FALSE(fs::exists(dir / "run.out")) << strict;
        EXPECT_TRUE(holdsLine(run.console, "Run refused: /strict is given")) << joined(run.console);
        EXPECT_FALSE(holdsLine(run.console, "END KESP"));
        EXPECT_TRUE(holdsLine(run.errors, "run.inp:1: warning: RADX: particle \"carbo\" is not known"));
    }
    // Without the switch the same input runs as it always did.
    const kesp::RunResult lenient = runIn(dir, {}, {"run.inp"});
    EXPECT_EQ(lenient.exitStatus, 0);
    EXPECT_TRUE(fs::exists(dir / "run.out"));
    fs::remove_all(dir);
}

TEST(DiagnosticsTest, aFieldFileIsLookedForNextToTheInputAfterTheCurrentDirectory)
{
    const fs::path dir = kesp::makeRunDirectory("kespFieldLookup");
    const std::string field = "mixed\n2\n56Fe 5600 1\n4He 400 1\n";
    const kesp::RunResult beside =
        runIn(dir, {{"inputs/run.inp", "SIMCON: NOCS=2\nRADX: FN=field.txt\n"}, {"inputs/field.txt", field}},
              {"inputs/run.inp"});
    EXPECT_EQ(beside.exitStatus, 0);
    EXPECT_TRUE(holdsLine(beside.errors, "inputs/run.inp:2: note: RADX: field file \"field.txt\" is not in the current "
                                         "directory; using \"inputs/field.txt\" next to the input file"))
        << joined(beside.errors);
    const std::vector<std::string> report = kesp::readTextLines(dir / "inputs" / "run.out");
    EXPECT_TRUE(std::any_of(report.begin(), report.end(),
                            [](const std::string& line) { return line.starts_with("MXRF TABLE"); }));

    // A file of that name in the current directory keeps precedence: a single
    // component there makes a single-particle run, without a note.
    const kesp::RunResult here = runIn(dir, {{"field.txt", "single\n1\n56Fe 5600 1\n"}}, {"inputs/run.inp"});
    EXPECT_EQ(here.exitStatus, 0);
    EXPECT_TRUE(here.errors.empty()) << joined(here.errors);
    const std::vector<std::string> single = kesp::readTextLines(dir / "inputs" / "run.out");
    EXPECT_TRUE(std::none_of(single.begin(), single.end(),
                             [](const std::string& line) { return line.starts_with("MXRF TABLE"); }));
    fs::remove_all(dir);
}

}  // namespace
