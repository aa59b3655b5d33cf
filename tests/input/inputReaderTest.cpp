#include "input/inputReader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "engine/runState.h"
#include "input/scratchDirectory.h"
#include "support/runError.h"
#include "support/text.h"

namespace kesp {
namespace {

RunSettings read(const std::string& file, const RunOptions& options = {})
{
    std::istringstream input(file);
    return readInput(input, options);
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
    const RunConfig& config = settings.config;
    EXPECT_EQ(config.nocs, 1);
    EXPECT_EQ(config.seed, 987654321);
    EXPECT_EQ(config.po2, 100.0);
    EXPECT_EQ(config.m0, 1.74);
    EXPECT_EQ(config.k, 0.3372);
    EXPECT_EQ(config.q, 946.1);
    EXPECT_EQ(config.r, 2.15);
    EXPECT_EQ(config.conc, 0.0);
    EXPECT_EQ(config.fnsd, 0.5);
    EXPECT_EQ(config.chmx, 0.5);
    EXPECT_EQ(config.dna, 6.0);
    EXPECT_EQ(config.ndia, 5.0);
    EXPECT_EQ(config.fbl, 0.0);
    EXPECT_EQ(settings.field.component(1).name, makeField("e", particleNameLength));
    EXPECT_EQ(settings.field.component(1).kineticEnergy, 1.0);
    EXPECT_TRUE(settings.field.singleParticle());
    EXPECT_EQ(settings.options, RunOptions{});
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
        const RunConfig& config = settings.config;
        EXPECT_EQ(config.nocs, 100);
        EXPECT_EQ(config.seed, 12345);
        EXPECT_EQ(config.po2, 21.0);
        EXPECT_EQ(config.conc, 0.1);
        EXPECT_EQ(config.chmx, 0.3);
        EXPECT_EQ(config.ndia, 6.0);
        EXPECT_EQ(config.fbl, 0.2);
        EXPECT_EQ(settings.field.component(1).name, makeField("p", particleNameLength));
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
    EXPECT_EQ(settings.config.seed, 0);  // replaced when the run starts
    const RunState run(settings);
    EXPECT_GT(run.seed, 0);
    EXPECT_EQ(run.cells.streams.state(1), run.seed);
}

TEST(InputReaderTest, withoutOxygenEffectTheOxygenBlockIsNotRead)
{
    RunOptions options;
    options.oxygenEffect = false;
    const RunSettings settings = read("EVO2: PO2=21 M0=2 K=0.5 Q=100 R=3\n", options);
    EXPECT_EQ(settings.config.po2, 100.0);
    EXPECT_EQ(settings.config.m0, 1.0);
    EXPECT_EQ(settings.config.k, 1.0);
    EXPECT_EQ(settings.config.q, 1.0);
    EXPECT_EQ(settings.config.r, 1.0);
    EXPECT_EQ(settings.options, options);
}

TEST(InputReaderTest, onlyTheRadiationKeyMayBeLowerCase)
{
    const RunSettings settings = read("simcon: NOCS=5\nradx: par=4he ke=100\n");
    EXPECT_EQ(settings.config.nocs, 1);
    EXPECT_EQ(settings.field.component(1).name, makeField("4He", particleNameLength));
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
        RunOptions options;
        options.oxygenEffect = c.oxygenEffect;
        const RunSettings settings = read(c.file, options);
        EXPECT_EQ(settings.field.component(1).name, makeField(c.name, particleNameLength));
        EXPECT_EQ(settings.field.component(1).kineticEnergy, c.kineticEnergy);
        const RunState run(settings);
        EXPECT_EQ(run.particle.Z, c.Z);
        EXPECT_EQ(run.particle.T, c.kineticEnergy);
    }
}

TEST(InputReaderTest, inputThatCannotBeRewoundIsNotRead)
{
    std::istream input(nullptr);
    EXPECT_EQ(stopMessage([&] { return readInput(input, RunOptions{}); }),
              "The input cannot be read from its start; give a regular file.");
}

TEST(InputReaderTest, inputFileNameGoesIntoTheOptions)
{
    ScratchDirectory scratch;
    const std::string file = scratch.write("run.inp", "SIMCON: NOCS=7\nEVO2: PO2=21\nRADX: PAR=p KE=10\n");
    RunOptions options;
    options.reportFileName = makeField("run.out", fileNameLength);
    options.oxygenEffect = false;
    const RunSettings settings = readInputFile(file, options);
    EXPECT_EQ(settings.options.inputFileName, makeField(file, fileNameLength));
    EXPECT_EQ(settings.options.reportFileName, options.reportFileName);
    EXPECT_FALSE(settings.options.oxygenEffect);
    EXPECT_EQ(settings.config.nocs, 7);
    EXPECT_EQ(settings.config.po2, 100.0);  // the switch reached the reader
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

}  // namespace
}  // namespace kesp
