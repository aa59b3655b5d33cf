// A run on several threads gives the results of a run on one, to the last
// bit, whatever the particle, seed, oxygen and DMSO settings or number of
// cells; stopping and failing runs end as they do on one thread. Also run
// under ThreadSanitizer.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "kesp/damage/cellSimulation.h"
#include "kesp/engine/cellPipeline.h"
#include "kesp/engine/engine.h"
#include "kesp/report/reportDriver.h"
#include "kesp/support/combinedGenerator.h"

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
    for (const unsigned threads : {1U, 2U, 3U, 5U}) {
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
    for (const unsigned threads : {1U, 2U, 3U, 5U}) {
        try {
            static_cast<void>(runOn(settings, threads));
            ADD_FAILURE() << "no error on " << threads << " threads";
        } catch (const RunError& error) {
            EXPECT_TRUE(std::string(error.what()).starts_with("Damage information for this DNA segment is missing"))
                << error.what();
        }
    }
}

TEST(CellPipelineTest, aMixedFieldStoppedAfterItsFirstComponentEndsAsOnOneThread)
{
    RunSettings settings;
    settings.field = mixedField({{"p", 10.0, 0.5}, {"e", 1.0, 0.3}, {"4He", 20.0, 0.2}});
    settings.cells = 700;
    settings.seed = 5;
    // A mixed field's first line comes when its first component is done,
    // whatever the timing: every run stops there.
    std::vector<Result> runs;
    for (const unsigned threads : {1U, 2U, 3U, 5U}) {
        StopFlag stop{false};
        StopAtFirstLine observer(stop);
        runs.push_back(runOn(settings, threads, observer, stop));
        EXPECT_TRUE(runs.back().results.interrupted) << threads << " threads";
        EXPECT_EQ(runs.back().results.componentCells, (std::vector<std::int32_t>{350, 0, 0}));
    }
    for (std::size_t k = 1; k < runs.size(); ++k) {
        expectSameRun(runs.front(), runs[k], "run " + std::to_string(k + 1) + " of the stopped field");
    }
}

// The pipeline itself, as the drivers use it: batch after batch on the same
// workers, with the particle type and so the segment length changing in
// between, and a batch whose cells fail after others were done.

// Yields made up for the test: two particle types with segments of their
// own length, and one that leaves no lesion, which stops the run at its
// first cell.
const DamageYields longSegment{40000, 70, 210, 0.3};
const DamageYields shortSegment{6000, 25, 75, 0.5};
const DamageYields noLesion{3000, 0, 0, 0.0};

struct Batch {
    const DamageYields* yields;
    int cells;
};

// What a run of batches leaves: the tally, the generators, the cells done
// in each batch and the first error.
struct BatchesDone {
    ClusterTally tally;
    CombinedState generator;
    RandomStreams streams;
    std::vector<int> cells;
    std::string error;
};

// The tally and generators the cells left behind.
void keepFinalState(const CellSimulation& cells, BatchesDone& done)
{
    done.tally = cells.tally;
    done.generator = cells.generator;
    done.streams = cells.streams;
}

BatchesDone runBatches(const std::vector<Batch>& batches, unsigned threads, std::int32_t seed)
{
    CellSimulation cells;
    cells.generator = seededCombined(seed);
    cells.streams.seed(0, seed);
    CellPipeline pipeline(cells, threads);
    BatchesDone done;
    try {
        for (const Batch& batch : batches) {
            allocateSegment(cells.segment, batch.yields->segmentLength);
            const CellDose dose{*batch.yields, 0.0, 1.5};
            ProgressCounts counts;
            done.cells.push_back(pipeline.simulate(dose, batch.cells, neverStopped, counts));
            EXPECT_EQ(counts.all, progressCountsOf(cells.tally).all);
        }
    } catch (const RunError& error) {
        done.error = error.what();
    }
    keepFinalState(cells, done);
    return done;
}

// The same cells one after the other, by simulateCells, as one thread
// simulates them.
BatchesDone runBatchesCellByCell(const std::vector<Batch>& batches, std::int32_t seed)
{
    CellSimulation cells;
    cells.generator = seededCombined(seed);
    cells.streams.seed(0, seed);
    BatchesDone done;
    try {
        for (const Batch& batch : batches) {
            allocateSegment(cells.segment, batch.yields->segmentLength);
            const CellDose dose{*batch.yields, 0.0, 1.5};
            done.cells.push_back(0);
            for (int cell = 0; cell < batch.cells; ++cell) {
                simulateCells(cells, dose, 1);
                ++done.cells.back();
            }
        }
    } catch (const RunError& error) {
        done.error = error.what();
    }
    keepFinalState(cells, done);
    return done;
}

TEST(CellPipelineTest, batchesOnTheSameWorkersGiveTheCellsOfOneThread)
{
    const std::vector<std::vector<Batch>> runs = {
        {{&longSegment, 40}, {&longSegment, 1}, {&longSegment, 2}, {&longSegment, 300}},
        {{&shortSegment, 25}, {&longSegment, 60}, {&shortSegment, 200}, {&longSegment, 9}},
        {{&longSegment, 0}, {&shortSegment, 3}, {&longSegment, 50}},
    };
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const BatchesDone one = runBatchesCellByCell(runs[r], 11);
        for (const unsigned threads : {1U, 2U, 3U, 5U}) {
            SCOPED_TRACE("batches " + std::to_string(r) + " on " + std::to_string(threads) + " threads");
            const BatchesDone many = runBatches(runs[r], threads, 11);
            EXPECT_EQ(many.cells, one.cells);
            EXPECT_TRUE(many.tally == one.tally);
            EXPECT_TRUE(many.generator == one.generator);
            EXPECT_TRUE(many.streams == one.streams);
            EXPECT_EQ(many.error, "");
        }
    }
}

TEST(CellPipelineTest, aCellFailingInALaterBatchEndsTheRunAsOnOneThread)
{
    const std::vector<std::vector<Batch>> runs = {
        {{&shortSegment, 30}, {&noLesion, 400}},
        {{&longSegment, 200}, {&shortSegment, 1}, {&noLesion, 2}},
        {{&shortSegment, 7}, {&longSegment, 90}, {&noLesion, 1}, {&longSegment, 5}},
    };
    for (std::size_t r = 0; r < runs.size(); ++r) {
        BatchesDone one = runBatchesCellByCell(runs[r], 8);
        ASSERT_EQ(one.error, "Damage information for this DNA segment is missing") << "batches " << r;
        one.cells.pop_back();  // the failing batch returns none
        for (const unsigned threads : {2U, 3U, 5U}) {
            SCOPED_TRACE("batches " + std::to_string(r) + " on " + std::to_string(threads) + " threads");
            const BatchesDone many = runBatches(runs[r], threads, 8);
            EXPECT_EQ(many.error, one.error);
            EXPECT_EQ(many.cells, one.cells);
            EXPECT_TRUE(many.tally == one.tally);
        }
    }
}

}  // namespace
}  // namespace kesp
