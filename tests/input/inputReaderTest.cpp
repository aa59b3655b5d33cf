#include "input/inputReader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "damage/damageYields.h"
#include "driver/commandLine.h"
#include "input/radiationField.h"
#include "input/runConfig.h"
#include "physics/particleState.h"
#include "support/randomStream.h"
#include "support/text.h"

namespace kesp {
namespace {

class InputReaderTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        resetRunConfig();
        resetRunOptions();
        resetRadiationField();
        resetParticleState();
        resetDamageYields();
    }

    static std::int32_t read(const std::string& file)
    {
        std::istringstream input(file);
        return readInput(input);
    }

    static const FieldComponent& first() { return radiationField().components[1]; }
};

TEST_F(InputReaderTest, emptyFileGivesTheDefaultsAndAOneMeVElectron)
{
    runConfig().nocs = 9;
    runConfig().dna = 9.0;
    EXPECT_EQ(read(""), 0);
    const RunConfig& config = runConfig();
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
    EXPECT_EQ(first().name, makeField("e", particleNameLength));
    EXPECT_EQ(first().kineticEnergy, 1.0);
    EXPECT_TRUE(radiationField().singleParticle);
    EXPECT_EQ(particleState().Z, -1);
    EXPECT_EQ(particleState().T, 1.0);
    EXPECT_EQ(streamState(1), 987654321);
}

TEST_F(InputReaderTest, completeFileWithLfOrCrLfLineEnds)
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
        EXPECT_EQ(read(text), 0);
        const RunConfig& config = runConfig();
        EXPECT_EQ(config.nocs, 100);
        EXPECT_EQ(config.seed, 12345);
        EXPECT_EQ(config.po2, 21.0);
        EXPECT_EQ(config.conc, 0.1);
        EXPECT_EQ(config.chmx, 0.3);
        EXPECT_EQ(config.ndia, 6.0);
        EXPECT_EQ(config.fbl, 0.2);
        EXPECT_EQ(first().name, makeField("p", particleNameLength));
        EXPECT_EQ(first().kineticEnergy, 10.0);
        EXPECT_EQ(particleState().Z, 1);
        EXPECT_EQ(particleState().T, 10.0);
        EXPECT_EQ(streamState(100), 12345);
    }
}

TEST_F(InputReaderTest, zeroSeedIsReplacedByAClockSeedUsedForTheStreams)
{
    EXPECT_EQ(read("SIMCON: SEED=0\n"), 0);
    EXPECT_GT(runConfig().seed, 0);
    EXPECT_EQ(streamState(1), runConfig().seed);
}

TEST_F(InputReaderTest, withoutOxygenEffectTheOxygenBlockIsNotRead)
{
    runOptions().oxygenEffect = false;
    EXPECT_EQ(read("EVO2: PO2=21 M0=2 K=0.5 Q=100 R=3\n"), 0);
    EXPECT_EQ(runConfig().po2, 100.0);
    EXPECT_EQ(runConfig().m0, 1.0);
    EXPECT_EQ(runConfig().k, 1.0);
    EXPECT_EQ(runConfig().q, 1.0);
    EXPECT_EQ(runConfig().r, 1.0);
}

TEST_F(InputReaderTest, onlyTheRadiationKeyMayBeLowerCase)
{
    EXPECT_EQ(read("simcon: NOCS=5\nradx: par=4he ke=100\n"), 0);
    EXPECT_EQ(runConfig().nocs, 1);
    EXPECT_EQ(first().name, makeField("4He", particleNameLength));
    EXPECT_EQ(first().kineticEnergy, 100.0);
    EXPECT_EQ(particleState().A, 4);
}

TEST_F(InputReaderTest, unusableParticleFallsBackToAOneMeVElectron)
{
    // MEV/A= without PAR=: the electron's mass number 0 makes the energy 0,
    // which the particle set-up refuses.
    for (const std::string file : {"RADX: MEV/A=10\n", "RADX: PAR=Xq KE=5\n", "RADX: PAR=p KE=-3\n"}) {
        EXPECT_EQ(read(file), 0);
        EXPECT_EQ(first().name, makeField("e", particleNameLength)) << file;
        EXPECT_EQ(first().kineticEnergy, 1.0) << file;
        EXPECT_EQ(particleState().Z, -1) << file;
        EXPECT_EQ(particleState().T, 1.0) << file;
    }
}

TEST_F(InputReaderTest, inputThatCannotBeRewoundIsNotRead)
{
    std::istream input(nullptr);
    runConfig().nocs = 42;
    EXPECT_EQ(readInput(input), -1);
    EXPECT_EQ(runConfig().nocs, 42);
}

}  // namespace
}  // namespace kesp
