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

// Values outside the world of the model (a DNA content in bp, a diameter in
// m, an energy in keV) and runs of 1 cell, whose SEMs all print 0: run as
// written with a warning that names the likely slip, refused by /strict.
TEST(DiagnosticsTest, valuesOutsideTheModelAndSingleCellRunsAreNamedAndRefusedByStrict)
{
    const std::string twoCells = "SIMCON: NOCS=2\n";
    const std::string w = "run.inp:2: warning: ";
    const std::string beyond = " is above the energies the model is made for (up to 1000 MeV per nucleon) and is "
                               "used as written; ";
    const std::vector<DiagnosticCase> cases{
        {"dnaInBp", twoCells + "CELL: DNA=6e9\n" + cheapParticle,
         w + "CELL: \"DNA=6e9\" is above the DNA content of a cell nucleus (0.001 to 1000 Gbp) and is used as "
             "written; DNA= is in Gbp: if 6e9 is in bp, write DNA=6"},
        {"dnaInMbp", twoCells + "CELL: dna=6000\n" + cheapParticle,
         w + "CELL: \"dna=6000\" is above the DNA content of a cell nucleus (0.001 to 1000 Gbp) and is used as "
             "written; DNA= is in Gbp: if 6000 is in Mbp, write DNA=6"},
        {"diameterInMetres", twoCells + "CELL: NDIA=5e-6\n" + cheapParticle,
         w + "CELL: \"NDIA=5e-6\" is below the diameter of a cell nucleus (0.1 to 1000 um) and is used as written; "
             "NDIA= is in um: if 5e-6 is in m, write NDIA=5"},
        {"diameterInNanometres", twoCells + "CELL: NDIA=5000\n" + cheapParticle,
         w + "CELL: \"NDIA=5000\" is above the diameter of a cell nucleus (0.1 to 1000 um) and is used as written; "
             "NDIA= is in um: if 5000 is in nm, write NDIA=5"},
        {"protonEnergyInKeV", twoCells + "RADX: PAR=p KE=2000\n",
         w + "RADX: proton at 2000 MeV (2000 MeV per nucleon)" + beyond + "KE= is in MeV: if 2000 is in keV, write KE=2"},
        {"hundredGeVProtons", twoCells + "RADX: PAR=p KE=1e5\n",
         w + "RADX: proton at 100000 MeV (100000 MeV per nucleon)" + beyond
             + "KE= is in MeV: if 100000 is in keV, write KE=100"},
        {"perNucleonInKeV", twoCells + "RADX: PAR=12C MEV/A=2000\n",
         w + "RADX: 12C at 24000 MeV (2000 MeV per nucleon)" + beyond
             + "MEV/A= is in MeV per nucleon: if 2000 is in keV, write MEV/A=2"},
        {"electronEnergyInKeV", twoCells + "RADX: PAR=e KE=1000\n",
         w + "RADX: e- at 1000 MeV is above the electron energies the model is made for (up to 500 MeV) and is used as "
             "written; KE= is in MeV: if 1000 is in keV, write KE=1"},
        {"fieldComponentInKeV", twoCells + "RADX: FN=f.txt\n",
         "f.txt:4: warning: component 2: 4He at 40000 MeV (10000 MeV per nucleon)" + beyond
             + "a field file gives kinetic energies in MeV: if 40000 is in keV, write 40",
         {{"f.txt", "title\n2\n56Fe 5600 1\n4He 40000 1\n"}}},
        {"noCellCount", cheapParticle,
         "run.inp: warning: 1 cell is simulated: a run of 1 cell has no standard errors and every SEM column of the "
         "report prints 0; add a line SIMCON: NOCS=2 or more"},
        {"misspeltCellCount", "SIMCON: NCOS=100\n" + cheapParticle,
         "run.inp:1: warning: SIMCON: 1 cell is simulated: a run of 1 cell has no standard errors and every SEM column "
         "of the report prints 0; write NOCS=2 or more (1 is the default when NOCS= is missing or misspelt)"},
        {"oneCell", "SIMCON: NOCS=1\n" + cheapParticle, "run.inp:1: warning: SIMCON: 1 cell is simulated"},
    };
    for (const DiagnosticCase& c : cases) {
        Files files = c.more;
        files.emplace_back("run.inp", c.input);
        const fs::path dir = kesp::makeRunDirectory(std::string("kespOutsideModel-") + c.name);
        const kesp::RunResult run = runIn(dir, files, {"run.inp"});
        EXPECT_EQ(run.exitStatus, 0) << c.name;
        EXPECT_TRUE(holdsLine(run.errors, c.expected)) << c.name << ": expected a line starting\n  " << c.expected
                                                       << "\nstandard error:" << joined(run.errors);
        EXPECT_TRUE(fs::exists(dir / "run.out")) << c.name;
        fs::remove(dir / "run.out");
        const kesp::RunResult strict = runIn(dir, {}, {"run.inp", "/strict"});
        EXPECT_EQ(strict.exitStatus, 2) << c.name;
        EXPECT_FALSE(fs::exists(dir / "run.out")) << c.name;
        fs::remove_all(dir);
    }
}

// The ends of every range still lie within it: nothing is said, not even
// under /strict, and a DNA content in bp is used as written.
TEST(DiagnosticsTest, valuesAtTheEndsOfTheRangesDrawNothing)
{
    const std::vector<std::pair<std::string, Files>> inputs{
        {"SIMCON: NOCS=2\nCELL: DNA=0.001 NDIA=0.1\nRADX: PAR=p KE=1000\n", {}},
        {"SIMCON: NOCS=2\nCELL: DNA=1000 NDIA=1000\nRADX: PAR=56Fe MEV/A=1000\n", {}},
        {"SIMCON: NOCS=4\nRADX: FN=f.txt\n",
         {{"f.txt", "edges\n4\np 1000 1\n4He 4000 1\ne 500 1\n56Fe 56000 1\n"}}},
    };
    const fs::path dir = kesp::makeRunDirectory("kespRangeEnds");
    for (const auto& [input, more] : inputs) {
        Files files = more;
        files.emplace_back("run.inp", input);
        const kesp::RunResult run = runIn(dir, files, {"run.inp", "/strict"});
        EXPECT_EQ(run.exitStatus, 0) << input;
        EXPECT_TRUE(run.errors.empty()) << input << joined(run.errors);
    }
    const kesp::RunResult asWritten =
        runIn(dir, {{"run.inp", "SIMCON: NOCS=2\nCELL: DNA=6e9\n" + cheapParticle}}, {"run.inp"});
    EXPECT_EQ(asWritten.exitStatus, 0);
    EXPECT_TRUE(holdsLine(kesp::readTextLines(dir / "run.out"), " 6.0000E+09     DNA content (Gbp)"));
    fs::remove_all(dir);
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
