// Runs the real executable on hostile input: every run must end either with a
// complete report (exit status 0, "END KESP" last on the console, TABLE 6
// closed by its rule) or with a clear message, a non-zero exit status and no
// "END KESP"; never with a crash, a hang or a sanitizer report.
//
// The runs are kept cheap for the sanitizer build: few cells, and a heavy ion
// (the shortest DNA segment) wherever the particle does not matter.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "driver/runHarness.h"

namespace {

namespace fs = std::filesystem;
using kesp::RunResult;

constexpr int runTimeLimitSeconds = 60;
const std::string cheapParticle = "RADX: PAR=56Fe KE=5600\n";
const std::string tableRule(115, '-');

using Files = std::vector<std::pair<std::string, std::string>>;

struct HostileRun {
    RunResult run;
    std::vector<std::string> report;
};

// Writes the files (bytes exactly as given) into a fresh directory, runs the
// program there with the arguments and reads the report it names.
HostileRun runOn(const std::string& tag, const Files& files, const std::vector<std::string>& arguments,
                 const std::string& reportName)
{
    const fs::path dir = kesp::makeRunDirectory("kespHostile-" + tag);
    for (const auto& [name, contents] : files) {
        std::ofstream(dir / name, std::ios::binary) << contents;
    }
    HostileRun result{kesp::runProgram(dir, arguments, runTimeLimitSeconds), {}};
    result.report = kesp::readTextLines(dir / reportName);
    EXPECT_FALSE(result.run.timedOut) << tag << ": no end within " << runTimeLimitSeconds << " s";
    EXPECT_FALSE(kesp::sanitizerReported(result.run)) << tag << ": " << result.run.errors.front();
    fs::remove_all(dir);
    return result;
}

HostileRun runInput(const std::string& tag, const std::string& input, const Files& more = {})
{
    Files files = more;
    files.emplace_back("run.inp", input);
    return runOn(tag, files, {"run.inp"}, "run.out");
}

bool holdsLine(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool anyLineHolds(const std::vector<std::string>& lines, const std::string& text)
{
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

void expectCompleteReport(const HostileRun& r)
{
    EXPECT_EQ(r.run.exitStatus, 0);
    ASSERT_FALSE(r.run.console.empty());
    EXPECT_EQ(r.run.console.back(), "END KESP");
    ASSERT_GE(r.report.size(), 2U);
    EXPECT_TRUE(anyLineHolds(r.report, "TABLE 6."));
    EXPECT_EQ(r.report.back(), tableRule);
    EXPECT_EQ(r.report[r.report.size() - 2].rfind(" Total", 0), 0U);
    EXPECT_FALSE(anyLineHolds(r.report, "NaN"));
}

// A clear message (on the console or the standard error stream), exit status 1.
void expectStop(const HostileRun& r, const std::string& message)
{
    EXPECT_EQ(r.run.exitStatus, 1);
    EXPECT_FALSE(holdsLine(r.run.console, "END KESP"));
    EXPECT_TRUE(anyLineHolds(r.run.console, message) || anyLineHolds(r.run.errors, message))
        << "expected \"" << message << "\"; console ends with: "
        << (r.run.console.empty() ? "" : r.run.console.back());
    EXPECT_TRUE(r.report.empty());
}

void expectReportLines(const HostileRun& r, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) {
        EXPECT_TRUE(holdsLine(r.report, line)) << "missing report line: " << line;
    }
}

std::string cellsLine(int nocs)
{
    std::string number = std::to_string(nocs);
    return std::string(11 - number.size(), ' ') + number + "     number of cells (nocs)";
}

const std::string defaultSeedLine = "  987654321     random number seed";

// All the characters of a literal, NUL bytes included.
template <std::size_t N>
std::string bytes(const char (&text)[N])
{
    return std::string(text, N - 1);
}

// ---------------------------------------------------------------------------
// Files that hold no input at all.

TEST(HostileInputTest, emptyFileRunsTheDefaults)
{
    const HostileRun r = runInput("empty", "");
    expectCompleteReport(r);
    expectReportLines(r, {cellsLine(1), defaultSeedLine,
                          "PARTICLE: e- (mass = 5.48580E-04 u = 5.10999E-01 MeV/c^2)"});
}

TEST(HostileInputTest, binaryGarbageRunsTheDefaults)
{
    // Bytes of every value, no line ends to speak of; no block key can be
    // found, so every default stands.
    std::minstd_rand generator(12345);
    std::string garbage;
    for (int i = 0; i < 65536; ++i) {
        garbage += static_cast<char>(generator() % 256);
    }
    const HostileRun r = runInput("garbage", garbage + "\n" + cheapParticle);
    expectCompleteReport(r);
    expectReportLines(r, {cellsLine(1), defaultSeedLine,
                          "PARTICLE: 56Fe (mass = 5.59349E+01 u = 5.20898E+04 MeV/c^2)"});
}

TEST(HostileInputTest, nulBytesAreTakenLikeBlanks)
{
    // NUL is a control character: squeezed out of an item, so NOCS=<NUL>3 is
    // NOCS=3; a NUL before the "=" leaves the "=" column where it was written,
    // and SE<NUL>ED=5 is no item (the seed keeps its default).
    const std::string input =
        bytes("\0\0\0\n") + bytes("SIMCON: NOCS=\0" "3 SE\0ED=5\n") + bytes("RADX: PAR=56Fe\0 KE=5600\0\n");
    const HostileRun r = runInput("nul", input);
    expectCompleteReport(r);
    expectReportLines(r, {cellsLine(3), defaultSeedLine, "  5.60000E+03 MeV >= 1.75037E+03 MeV"});
}

// ---------------------------------------------------------------------------
// An input file far past the size of one is refused before it is read, in
// a moment and without the memory its size would take; at its limits it is
// read as any other.

TEST(HostileInputTest, inputsPastTheSizeOfAnInputFileStopAtOnce)
{
    const struct {
        std::string tag;
        std::string input;
        std::string message;
    } cases[] = {
        {"fiftyMegabytesOfBlankLines", std::string(50 << 20, '\n'),
         "Input file run.inp is larger than 4194304 bytes (4 MiB)"},
        {"twoMegabytesOfBlankLines", std::string(2 << 20, '\n'), "Input file run.inp holds more than 10000 lines"},
        {"oneLongLine", std::string(50 << 20, 'x'), "Input file run.inp is larger than 4194304 bytes (4 MiB)"},
        {"lineAfterTheLimit", std::string(10000, '\n') + "SIMCON: NOCS=2\n",
         "Input file run.inp holds more than 10000 lines"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag);
        const HostileRun r = runInput(c.tag, c.input);
        expectStop(r, c.message);
    }
    expectCompleteReport(runInput("atTheLineLimit", std::string(9998, '\n') + "SIMCON: NOCS=2\n" + cheapParticle));
}

// ---------------------------------------------------------------------------
// Long lines: only the first 240 columns of a line count.

TEST(HostileInputTest, megabyteLinesAreCutAndTheNextLinesStillRead)
{
    const std::string huge(1 << 20, 'x');
    const HostileRun r = runInput("megabyte", "SIMCON: NOCS=3 " + huge + " SEED=5\n" + huge + "\n" + cheapParticle + huge);
    expectCompleteReport(r);
    expectReportLines(r, {cellsLine(3), defaultSeedLine});
}

TEST(HostileInputTest, itemsBeyondColumn240AreNotSeen)
{
    struct Case {
        std::size_t lastColumn;
        int nocs;
    };
    // "NOCS=7" ending at column 239 or 240 is read; ending at 241 its value
    // falls beyond the line and the item is empty, so the default 1 stays.
    for (const Case c : {Case{239, 7}, Case{240, 7}, Case{241, 1}}) {
        const std::string item = "NOCS=7";
        const std::string head = "SIMCON:";
        const std::string line = head + std::string(c.lastColumn - head.size() - item.size(), ' ') + item;
        const HostileRun r = runInput("column" + std::to_string(c.lastColumn), line + "\n" + cheapParticle);
        expectCompleteReport(r);
        expectReportLines(r, {cellsLine(c.nocs)});
    }
}

// ---------------------------------------------------------------------------
// Every keyword with values that do not convert, and with huge, tiny and
// negative values. Each run gives several keywords at once; the expected
// lines are where the report prints the values.

struct KeywordCase {
    std::string name;
    std::string input;
    std::vector<std::string> reportLines;  // empty with a stop message
    std::string stopMessage;
};

// Test names show the case, not the bytes of the record.
void PrintTo(const KeywordCase& c, std::ostream* out)
{
    *out << c.name;
}

class KeywordValueTest : public ::testing::TestWithParam<KeywordCase> {};

TEST_P(KeywordValueTest, endsWithTheValueShownOrAClearStop)
{
    const KeywordCase& c = GetParam();
    const HostileRun r = runInput("keyword-" + c.name, c.input);
    if (!c.stopMessage.empty()) {
        expectStop(r, c.stopMessage);
        return;
    }
    expectCompleteReport(r);
    expectReportLines(r, c.reportLines);
}

const std::string defaultOxygen = "OXYGEN SIMULATION (M0=1.740, K=0.3372, q=946.10, r=2.15)";
const std::string fullOxygen = "  1.0000E+02 % O2 concentration (=760.00 mmHg)";
const std::string defaultFnsd = "  5.0000E-01 fraction of non-scavengeable DNA damage (fnsd)";
const std::string defaultChmx = "  5.0000E-01 concentration (mol dm^-3) at half-level (chmx)";
const std::string noDmso = "  0.0000E+00 DMSO concentration (mol dm^-3)";
const std::string defaultDna = " 6.0000E+00     DNA content (Gbp)";
const std::string defaultNdia = " 5.0000E+00     Dia. of cell nucleus (um)";
const std::string noBl = "        0.0     fraction Bl/Bd";
const std::string electron = "PARTICLE: e- (mass = 5.48580E-04 u = 5.10999E-01 MeV/c^2)";
const std::string electronAt1MeV = "  1.00000E+00 MeV >= 2.55519E-05 MeV";
const std::string ironAt5600MeV = "  5.60000E+03 MeV >= 1.75037E+03 MeV";

// Values that do not convert leave every field at its default: empty, not a
// number, NaN, Inf and an overflowing 1E999.
std::string unconverted(const std::string& keyword)
{
    return " " + keyword + "= " + keyword + "=x " + keyword + "=NaN " + keyword + "=Inf " + keyword
           + "=-Inf " + keyword + "=1E999";
}

std::vector<KeywordCase> keywordCases()
{
    const std::string iron = cheapParticle;
    return {
        {"unconvertedSimconDmsoCellKesp",
         "SIMCON:" + unconverted("NOCS") + unconverted("SEED") + "\nDMSO:" + unconverted("CONC")
             + unconverted("FNSD") + unconverted("CHMX") + "\nCELL:" + unconverted("DNA") + unconverted("NDIA")
             + "\nKESP:" + unconverted("FBL") + "\n" + iron,
         {cellsLine(1), defaultSeedLine, noDmso, defaultFnsd, defaultChmx, defaultDna, defaultNdia, noBl},
         ""},
        {"unconvertedEvo2",
         "EVO2:" + unconverted("PO2") + unconverted("MMHG") + unconverted("M0") + "\nEVO2: ignored, only the first line counts\n"
             + iron,
         {defaultOxygen, fullOxygen},
         ""},
        {"unconvertedEvo2Model", "EVO2:" + unconverted("K") + unconverted("Q") + unconverted("R") + "\n" + iron,
         {defaultOxygen, fullOxygen},
         ""},
        // KE keeps the 1 MeV of the reset field; MEV/A= never converts.
        {"unconvertedRadx", "RADX: PAR=56Fe" + unconverted("KE") + unconverted("MEV/A") + "\n",
         {"  1.00000E+00 MeV >= 1.75037E+03 MeV"},
         ""},
        // NOCS and SEED round out of the 32-bit range and are replaced; PO2
        // and K are clamped to 100; CONC halves the strand breaks; FNSD,
        // CHMX and FBL are ignored; DNA scales the tables.
        {"hugeA",
         "SIMCON: NOCS=1E300 SEED=1E300\nEVO2: PO2=1E300 K=1E300\nDMSO: CONC=1E300 FNSD=1E300 CHMX=1E300\n"
         "CELL: DNA=1E300\nKESP: FBL=1E300\n"
             + iron,
         {cellsLine(1), defaultSeedLine, "OXYGEN SIMULATION (M0=1.740, K=100.0000, q=946.10, r=2.15)", fullOxygen,
          "  1.0000+300 DMSO concentration (mol dm^-3)", defaultFnsd, defaultChmx,
          "        650     number of strand breaks, sigSb (per cell per Gy)", " 1.0000+300     DNA content (Gbp)",
          noBl},
         ""},
        // A q or r too wide for its field prints as asterisks.
        {"hugeB", "EVO2: MMHG=1E300 Q=1E300 R=1E300\n" + iron, {fullOxygen}, ""},
        // The microdosimetry of a nucleus 1E300 um wide is not finite.
        {"hugeNucleus", "CELL: NDIA=1E300\n" + iron, {},
         "The nucleus diameter 1.00000+300 um (CELL: NDIA=) gives no finite microdosimetry"},
        // An enormous M0 repairs every lesion: nothing is left to cluster.
        {"hugeM0", "EVO2: M0=1E300\n" + iron, {}, "Damage information for this DNA segment is missing"},
        // The momentum p*c of an energy near the largest number is not finite.
        {"hugeKineticEnergy", "RADX: PAR=56Fe KE=1E300\n", {},
         "The momentum p*c is not a finite number (Inf) for RADX: PAR=56Fe KE=1e+300; no report is written."},
        {"hugeEnergyPerNucleon", "RADX: PAR=56Fe MEV/A=1E300\n", {},
         "The momentum p*c is not a finite number (Inf) for RADX: PAR=56Fe KE=5.6e+301; no report is written."},
        // NOCS rounds to 0 and becomes 1; SEED rounds to 0, a clock seed
        // (checked below); K is clamped to 2.2E-16.
        {"tinyA",
         "SIMCON: NOCS=1E-300\nEVO2: PO2=1E-300 K=1E-300 Q=1E-300\nDMSO: CONC=1E-300 FNSD=1E-300 CHMX=1E-300\n"
         "CELL: DNA=1E-300\nKESP: FBL=1E-300\n"
             + iron,
         {cellsLine(1), defaultSeedLine, "OXYGEN SIMULATION (M0=1.740, K=0.0000, q=0.00, r=2.15)",
          "  1.0000-300 % O2 concentration (=0.00 mmHg)", "  1.0000-300 DMSO concentration (mol dm^-3)",
          "  1.0000-300 fraction of non-scavengeable DNA damage (fnsd)",
          "  1.0000-300 concentration (mol dm^-3) at half-level (chmx)", " 1.0000-300     DNA content (Gbp)", noBl},
         ""},
        {"tinyB", "EVO2: MMHG=1E-300 M0=1E-300 R=1E-300\n" + iron,
         {"OXYGEN SIMULATION (M0=0.000, K=0.3372, q=946.10, r=0.00)", "  1.3158-301 % O2 concentration (=0.00 mmHg)"},
         ""},
        {"tinyNucleus", "CELL: NDIA=1E-300\n" + iron, {},
         "The nucleus diameter 1.00000-300 um (CELL: NDIA=) gives no finite microdosimetry"},
        // An energy that gives the ion no speed: the run falls back to a 1 MeV electron.
        {"tinyKineticEnergy", "SIMCON: NOCS=1\nRADX: PAR=56Fe KE=1E-300\n", {electron, electronAt1MeV}, ""},
        {"tinyEnergyPerNucleon", "RADX: PAR=56Fe MEV/A=1E-300\n", {electron, electronAt1MeV}, ""},
        // NOCS and SEED are replaced, PO2 clamped to 0, everything else ignored.
        {"negativeA",
         "SIMCON: NOCS=-5 SEED=-5\nEVO2: PO2=-5 K=-5 Q=-5\nDMSO: CONC=-5 FNSD=-5 CHMX=-5\nCELL: DNA=-5 NDIA=-5\n"
         "KESP: FBL=-5\n"
             + iron,
         {cellsLine(1), defaultSeedLine, defaultOxygen, "  0.0000E+00 % O2 concentration (=0.00 mmHg)", noDmso,
          defaultFnsd, defaultChmx, defaultDna, defaultNdia, noBl},
         ""},
        {"negativeB", "EVO2: MMHG=-5 M0=-5 R=-5\n" + iron,
         {defaultOxygen, "  0.0000E+00 % O2 concentration (=0.00 mmHg)"},
         ""},
        {"negativeKineticEnergy", "RADX: PAR=56Fe KE=-5\n", {electron, electronAt1MeV}, ""},
        {"negativeEnergyPerNucleon", "RADX: PAR=56Fe MEV/A=-5 KE=5600\n", {ironAt5600MeV}, ""},
    };
}

INSTANTIATE_TEST_SUITE_P(Values, KeywordValueTest, ::testing::ValuesIn(keywordCases()),
                         [](const ::testing::TestParamInfo<KeywordCase>& caseInfo) { return caseInfo.param.name; });

TEST(HostileInputTest, tinySeedAsksForAClockSeed)
{
    const HostileRun r = runInput("clockSeed", "SIMCON: SEED=1E-300\n" + cheapParticle);
    expectCompleteReport(r);
    EXPECT_FALSE(holdsLine(r.report, defaultSeedLine));
    EXPECT_TRUE(anyLineHolds(r.report, "     random number seed"));
}

// ---------------------------------------------------------------------------
// Field files.

struct FieldCase {
    std::string name;
    std::string contents;
    std::string stopMessage;        // empty: a complete report
    std::string reportLine;         // a line the complete report holds
};

void PrintTo(const FieldCase& c, std::ostream* out)
{
    *out << c.name;
}

class FieldFileRunTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldFileRunTest, endsWithAReportOrAClearStop)
{
    const FieldCase& c = GetParam();
    const HostileRun r = runInput("field-" + c.name, "SIMCON: NOCS=2\nRADX: FN=field.txt\n", {{"field.txt", c.contents}});
    if (!c.stopMessage.empty()) {
        expectStop(r, c.stopMessage);
        return;
    }
    expectCompleteReport(r);
    expectReportLines(r, {c.reportLine});
}

std::string manyComponents(int count)
{
    std::string contents = "title\n" + std::to_string(count) + "\n";
    for (int i = 0; i < count; ++i) {
        contents += "56Fe 5600 1\n";
    }
    return contents;
}

INSTANTIATE_TEST_SUITE_P(
    Files, FieldFileRunTest,
    ::testing::Values(
        FieldCase{"empty", "", "Field file field.txt ends before the number of components", ""},
        FieldCase{"endsEarly", "t\n3\n56Fe 5600 1\n12C 120\n", "Field file field.txt ends before component 2 is complete", ""},
        FieldCase{"tooMany", manyComponents(10001), "Field file field.txt holds 10001 components; at most 10000 are allowed", ""},
        FieldCase{"zeroWeights", "t\n2\n56Fe 5600 0\n40Ar 4000 0\n", "Field file field.txt: the weights add up to 0", ""},
        FieldCase{"negativeWeight", "t\n2\n56Fe 5600 1\n40Ar 4000 -1\n",
                  "Field file field.txt, component 2: weight -1 is negative", ""},
        // Simulated with the data of the ion before it until it was stopped.
        FieldCase{"unknownParticle", "t\n2\n56Fe 5600 1\nXyz 4000 1\n",
                  "Field file field.txt, component 2: the particle name \"Xyz\" is unknown", ""},
        FieldCase{"unknownFirstParticle", "t\n2\nXyz 4000 1\n56Fe 5600 1\n",
                  "Field file field.txt, component 1: the particle name \"Xyz\" is unknown", ""},
        // Names are cut to 5 characters: 4Helium is 4Heli, helium-4 all the
        // same (the row of the 40 MeV alpha example); Carbon is Carbo, no
        // particle at all.
        FieldCase{"longName", "t\n2\n4Helium 40 1\n40Ar 4000 1\n", "",
                  "4Heli  5.00E-01  4.000E+01  1.000E+01  1.894E+02  1.80E+01 0.00E+00 1.802E+01  1.243E-01  2.918E+01 1.49E-01 1.005"},
        FieldCase{"longUnknownName", "t\n2\n56Fe 5600 1\nCarbon 120 1\n",
                  "Field file field.txt, component 2: the particle name \"Carbo\" is unknown", ""}),
    [](const ::testing::TestParamInfo<FieldCase>& caseInfo) { return caseInfo.param.name; });

TEST(HostileInputTest, fieldFileThatIsNoFileIsSkipped)
{
    // A field file that cannot be read is skipped; the line's own particle is
    // used. /dev/zero would never end its title line.
    const fs::path dir = kesp::makeRunDirectory("kespHostile-fieldNotAFile");
    fs::create_directory(dir / "field.txt");
    for (const std::string name : {"field.txt", "/dev/zero"}) {
        std::ofstream(dir / "run.inp") << "RADX: FN=" + name + " PAR=56Fe KE=5600\n";
        const RunResult run = kesp::runProgram(dir, {"run.inp"}, runTimeLimitSeconds);
        const HostileRun r{run, kesp::readTextLines(dir / "run.out")};
        SCOPED_TRACE(name);
        expectCompleteReport(r);
        expectReportLines(r, {ironAt5600MeV});
    }
    fs::remove_all(dir);
}

TEST(HostileInputTest, fieldFileNamingTheInputFileStops)
{
    // Read as a field file, the input's second line is no component count.
    const HostileRun r = runInput("fieldSelf", "RADX: FN=run.inp\nSIMCON: NOCS=2\n");
    expectStop(r, "Field file run.inp: the number of components \"SIMCON:\" is not a whole number");
}

// ---------------------------------------------------------------------------
// The command line.

TEST(HostileInputTest, inputThatIsNoRegularFileStops)
{
    // A directory cannot be read; a pipe cannot be rewound for each block;
    // /dev/zero never ends its first line.
    const fs::path dir = kesp::makeRunDirectory("kespHostile-notRegular");
    fs::create_directory(dir / "run.inp");
    ASSERT_EQ(mkfifo((dir / "pipe.inp").c_str(), 0600), 0);
    for (const std::string name : {"run.inp", "pipe.inp", "/dev/zero"}) {
        const RunResult run = kesp::runProgram(dir, {name}, runTimeLimitSeconds);
        SCOPED_TRACE(name);
        EXPECT_FALSE(run.timedOut);
        expectStop({run, {}}, "Input file " + name + " is not a readable file");
    }
    EXPECT_FALSE(fs::exists(dir / "run.out"));
    EXPECT_FALSE(fs::exists(dir / "pipe.out"));
    fs::remove_all(dir);
}

TEST(HostileInputTest, inputNamedLikeItsReportIsKept)
{
    const std::string input = "SIMCON: NOCS=1\n" + cheapParticle;
    const fs::path dir = kesp::makeRunDirectory("kespHostile-inputIsReport");
    std::ofstream(dir / "run.out") << input;
    const RunResult run = kesp::runProgram(dir, {"run.out"}, runTimeLimitSeconds);
    expectStop({run, {}}, "Input file run.out would be replaced by the report of the same name");
    std::ifstream kept(dir / "run.out");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), input);
    fs::remove_all(dir);
}

