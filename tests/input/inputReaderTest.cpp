#include "kesp/input/inputReader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "kesp/engine/runState.h"
#include "input/scratchDirectory.h"
#include "kesp/support/runError.h"
#include "kesp/support/text.h"

namespace kesp {
namespace {

RunSettings read(const std::string& file, const RunSwitches& switches = {})
{
    std::istringstream input(file);
    return readInput(input, switches);
}

// The message of the RunError that `read` throws; empty when it throws none.
template <typename Read>
std::string stopMessage(Read read)
{
    try {
        static_cast<void>(read());
    } catch (const RunError& error) {
        return error.what();
    }
    return "";
}

TEST(InputReaderTest, emptyFileGivesTheDefaultsAndAOneMeVElectron)
{
    const RunSettings settings = read("");
    EXPECT_EQ(settings.cells, 1);
    EXPECT_EQ(settings.seed, 987654321);
    EXPECT_EQ(settings.oxygenPercent, 100.0);
    EXPECT_EQ(settings.oxygenModel.maximumEnhancement, 1.74);
    EXPECT_EQ(settings.oxygenModel.halfEffectOxygen, 0.3372);
    EXPECT_EQ(settings.oxygenModel.halfEffectZeb, 946.1);
    EXPECT_EQ(settings.oxygenModel.steepness, 2.15);
    EXPECT_EQ(settings.dmso.concentration, 0.0);
    EXPECT_EQ(settings.dmso.nonScavengeableFraction, 0.5);
    EXPECT_EQ(settings.dmso.halfLevelConcentration, 0.5);
    EXPECT_EQ(settings.dnaContent, 6.0);
    EXPECT_EQ(settings.nucleusDiameter, 5.0);
    EXPECT_EQ(settings.unrepairableBaseFraction, 0.0);
    EXPECT_EQ(settings.field.component(1).name, "e");
    EXPECT_EQ(settings.field.component(1).kineticEnergy, 1.0);
    EXPECT_TRUE(settings.field.singleParticle());
    // Settings built in code without an input file are the same.
    EXPECT_EQ(settings, RunSettings{});
    // A run of these settings starts with the electron and seeds its streams
    // from the seed.
    const RunState run(settings);
    EXPECT_EQ(run.particle.Z, -1);
    EXPECT_EQ(run.particle.T, 1.0);
    EXPECT_EQ(run.cells.streams.state(1), 987654321);
}

TEST(InputReaderTest, completeFileWithLfOrCrLfLineEnds)
{
    const std::string file =
        "Test run, 10 MeV protons, 21 percent oxygen\n"
        "RADX: PAR=p KE=10 ! single particle\n"
        "KESP: FBL=0.2\n"
        "CELL: DNA=3 NDIA=6\n"
        "DMSO: CONC=0.1 FNSD=0.4 CHMX=0.3\n"
        "EVO2: PO2=21\n"
        "SIMCON: NOCS=100 SEED=12345\n";
    std::string windows;
    for (const char c : file) {
        windows += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    for (const std::string& text : {file, windows}) {
        const RunSettings settings = read(text);
            EXPECT_EQ(settings.cells, 100);
        EXPECT_EQ(settings.seed, 12345);
        EXPECT_EQ(settings.oxygenPercent, 21.0);
        EXPECT_EQ(settings.dmso.concentration, 0.1);
        EXPECT_EQ(settings.dmso.halfLevelConcentration, 0.3);
        EXPECT_EQ(settings.nucleusDiameter, 6.0);
        EXPECT_EQ(settings.unrepairableBaseFraction, 0.2);
        EXPECT_EQ(settings.field.component(1).name, "p");
        EXPECT_EQ(settings.field.component(1).kineticEnergy, 10.0);
        const RunState run(settings);
        EXPECT_EQ(run.particle.Z, 1);
        EXPECT_EQ(run.particle.T, 10.0);
        EXPECT_EQ(run.cells.streams.state(100), 12345);
    }
}

TEST(InputReaderTest, zeroSeedIsReplacedByAClockSeedUsedForTheStreams)
{
    const RunSettings settings = read("SIMCON: SEED=0\n");
    EXPECT_EQ(settings.seed, 0);  // replaced when the run starts
    const RunState run(settings);
    EXPECT_GT(run.seed, 0);
    EXPECT_EQ(run.cells.streams.state(1), run.seed);
}

TEST(InputReaderTest, withoutOxygenEffectTheOxygenBlockIsNotRead)
{
    RunSwitches switches;
    switches.oxygenEffect = false;
    const RunSettings settings = read("EVO2: PO2=21 M0=2 K=0.5 Q=100 R=3\n", switches);
    EXPECT_EQ(settings.oxygenPercent, 100.0);
    EXPECT_EQ(settings.oxygenModel.maximumEnhancement, 1.0);
    EXPECT_EQ(settings.oxygenModel.halfEffectOxygen, 1.0);
    EXPECT_EQ(settings.oxygenModel.halfEffectZeb, 1.0);
    EXPECT_EQ(settings.oxygenModel.steepness, 1.0);
    EXPECT_FALSE(settings.oxygenModel.enabled);
}

TEST(InputReaderTest, onlyTheRadiationKeyMayBeLowerCase)
{
    const RunSettings settings = read("simcon: NOCS=5\nradx: par=4he ke=100\n");
    EXPECT_EQ(settings.cells, 1);
    EXPECT_EQ(settings.field.component(1).name, "4He");
    EXPECT_EQ(settings.field.component(1).kineticEnergy, 100.0);
    EXPECT_EQ(RunState(settings).particle.A, 4);
}

TEST(InputReaderTest, unusableParticleFallsBackToAOneMeVElectron)
{
    struct Case {
        std::string file;
        bool oxygenEffect;
        const char* name;
        double kineticEnergy;
        std::int32_t Z;
    };
    const Case cases[] = {
        // MEV/A= without PAR=: the electron's mass number 0 makes the energy
        // 0, which the particle set-up refuses.
        {"RADX: MEV/A=10\n", true, "e", 1.0, -1},
        {"RADX: PAR=Xq KE=5\n", true, "e", 1.0, -1},
        {"RADX: PAR=p KE=-3\n", true, "e", 1.0, -1},
        // A proton of 1 keV is below the validity limit of its effective
        // charge (about 10 keV), which counts only without the oxygen model.
        {"RADX: PAR=p KE=0.001\n", false, "e", 1.0, -1},
        {"RADX: PAR=p KE=0.001\n", true, "p", 0.001, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file + (c.oxygenEffect ? "with" : "without") + " the oxygen model");
        RunSwitches switches;
        switches.oxygenEffect = c.oxygenEffect;
        const RunSettings settings = read(c.file, switches);
        EXPECT_EQ(settings.field.component(1).name, c.name);
        EXPECT_EQ(settings.field.component(1).kineticEnergy, c.kineticEnergy);
        const RunState run(settings);
        EXPECT_EQ(run.particle.Z, c.Z);
        EXPECT_EQ(run.particle.T, c.kineticEnergy);
    }
}

TEST(InputReaderTest, inputThatCannotBeRewoundIsNotRead)
{
    std::istream input(nullptr);
    EXPECT_EQ(stopMessage([&] { return readInput(input); }),
              "The input cannot be read from its start; give a regular file.");
}

TEST(InputReaderTest, namedFileIsReadWithTheSwitches)
{
    ScratchDirectory scratch;
    const std::string file = scratch.write("run.inp", "SIMCON: NOCS=7\nEVO2: PO2=21\nRADX: PAR=p KE=10\n");
    RunSwitches switches;
    switches.oxygenEffect = false;
    const RunSettings settings = readInputFile(file, switches);
    EXPECT_FALSE(settings.oxygenModel.enabled);
    EXPECT_EQ(settings.cells, 7);
    EXPECT_EQ(settings.oxygenPercent, 100.0);  // the switch reached the reader
    EXPECT_EQ(settings.field.component(1).kineticEnergy, 10.0);
}

TEST(InputReaderTest, missingInputFileStopsTheRunNamingIt)
{
    ScratchDirectory scratch;
    for (const std::string& name : {scratch.name("missing.inp"), scratch.name("")}) {
        EXPECT_EQ(stopMessage([&] { return readInputFile(name); }),
                  "Input file " + name + " is not a readable file")
            << name;
    }
}

// Each input item reaches the setting that names it, and no other: the
// settings read from one item equal the defaults with that one member set.
TEST(InputReaderTest, eachItemSetsTheSettingNamedForIt)
{
    struct Case {
        std::string line;
        void (*set)(RunSettings& settings);
    };
    const Case cases[] = {
        {"SIMCON: NOCS=7", [](RunSettings& s) { s.cells = 7; }},
        {"SIMCON: SEED=5", [](RunSettings& s) { s.seed = 5; }},
        {"EVO2: PO2=21", [](RunSettings& s) { s.oxygenPercent = 21.0; }},
        {"EVO2: MMHG=76", [](RunSettings& s) { s.oxygenPercent = 10.0; }},
        {"EVO2: M0=2", [](RunSettings& s) { s.oxygenModel.maximumEnhancement = 2.0; }},
        {"EVO2: K=0.5", [](RunSettings& s) { s.oxygenModel.halfEffectOxygen = 0.5; }},
        {"EVO2: Q=100", [](RunSettings& s) { s.oxygenModel.halfEffectZeb = 100.0; }},
        {"EVO2: R=3", [](RunSettings& s) { s.oxygenModel.steepness = 3.0; }},
        {"DMSO: CONC=0.1", [](RunSettings& s) { s.dmso.concentration = 0.1; }},
        {"DMSO: FNSD=0.25", [](RunSettings& s) { s.dmso.nonScavengeableFraction = 0.25; }},
        {"DMSO: CHMX=0.3", [](RunSettings& s) { s.dmso.halfLevelConcentration = 0.3; }},
        {"CELL: DNA=12", [](RunSettings& s) { s.dnaContent = 12.0; }},
        {"CELL: NDIA=7", [](RunSettings& s) { s.nucleusDiameter = 7.0; }},
        {"KESP: FBL=0.2", [](RunSettings& s) { s.unrepairableBaseFraction = 0.2; }},
    };
    for (const Case& c : cases) {
        RunSettings expected;
        c.set(expected);
        EXPECT_EQ(read(c.line + "\n"), expected) << c.line;
    }
    struct SwitchCase {
        std::string_view word;
        void (*set)(RunSettings& settings);
    };
    const SwitchCase switchCases[] = {
        {"/nq", [](RunSettings& s) { s.oxygenModel.zebDependent = false; }},
        {"/strict", [](RunSettings&) {}},  // a matter of the program, not of the run
    };
    for (const SwitchCase& c : switchCases) {
        RunSwitches switches;
        ASSERT_TRUE(applySwitchWord(c.word, switches));
        RunSettings expected;
        c.set(expected);
        EXPECT_EQ(read("", switches), expected) << c.word;
    }
    // "/2006": the older masses, and an oxygen model that changes nothing.
    RunSwitches older;
    ASSERT_TRUE(applySwitchWord("/2006", older));
    const RunSettings settings = read("EVO2: PO2=21 M0=2\n", older);
    EXPECT_TRUE(settings.masses2006);
    EXPECT_FALSE(settings.oxygenModel.enabled);
    EXPECT_FALSE(settings.oxygenModel.zebDependent);
    EXPECT_EQ(settings.oxygenPercent, 100.0);
    EXPECT_EQ(settings.oxygenModel.maximumEnhancement, 1.0);
}

}  // namespace
}  // namespace kesp
