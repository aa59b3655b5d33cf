// A run on several threads gives the results of a run on one, to the last
// bit, whatever the particle, seed, oxygen and DMSO settings or number of
// cells; stopping and failing runs end as they do on one thread. Also run
// under ThreadSanitizer.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "report/reportDriver.h"

namespace kesp {
namespace {

namespace fs = std::filesystem;

struct Result {
    RunResults results;
    std::string report;
};

Result runOn(const RunSettings& settings, unsigned threads, ProgressObserver& progress,
             const StopFlag& stop = neverStopped)
{
    RunSettings onThreads = settings;
    onThreads.threads = threads;
    SimulationRun run(onThreads);
    Result result{run.simulate(progress, stop), {}};
    std::ostringstream report;
    writeReport(report, settings, result.results);
    result.report = report.str();
    return result;
}

Result runOn(const RunSettings& settings, unsigned threads)
{
    NoProgress quiet;
    return runOn(settings, threads, quiet);
}

void expectSameRun(const Result& one, const Result& many, const std::string& label)
{
    EXPECT_EQ(many.results.cellsSimulated, one.results.cellsSimulated) << label;
    EXPECT_TRUE(many.results.tally == one.results.tally) << label;
    EXPECT_EQ(many.report, one.report) << label;
}

struct Case {
    const char* particle;
    double energy;
    int cells;
    int seed;
    double po2;
    double dmso;
};

const Case cases[] = {
    {"e", 1.0, 150, 1, 100.0, 0.0},   {"e", 0.1, 7, 99, 0.5, 0.0},      {"p", 10.0, 120, 12345, 21.0, 0.0},
    {"p", 2.0, 2, 7, 0.0, 0.1},       {"4He", 40.0, 101, 3, 100.0, 1.0}, {"12C", 120.0, 60, 4711, 2.0, 0.0},
    {"56Fe", 56.0, 33, 5, 100.0, 0.0}, {"e", 1.0, 1, 8, 100.0, 0.0},
    // Long enough for the placer to run ahead, cut cells itself and see
    // their slots taken again before the workers look at them.
    {"e", 1.0, 3000, 77, 100.0, 0.0},
};

TEST(CellPipelineTest, anyNumberOfThreadsGivesTheResultsOfOne)
{
    for (const Case& c : cases) {
        RunSettings settings;
        settings.field = singleParticleField(c.particle, c.energy);
        settings.cells = c.cells;
        settings.seed = c.seed;
        settings.oxygenPercent = c.po2;
        settings.dmso.concentration = c.dmso;
        const std::string label = std::string(c.particle) + " seed " + std::to_string(c.seed);
        const Result one = runOn(settings, 1);
        for (const unsigned threads : {2U, 3U, 5U}) {
            expectSameRun(one, runOn(settings, threads), label + " on " + std::to_string(threads) + " threads");
        }
    }
}

TEST(CellPipelineTest, examplesAndMixedFieldsOnThreadsGiveTheirReports)
{
    std::vector<std::pair<std::string, RunSettings>> runs;
    const fs::path examples = fs::path(KESP_SOURCE_DIR) / "examples";
    const fs::path previous = fs::current_path();
    fs::current_path(examples);  // field files are named relative to it
    for (const char* name : {"electron1MeV", "hypoxicProton", "dmsoElectron", "mixedField", "slowIonField"}) {
        RunSettings settings = readInputFile(std::string(name) + ".inp");
        settings.cells = std::min(settings.cells, 400);
        runs.emplace_back(name, settings);
    }
    RunSettings field;
    field.field = mixedField({{"p", 10.0, 0.7}, {"4He", 20.0, 0.2}, {"e", 1.0, 0.1}});
    field.cells = 333;  // components of 233, 66 and 33 cells and a left-over cell
    runs.emplace_back("three components", field);
    for (const auto& [name, settings] : runs) {
        expectSameRun(runOn(settings, 1), runOn(settings, 3), name);
    }
    fs::current_path(previous);
}

// Stops the run at its first progress line.
class StopAtFirstLine final : public ProgressObserver {
public:
    explicit StopAtFirstLine(StopFlag& stop) : stop_(stop) {}
    void tableStarted(ProgressTable) override {}
    void progressed(const ProgressUpdate&) override { stop_ = true; }

private:
    StopFlag& stop_;
};

TEST(CellPipelineTest, stoppedAndFailingRunsEndAsOnOneThread)
{
    RunSettings settings;
    settings.field = singleParticleField("p", 10.0);
    settings.cells = 5000;
    settings.seed = 21;
    // Where the first line comes depends on timing; the cells done are
    // those of a run asked for that many cells on one thread.
    for (const unsigned threads : {1U, 2U}) {
        StopFlag stop{false};
        StopAtFirstLine observer(stop);
        const Result stopped = runOn(settings, threads, observer, stop);
        EXPECT_TRUE(stopped.results.interrupted);
        EXPECT_LT(stopped.results.cellsSimulated, 5000);
        RunSettings asked = settings;
        asked.cells = stopped.results.cellsSimulated;
        const Result whole = runOn(asked, 1);
        EXPECT_TRUE(stopped.results.tally == whole.results.tally) << threads << " threads";
    }

    // Scavenging far above its half level with no unscavengeable share
    // leaves no lesion: the first cell stops the run.
    settings.dmso.concentration = 1e9;
    settings.dmso.nonScavengeableFraction = 0.0;
    for (const unsigned threads : {1U, 3U}) {
        try {
            static_cast<void>(runOn(settings, threads));
            ADD_FAILURE() << "no error on " << threads << " threads";
        } catch (const RunError& error) {
            EXPECT_TRUE(std::string(error.what()).starts_with("Damage information for this DNA segment is missing"))
                << error.what();
        }
    }
}

}  // namespace
}  // namespace kesp