TEST(HostileInputTest, fieldFileNamedLikeTheReportIsKept)
{
    const std::string field = "t\n2\n56Fe 5600 1\n20Ne 2000 1\n";
    const fs::path dir = kesp::makeRunDirectory("kespHostile-fieldIsReport");
    std::ofstream(dir / "run.inp") << "SIMCON: NOCS=2\nRADX: FN=run.out\n";
    std::ofstream(dir / "run.out") << field;
    const RunResult run = kesp::runProgram(dir, {"run.inp"}, runTimeLimitSeconds);
    expectStop({run, {}}, "Field file run.out would be replaced by the report of the same name");
    std::ifstream kept(dir / "run.out");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), field);
    fs::remove_all(dir);
}

TEST(HostileInputTest, overlongInputNameStops)
{
    // Cut to 500 characters, the name could name another file.
    const std::string name(600, 'a');
    const HostileRun r = runOn("longName", {}, {name}, name.substr(0, 500) + ".out");
    expectStop(r, "Input file name is longer than 500 characters: " + name);
}

TEST(HostileInputTest, switchesInAnyCaseAndPosition)
{
    const std::string input = "SIMCON: NOCS=1\nEVO2: PO2=0.5\n" + cheapParticle;
    const std::string neutralOxygen = "OXYGEN SIMULATION (M0=1.000, K=1.0000, q=1.00, r=1.00)";
    const std::string newMasses = "PARTICLE: 56Fe (mass = 5.59349E+01 u = 5.20898E+04 MeV/c^2)";
    const std::string oldMasses = "PARTICLE: 56Fe (mass = 5.59349E+01 u = 5.20754E+04 MeV/c^2)";
    struct Case {
        std::string tag;
        std::vector<std::string> switches;
        std::string oxygenLine;
        std::string massLine;
    };
    const std::vector<Case> cases = {
        {"NO2", {"/NO2"}, neutralOxygen, newMasses},
        {"No2Repeated", {"/No2", "/no2", "/NO2"}, neutralOxygen, newMasses},
        {"2006Last", {"/nq", "/unknown", "/2006"}, neutralOxygen, oldMasses},
        {"2006Repeated", {"/2006", "/2006", "/NO2"}, neutralOxygen, oldMasses},
        {"none", {}, "OXYGEN SIMULATION (M0=1.740, K=0.3372, q=946.10, r=2.15)", newMasses},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {"run.inp"};
        arguments.insert(arguments.end(), c.switches.begin(), c.switches.end());
        const HostileRun r = runOn("switch" + c.tag, {{"run.inp", input}}, arguments, "run.out");
        SCOPED_TRACE(c.tag);
        expectCompleteReport(r);
        expectReportLines(r, {c.oxygenLine, c.massLine});
    }
}

