#include "kesp/engine/simulationDrivers.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "kesp/damage/clusterTally.h"
#include "driver/progressDisplay.h"
#include "kesp/engine/progressObserver.h"
#include "kesp/engine/runState.h"
#include "kesp/input/radiationField.h"
#include "kesp/input/runSettings.h"
#include "kesp/physics/particleIdentification.h"
#include "kesp/physics/particleSetup.h"
#include "kesp/support/randomStream.h"

namespace kesp {
namespace {

constexpr std::int32_t testSeed = 24680;

// What an observer was told, in order.
class RecordedProgress final : public ProgressObserver {
public:
    void tableStarted(ProgressTable table) override { tables.push_back(table); }
    void progressed(const ProgressUpdate& update) override { updates.push_back(update); }

    std::vector<ProgressTable> tables;
    std::vector<ProgressUpdate> updates;
};

class SimulationDriversTest : public ::testing::Test {
protected:
    SimulationDriversTest()
    {
        settings.seed = testSeed;
        // A fast heavy ion gives the shortest DNA segment, which keeps the run quick.
        settings.field = singleParticleField("56Fe", 5600.0);
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
    static int cellsSimulated(const RunState& state)
    {
        return state.cells.tally.cellsWithClusters[tallyRows][tallyCategories];
    }

    RunSettings settings;
};

TEST_F(SimulationDriversTest, thousandCellsShowNineProgressLines)
{
    const std::string& iron = settings.field.component(1).name;
    ASSERT_EQ(describeParticle(iron, 5600.0, defaultMassConstants).status, ParticleStatus::aboveLimit);
    settings.cells = 1000;
    RunState state(settings);
    std::ostringstream console;
    ConsoleProgress progress(console);
    runSingleParticle(settings, state, progress);

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
    EXPECT_EQ(cellsSimulated(state), 1000);
}

TEST_F(SimulationDriversTest, observerHearsTheTableAndTheRunTotalsAndChangesNothing)
{
    settings.cells = 1000;
    RunState observed(settings);
    RecordedProgress recorded;
    runSingleParticle(settings, observed, recorded);

    EXPECT_EQ(recorded.tables, std::vector<ProgressTable>{ProgressTable::singleParticle});
    ASSERT_EQ(recorded.updates.size(), 9u);
    for (std::size_t i = 0; i < recorded.updates.size(); ++i) {
        EXPECT_EQ(recorded.updates[i].cellsDone, 200 + 100 * static_cast<int>(i));
    }
    // The last update counts the clusters of the first 1000 cells: all of them.
    const auto& classes = observed.cells.tally.classCount;
    std::int64_t all = 0;
    for (const std::int64_t count : classes) {
        all += count;
    }
    EXPECT_EQ(recorded.updates.back().counts.all, static_cast<double>(all) / 6.0);

    RunState quiet(settings);
    NoProgress none;
    runSingleParticle(settings, quiet, none);
    EXPECT_TRUE(quiet.cells.tally == observed.cells.tally);
    EXPECT_EQ(quiet.cells.generator, observed.cells.generator);
}

TEST_F(SimulationDriversTest, runsBelowTwoHundredCellsAreSilent)
{
    settings.cells = 199;
    RunState state(settings);
    std::ostringstream console;
    ConsoleProgress progress(console);
    runSingleParticle(settings, state, progress);
    EXPECT_EQ(console.str(), "");
    EXPECT_EQ(cellsSimulated(state), 199);
}

TEST_F(SimulationDriversTest, mixedFieldAssignsLeftOverCellsByOneDraw)
{
    settings.field = mixedField({{"56Fe", 5600.0, 1.0}, {"20Ne", 2000.0, 1.0}});
    settings.cells = 11;
    RunState state(settings);
    std::ostringstream console;
    ConsoleProgress progress(console);

    const std::vector<std::int32_t> componentCells = runMixedField(settings, state, progress).cells;
    EXPECT_EQ(cellsSimulated(state), 11);
    // Five cells per component, one progress line after each, and one left-over
    // cell assigned with a single draw from stream 2.
    EXPECT_EQ(countLines(console.str(), "  Elapsed   Remaining     DSB        SSB       TOTAL      nsim     Scoll"), 1);
    EXPECT_NE(console.str().find("  5.00E+00  "), std::string::npos);
    EXPECT_NE(console.str().find("  1.00E+01  "), std::string::npos);
    RandomStreams replay;
    replay.seed(2, testSeed);
    const bool toFirst = replay.uniform(2) <= 0.5;
    EXPECT_EQ(state.cells.streams.state(2), replay.state(2));
    // Each component's own cells, and the left-over one where the draw sent it.
    EXPECT_EQ(componentCells, (std::vector<std::int32_t>{toFirst ? 6 : 5, toFirst ? 5 : 6}));
}

}  // namespace
}  // namespace kesp
