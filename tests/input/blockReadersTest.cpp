#include "kesp/input/blockReaders.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "kesp/input/runSettings.h"

namespace kesp {
namespace {

struct SimconCase {
    std::string file;
    std::int32_t nocs;
    std::int32_t seed;
    BlockStatus status;
};

TEST(BlockReadersTest, simconItemsAndTheirChecks)
{
    const std::vector<SimconCase> cases = {
        {"", 1, 987654321, BlockStatus::absent},
        {"SIMCON: NOCS=500, SEED=12345 ! five hundred cells\n", 500, 12345, BlockStatus::read},
        {"  SIMCON:    NOCS=3\n", 3, 987654321, BlockStatus::read},
        {"simcon: NOCS=5\n", 1, 987654321, BlockStatus::absent},        // the key is case-sensitive
        {"SIMCON : NOCS=5\n", 1, 987654321, BlockStatus::absent},       // no blank before the colon
        {"SIMCON: NOCS = 5\n", 1, 987654321, BlockStatus::read},        // blanks around "=" split the item
        {"SIMCON: NOCS=5,SEED=7\n", 5, 7, BlockStatus::read},
        {"SIMCON: ,, NOCS=5;SEED=7 \n", 5, 7, BlockStatus::read},
        {"SIMCON: nocs=5 Seed=7\n", 5, 7, BlockStatus::read},           // keywords in any case
        {"SIMCON: NOCS=5 NOCS=9\n", 9, 987654321, BlockStatus::read},   // the later item wins
        {"SIMCON: NOCS=2.5\n", 3, 987654321, BlockStatus::read},        // halves away from zero
        {"SIMCON: NOCS=-2.5\n", 1, 987654321, BlockStatus::cellCountReplaced},
        {"SIMCON: NOCS=0\n", 1, 987654321, BlockStatus::cellCountReplaced},
        {"SIMCON: SEED=-1\n", 1, 987654321, BlockStatus::seedReplaced},
        {"SIMCON: SEED=-1 NOCS=0\n", 1, 987654321, BlockStatus::cellCountReplaced},  // 3 takes precedence
        {"SIMCON: SEED=0\n", 1, 0, BlockStatus::read},                  // the clock seed comes later
        {"SIMCON: NOCS=1E10\n", 1, 987654321, BlockStatus::cellCountReplaced},  // out of range: -2147483648
        {"SIMCON: NOCS='12'\n", 12, 987654321, BlockStatus::read},
        {"SIMCON: NOCS=(12)\n", 12, 987654321, BlockStatus::read},
        {"SIMCON: NOCS=[1]2<>\n", 12, 987654321, BlockStatus::read},
        {"SIMCON: NOCS=1.5D1\n", 15, 987654321, BlockStatus::read},
        {"SIMCON: NOCS=12A SEED=\n", 1, 987654321, BlockStatus::read},  // not numbers: unchanged
        {"SIMCON: NOCS=NaN SEED=Inf\n", 1, 987654321, BlockStatus::read},
        {"SIMCON: NOCS=1E999\n", 1, 987654321, BlockStatus::read},
        {"SIMCON: NOCS=\t5\n", 5, 987654321, BlockStatus::read},        // a tab after "=" is squeezed out
        {"SIMCON: \tNOCS=5\n", 1, 987654321, BlockStatus::read},        // a tab before the keyword is not
        {"SIMCON: NCELLS=5 =5 NOCS\n", 1, 987654321, BlockStatus::read},
        {"NOCS=5 SIMCON: SEED=3\n", 1, 3, BlockStatus::read},           // the first token is never an item
        // The first line holding the key wins, even when it is a comment.
        {"! SIMCON: NOCS=5\nSIMCON: NOCS=7\n", 1, 987654321, BlockStatus::read},
        {"SIMCON: NOCS=5\nSIMCON: NOCS=7\n", 5, 987654321, BlockStatus::read},
        {"SIMCON: NOCS=5 ! SEED=3\n", 5, 987654321, BlockStatus::read},
        // Windows line ends read like plain ones.
        {"title\r\nSIMCON: NOCS=5 SEED=77\r\n", 5, 77, BlockStatus::read},
        // Columns beyond 240 are never seen.
        {"SIMCON:" + std::string(226, ' ') + "NOCS=34 NOCS=9\n", 34, 987654321, BlockStatus::read},
        {"SIMCON:" + std::string(227, ' ') + "NOCS=34\n", 3, 987654321, BlockStatus::read},  // cut to NOCS=3
    };
    for (const SimconCase& c : cases) {
        RunSettings config;
        config.cells = 42;  // the defaults are set by the reader itself
        config.seed = 43;
        std::istringstream input(c.file);
        EXPECT_EQ(readSimconBlock(input, config), c.status) << c.file;
        EXPECT_EQ(config.cells, c.nocs) << c.file;
        EXPECT_EQ(config.seed, c.seed) << c.file;
    }
}

struct OxygenCase {
    std::string line;
    double po2;
    double m0;
    double k;
    double q;
    double r;
};

TEST(BlockReadersTest, evo2ClampsAndIgnoresOutOfRangeValues)
{
    const RunSettings d;
    const std::vector<OxygenCase> cases = {
        {"", d.oxygenPercent, d.oxygenModel.maximumEnhancement, d.oxygenModel.halfEffectOxygen, d.oxygenModel.halfEffectZeb, d.oxygenModel.steepness},
        {"EVO2: PO2=21 M0=2 K=0.5 Q=100 R=3", 21.0, 2.0, 0.5, 100.0, 3.0},
        {"EVO2: PO2=150", 100.0, d.oxygenModel.maximumEnhancement, d.oxygenModel.halfEffectOxygen, d.oxygenModel.halfEffectZeb, d.oxygenModel.steepness},
        {"EVO2: PO2=-3", 0.0, d.oxygenModel.maximumEnhancement, d.oxygenModel.halfEffectOxygen, d.oxygenModel.halfEffectZeb, d.oxygenModel.steepness},
        {"EVO2: MMHG=760", 100.0, d.oxygenModel.maximumEnhancement, d.oxygenModel.halfEffectOxygen, d.oxygenModel.halfEffectZeb, d.oxygenModel.steepness},
        {"EVO2: MMHG=38", 5.0, d.oxygenModel.maximumEnhancement, d.oxygenModel.halfEffectOxygen, d.oxygenModel.halfEffectZeb, d.oxygenModel.steepness},  // 38 x 100 / 760
        {"EVO2: PO2=21 MMHG=38", 5.0, d.oxygenModel.maximumEnhancement, d.oxygenModel.halfEffectOxygen, d.oxygenModel.halfEffectZeb, d.oxygenModel.steepness},
        {"EVO2: MMHG=38 PO2=21", 21.0, d.oxygenModel.maximumEnhancement, d.oxygenModel.halfEffectOxygen, d.oxygenModel.halfEffectZeb, d.oxygenModel.steepness},
        {"EVO2: K=500", d.oxygenPercent, d.oxygenModel.maximumEnhancement, 100.0, d.oxygenModel.halfEffectZeb, d.oxygenModel.steepness},
        {"EVO2: K=1E-300", d.oxygenPercent, d.oxygenModel.maximumEnhancement, smallestK, d.oxygenModel.halfEffectZeb, d.oxygenModel.steepness},
        {"EVO2: K=0 M0=0 Q=-1 R=0", d.oxygenPercent, d.oxygenModel.maximumEnhancement, d.oxygenModel.halfEffectOxygen, d.oxygenModel.halfEffectZeb, d.oxygenModel.steepness},
        {"EVO2: K=-1 M0=-2 Q=0 R=-5", d.oxygenPercent, d.oxygenModel.maximumEnhancement, d.oxygenModel.halfEffectOxygen, d.oxygenModel.halfEffectZeb, d.oxygenModel.steepness},
        {"EVO2: PO2=NaN K=Inf", d.oxygenPercent, d.oxygenModel.maximumEnhancement, d.oxygenModel.halfEffectOxygen, d.oxygenModel.halfEffectZeb, d.oxygenModel.steepness},
    };
    for (const OxygenCase& c : cases) {
        RunSettings config;
        config.oxygenPercent = config.oxygenModel.maximumEnhancement = config.oxygenModel.halfEffectOxygen = config.oxygenModel.halfEffectZeb = config.oxygenModel.steepness = -7.0;
        std::istringstream input(c.line);
        EXPECT_EQ(readEvo2Block(input, config), c.line.empty() ? BlockStatus::absent : BlockStatus::read)
            << c.line;
        EXPECT_EQ(config.oxygenPercent, c.po2) << c.line;
        EXPECT_EQ(config.oxygenModel.maximumEnhancement, c.m0) << c.line;
        EXPECT_EQ(config.oxygenModel.halfEffectOxygen, c.k) << c.line;
        EXPECT_EQ(config.oxygenModel.halfEffectZeb, c.q) << c.line;
        EXPECT_EQ(config.oxygenModel.steepness, c.r) << c.line;
    }
}

struct FractionCase {
    std::string line;
    double conc;
    double fnsd;
    double chmx;
};

TEST(BlockReadersTest, dmsoAcceptsOnlyPositiveConcentrationsAndFractions)
{
    const std::vector<FractionCase> cases = {
        {"DMSO: CONC=0.1 FNSD=0.4 CHMX=0.3", 0.1, 0.4, 0.3},
        {"DMSO: CONC=0 FNSD=1 CHMX=0", 0.0, 1.0, 0.0},
        {"DMSO: CONC=-1 FNSD=1.01 CHMX=-0.1", 0.0, 0.5, 0.5},
    };
    for (const FractionCase& c : cases) {
        RunSettings config;
        config.dmso.concentration = config.dmso.nonScavengeableFraction = config.dmso.halfLevelConcentration = -7.0;
        std::istringstream input(c.line);
        EXPECT_EQ(readDmsoBlock(input, config), BlockStatus::read);
        EXPECT_EQ(config.dmso.concentration, c.conc) << c.line;
        EXPECT_EQ(config.dmso.nonScavengeableFraction, c.fnsd) << c.line;
        EXPECT_EQ(config.dmso.halfLevelConcentration, c.chmx) << c.line;
    }
}

TEST(BlockReadersTest, cellAndKespBlocks)
{
    RunSettings config;
    std::istringstream input("free text\nKESP: FBL=0.25\nCELL: DNA=3 NDIA=8.5\n");
    EXPECT_EQ(readCellBlock(input, config), BlockStatus::read);
    EXPECT_EQ(readKespBlock(input, config), BlockStatus::read);  // each reader rewinds by itself
    EXPECT_EQ(config.dnaContent, 3.0);
    EXPECT_EQ(config.nucleusDiameter, 8.5);
    EXPECT_EQ(config.unrepairableBaseFraction, 0.25);

    // Values out of range leave the defaults, not what the configuration held.
    std::istringstream invalid("CELL: DNA=0 NDIA=-5\nKESP: FBL=1.5\n");
    EXPECT_EQ(readCellBlock(invalid, config), BlockStatus::read);
    EXPECT_EQ(readKespBlock(invalid, config), BlockStatus::read);
    EXPECT_EQ(config.dnaContent, 6.0);
    EXPECT_EQ(config.nucleusDiameter, 5.0);
    EXPECT_EQ(config.unrepairableBaseFraction, 0.0);

    std::istringstream absent("DMSO: CONC=1\n");
    EXPECT_EQ(readCellBlock(absent, config), BlockStatus::absent);
    EXPECT_EQ(readKespBlock(absent, config), BlockStatus::absent);
}


TEST(BlockReadersTest, eachReaderWritesOnlyItsOwnBlocksFields)
{
    const std::string file =
        "SIMCON: NOCS=5 SEED=7\n"
        "EVO2: PO2=21 M0=2 K=0.5 Q=100 R=3\n"
        "DMSO: CONC=0.1 FNSD=0.4 CHMX=0.3\n"
        "CELL: DNA=3 NDIA=8.5\n"
        "KESP: FBL=0.25\n";
    // No field holds its default or a value of the file.
    RunSettings unusual;
    unusual.cells = 42;
    unusual.seed = 43;
    unusual.oxygenPercent = 44.0;
    unusual.oxygenModel.maximumEnhancement = 45.0;
    unusual.oxygenModel.halfEffectOxygen = 46.0;
    unusual.oxygenModel.halfEffectZeb = 47.0;
    unusual.oxygenModel.steepness = 48.0;
    unusual.dmso.concentration = 49.0;
    unusual.dmso.nonScavengeableFraction = 0.75;
    unusual.dmso.halfLevelConcentration = 51.0;
    unusual.dnaContent = 52.0;
    unusual.nucleusDiameter = 53.0;
    unusual.unrepairableBaseFraction = 0.875;

    using Reader = BlockStatus (*)(std::istream&, RunSettings&, InputDiagnostics*);
    using TakeFields = void (*)(RunSettings& to, const RunSettings& from);
    struct Case {
        const char* block;
        Reader read;
        TakeFields takeOwnFields;
    };
    const Case cases[] = {
        {"SIMCON", readSimconBlock,
         [](RunSettings& to, const RunSettings& from) {
             to.cells = from.cells;
             to.seed = from.seed;
         }},
        {"EVO2", readEvo2Block,
         [](RunSettings& to, const RunSettings& from) {
             to.oxygenPercent = from.oxygenPercent;
             to.oxygenModel.maximumEnhancement = from.oxygenModel.maximumEnhancement;
             to.oxygenModel.halfEffectOxygen = from.oxygenModel.halfEffectOxygen;
             to.oxygenModel.halfEffectZeb = from.oxygenModel.halfEffectZeb;
             to.oxygenModel.steepness = from.oxygenModel.steepness;
         }},
        {"DMSO", readDmsoBlock,
         [](RunSettings& to, const RunSettings& from) {
             to.dmso.concentration = from.dmso.concentration;
             to.dmso.nonScavengeableFraction = from.dmso.nonScavengeableFraction;
             to.dmso.halfLevelConcentration = from.dmso.halfLevelConcentration;
         }},
        {"CELL", readCellBlock,
         [](RunSettings& to, const RunSettings& from) {
             to.dnaContent = from.dnaContent;
             to.nucleusDiameter = from.nucleusDiameter;
         }},
        {"KESP", readKespBlock, [](RunSettings& to, const RunSettings& from) { to.unrepairableBaseFraction = from.unrepairableBaseFraction; }},
    };
    // What the file gives when every block is read.
    RunSettings complete;
    std::istringstream input(file);
    for (const Case& c : cases) {
        EXPECT_EQ(c.read(input, complete, nullptr), BlockStatus::read) << c.block;
    }
    for (const Case& c : cases) {
        RunSettings config = unusual;
        EXPECT_EQ(c.read(input, config, nullptr), BlockStatus::read) << c.block;
        RunSettings expected = unusual;
        c.takeOwnFields(expected, complete);
        EXPECT_EQ(config, expected) << c.block;
    }
}

}  // namespace
}  // namespace kesp
