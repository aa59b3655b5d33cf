#include "damage/simulationDrivers.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "damage/cellSimulation.h"
#include "damage/clusterTally.h"
#include "damage/damageYields.h"
#include "driver/commandLine.h"
#include "input/radiationField.h"
#include "input/runConfig.h"
#include "physics/particleSetup.h"
#include "physics/particleState.h"
#include "support/combinedGenerator.h"
#include "support/randomStream.h"
#include "support/text.h"

namespace kesp {
namespace {

constexpr std::int32_t testSeed = 24680;

class SimulationDriversTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::int32_t seed = testSeed;
        seedCombined(seed);
        setStreamSeed(0, seed);
    }
    void TearDown() override
    {
        resetTally();
        resetRunConfig();
        resetRunOptions();
        resetRadiationField();
        resetParticleState();
        resetDamageYields();
    }

    static int countLines(const std::string& text, const std::string& start)
    {
        std::istringstream in(text);
        int count = 0;
        for (std::string line; std::getline(in, line);) {
            count += line.rfind(start, 0) == 0 ? 1 : 0;
        }
        return count;
    }

    // Cells that produced at least one cluster: every simulated cell does.
    static int cellsSimulated()
    {
        return clusterTally().cellsWithClusters[tallyRows][tallyCategories];
    }
};

TEST_F(SimulationDriversTest, thousandCellsShowNineProgressLines)
{
    // A fast heavy ion gives the shortest DNA segment, which keeps the run quick.
    ASSERT_EQ(setParticle(makeField("56Fe", 5), 5600.0), 0);
    runConfig().nocs = 1000;
    std::ostringstream console;
    runSingleParticle(console);

    const std::string text = console.str();
    EXPECT_EQ(text.rfind("\n      TIME (min)       ----- Clusters/(Gy-Gbp) ------\n", 0), 0u);
    EXPECT_EQ(countLines(text, "  Elapsed   Remaining     DSB        SSB       TOTAL      nsim     sim/s"), 1);
    // Nine progress lines after the silent first batch, each with the cells
    // done so far in steps of 100.
    for (int hundreds = 2; hundreds <= 9; ++hundreds) {
        EXPECT_NE(text.find("  " + std::to_string(hundreds) + ".00E+02  "), std::string::npos)
            << hundreds;
    }
    EXPECT_NE(text.find("  1.00E+03  "), std::string::npos);
    EXPECT_EQ(countLines(text, "  "), 11);  // two header records and nine progress lines
    EXPECT_EQ(cellsSimulated(), 1000);
}

TEST_F(SimulationDriversTest, runsBelowTwoHundredCellsAreSilent)
{
    ASSERT_EQ(setParticle(makeField("56Fe", 5), 5600.0), 0);
    runConfig().nocs = 199;
    std::ostringstream console;
    runSingleParticle(console);
    EXPECT_EQ(console.str(), "");
    EXPECT_EQ(cellsSimulated(), 199);
}

TEST_F(SimulationDriversTest, mixedFieldAssignsLeftOverCellsByOneDraw)
{
    RadiationField& field = radiationField();
    field.componentCount = 2;
    field.components[1] = {makeField("56Fe", 5), 5600.0, 0.5, 0.5};
    field.components[2] = {makeField("20Ne", 5), 2000.0, 0.5, 1.0};
    field.singleParticle = false;
    field.physicsPending = false;  // the table physics is not what this test is about
    runConfig().nocs = 11;
    std::ostringstream console;
    runMixedField(console);

    EXPECT_EQ(runConfig().nocs, 11);
    EXPECT_EQ(cellsSimulated(), 11);
    // Five cells per component, one progress line after each, and one left-over
    // cell assigned with a single draw from stream 2.
    EXPECT_EQ(countLines(console.str(), "  Elapsed   Remaining     DSB        SSB       TOTAL      nsim     Scoll"), 1);
    EXPECT_NE(console.str().find("  5.00E+00  "), std::string::npos);
    EXPECT_NE(console.str().find("  1.00E+01  "), std::string::npos);
    setStreamSeed(3, testSeed);
    uniformStream(3);
    EXPECT_EQ(streamState(2), streamState(3));
}

}  // namespace
}  // namespace kesp
