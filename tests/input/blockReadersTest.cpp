#include "input/blockReaders.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "input/runConfig.h"

namespace kesp {
namespace {

class BlockReadersTest : public ::testing::Test {
protected:
    void TearDown() override { resetRunConfig(); }
};

struct SimconCase {
    std::string file;
    std::int32_t nocs;
    std::int32_t seed;
    BlockStatus status;
};

TEST_F(BlockReadersTest, simconItemsAndTheirChecks)
{
    const std::vector<SimconCase> cases = {
        {"", 1, 987654321, blockAbsent},
        {"SIMCON: NOCS=500, SEED=12345 ! five hundred cells\n", 500, 12345, blockRead},
        {"  SIMCON:    NOCS=3\n", 3, 987654321, blockRead},
        {"simcon: NOCS=5\n", 1, 987654321, blockAbsent},        // the key is case-sensitive
        {"SIMCON : NOCS=5\n", 1, 987654321, blockAbsent},       // no blank before the colon
        {"SIMCON: NOCS = 5\n", 1, 987654321, blockRead},        // blanks around "=" split the item
        {"SIMCON: NOCS=5,SEED=7\n", 5, 7, blockRead},
        {"SIMCON: ,, NOCS=5;SEED=7 \n", 5, 7, blockRead},
        {"SIMCON: nocs=5 Seed=7\n", 5, 7, blockRead},           // keywords in any case
        {"SIMCON: NOCS=5 NOCS=9\n", 9, 987654321, blockRead},   // the later item wins
        {"SIMCON: NOCS=2.5\n", 3, 987654321, blockRead},        // halves away from zero
        {"SIMCON: NOCS=-2.5\n", 1, 987654321, cellCountReplaced},
        {"SIMCON: NOCS=0\n", 1, 987654321, cellCountReplaced},
        {"SIMCON: SEED=-1\n", 1, 987654321, seedReplaced},
        {"SIMCON: SEED=-1 NOCS=0\n", 1, 987654321, cellCountReplaced},  // 3 takes precedence
        {"SIMCON: SEED=0\n", 1, 0, blockRead},                  // the clock seed comes later
        {"SIMCON: NOCS=1E10\n", 1, 987654321, cellCountReplaced},  // out of range: -2147483648
        {"SIMCON: NOCS='12'\n", 12, 987654321, blockRead},
        {"SIMCON: NOCS=(12)\n", 12, 987654321, blockRead},
        {"SIMCON: NOCS=[1]2<>\n", 12, 987654321, blockRead},
        {"SIMCON: NOCS=1.5D1\n", 15, 987654321, blockRead},
        {"SIMCON: NOCS=12A SEED=\n", 1, 987654321, blockRead},  // not numbers: unchanged
        {"SIMCON: NOCS=NaN SEED=Inf\n", 1, 987654321, blockRead},
        {"SIMCON: NOCS=1E999\n", 1, 987654321, blockRead},
        {"SIMCON: NOCS=\t5\n", 5, 987654321, blockRead},        // a tab after "=" is squeezed out
        {"SIMCON: \tNOCS=5\n", 1, 987654321, blockRead},        // a tab before the keyword is not
        {"SIMCON: NCELLS=5 =5 NOCS\n", 1, 987654321, blockRead},
        {"NOCS=5 SIMCON: SEED=3\n", 1, 3, blockRead},           // the first token is never an item
        // The first line holding the key wins, even when it is a comment.
        {"! SIMCON: NOCS=5\nSIMCON: NOCS=7\n", 1, 987654321, blockRead},
        {"SIMCON: NOCS=5\nSIMCON: NOCS=7\n", 5, 987654321, blockRead},
        {"SIMCON: NOCS=5 ! SEED=3\n", 5, 987654321, blockRead},
        // Windows line ends read like plain ones.
        {"title\r\nSIMCON: NOCS=5 SEED=77\r\n", 5, 77, blockRead},
        // Columns beyond 240 are never seen.
        {"SIMCON:" + std::string(226, ' ') + "NOCS=34 NOCS=9\n", 34, 987654321, blockRead},
        {"SIMCON:" + std::string(227, ' ') + "NOCS=34\n", 3, 987654321, blockRead},  // cut to NOCS=3
    };
    for (const SimconCase& c : cases) {
        runConfig().nocs = 42;  // the defaults are set by the reader itself
        runConfig().seed = 43;
        std::istringstream input(c.file);
        EXPECT_EQ(readSimconBlock(input), c.status) << c.file;
        EXPECT_EQ(runConfig().nocs, c.nocs) << c.file;
        EXPECT_EQ(runConfig().seed, c.seed) << c.file;
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

TEST_F(BlockReadersTest, evo2ClampsAndIgnoresOutOfRangeValues)
{
    const RunConfig d;
    const std::vector<OxygenCase> cases = {
        {"", d.po2, d.m0, d.k, d.q, d.r},
        {"EVO2: PO2=21 M0=2 K=0.5 Q=100 R=3", 21.0, 2.0, 0.5, 100.0, 3.0},
        {"EVO2: PO2=150", 100.0, d.m0, d.k, d.q, d.r},
        {"EVO2: PO2=-3", 0.0, d.m0, d.k, d.q, d.r},
        {"EVO2: MMHG=760", 100.0, d.m0, d.k, d.q, d.r},
        {"EVO2: MMHG=38", 5.0, d.m0, d.k, d.q, d.r},  // 38 x 100 / 760
        {"EVO2: PO2=21 MMHG=38", 5.0, d.m0, d.k, d.q, d.r},
        {"EVO2: MMHG=38 PO2=21", 21.0, d.m0, d.k, d.q, d.r},
        {"EVO2: K=500", d.po2, d.m0, 100.0, d.q, d.r},
        {"EVO2: K=1E-300", d.po2, d.m0, smallestK, d.q, d.r},
        {"EVO2: K=0 M0=0 Q=-1 R=0", d.po2, d.m0, d.k, d.q, d.r},
        {"EVO2: K=-1 M0=-2 Q=0 R=-5", d.po2, d.m0, d.k, d.q, d.r},
        {"EVO2: PO2=NaN K=Inf", d.po2, d.m0, d.k, d.q, d.r},
    };
    for (const OxygenCase& c : cases) {
        runConfig().po2 = runConfig().m0 = runConfig().k = runConfig().q = runConfig().r = -7.0;
        std::istringstream input(c.line);
        readEvo2Block(input);
        const RunConfig& config = runConfig();
        EXPECT_EQ(config.po2, c.po2) << c.line;
        EXPECT_EQ(config.m0, c.m0) << c.line;
        EXPECT_EQ(config.k, c.k) << c.line;
        EXPECT_EQ(config.q, c.q) << c.line;
        EXPECT_EQ(config.r, c.r) << c.line;
    }
}

struct FractionCase {
    std::string line;
    double conc;
    double fnsd;
    double chmx;
};

TEST_F(BlockReadersTest, dmsoAcceptsOnlyPositiveConcentrationsAndFractions)
{
    const std::vector<FractionCase> cases = {
        {"DMSO: CONC=0.1 FNSD=0.4 CHMX=0.3", 0.1, 0.4, 0.3},
        {"DMSO: CONC=0 FNSD=1 CHMX=0", 0.0, 1.0, 0.0},
        {"DMSO: CONC=-1 FNSD=1.01 CHMX=-0.1", 0.0, 0.5, 0.5},
    };
    for (const FractionCase& c : cases) {
        std::istringstream input(c.line);
        EXPECT_EQ(readDmsoBlock(input), blockRead);
        EXPECT_EQ(runConfig().conc, c.conc) << c.line;
        EXPECT_EQ(runConfig().fnsd, c.fnsd) << c.line;
        EXPECT_EQ(runConfig().chmx, c.chmx) << c.line;
    }
}

TEST_F(BlockReadersTest, cellAndKespBlocks)
{
    std::istringstream input("free text\nKESP: FBL=0.25\nCELL: DNA=3 NDIA=8.5\n");
    EXPECT_EQ(readCellBlock(input), blockRead);
    EXPECT_EQ(readKespBlock(input), blockRead);  // each reader rewinds by itself
    EXPECT_EQ(runConfig().dna, 3.0);
    EXPECT_EQ(runConfig().ndia, 8.5);
    EXPECT_EQ(runConfig().fbl, 0.25);

    std::istringstream invalid("CELL: DNA=0 NDIA=-5\nKESP: FBL=1.5\n");
    readCellBlock(invalid);
    readKespBlock(invalid);
    EXPECT_EQ(runConfig().dna, 6.0);
    EXPECT_EQ(runConfig().ndia, 5.0);
    EXPECT_EQ(runConfig().fbl, 0.0);

    std::istringstream absent("DMSO: CONC=1\n");
    EXPECT_EQ(readCellBlock(absent), blockAbsent);
    EXPECT_EQ(readKespBlock(absent), blockAbsent);
}

}  // namespace
}  // namespace kesp