TEST(HostileInputTest, switchFirstIsTakenAsTheInputName)
{
    const HostileRun r = runOn("switchFirst", {{"run.inp", cheapParticle}}, {"/2006", "run.inp"}, "run.out");
    EXPECT_EQ(r.run.exitStatus, 1);  // a missing input file fails the run
    ASSERT_FALSE(r.run.console.empty());
    EXPECT_EQ(r.run.console.back(), "Input file /2006 is not found");
    EXPECT_TRUE(r.report.empty());
}

TEST(HostileInputTest, reportInAReadOnlyDirectoryFails)
{
    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only directories; the unwritable report is covered by "
                        "a directory in its place in the end-to-end tests";
    }
    const fs::path dir = kesp::makeRunDirectory("kespHostile-readOnly");
    std::ofstream(dir / "run.inp") << "SIMCON: NOCS=1\n" + cheapParticle;
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    const RunResult run = kesp::runProgram(dir, {"run.inp"}, runTimeLimitSeconds);
    fs::permissions(dir, fs::perms::owner_all);
    EXPECT_NE(run.exitStatus, 0);
    EXPECT_FALSE(holdsLine(run.console, "END KESP"));
    EXPECT_TRUE(anyLineHolds(run.errors, "Cannot create the report file run.out"));
    fs::remove_all(dir);
}

}  // namespace
