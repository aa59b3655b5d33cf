// The engine as a library: runs built from settings, run side by side on
// several threads, with errors as exceptions and progress through an
// observer.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <latch>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "kesp/engine/engine.h"
#include "kesp/report/reportDriver.h"

namespace kesp {
namespace {

namespace fs = std::filesystem;

struct ExampleRun {
    std::string name;      // input file of examples/ without ".inp"; golden file stem
    std::string golden;    // golden report of the same run by the program
    bool masses2006 = false;
};

const std::vector<ExampleRun> exampleRuns{
    {"electron1MeV", "electron1MeV"},       {"proton10MeV", "proton10MeV"},
    {"proton10MeV", "proton10MeV-switch", true},
    {"alpha40MeV", "alpha40MeV"},           {"carbon10MeVperNucleon", "carbon10MeVperNucleon"},
    {"hypoxicProton", "hypoxicProton"},     {"dmsoElectron", "dmsoElectron"},
    {"mixedField", "mixedField"},
};

// The field file of the mixed-field example is named relative to the
// directory the program runs in.
class ExampleDirectory {
public:
    ExampleDirectory() : previous_(fs::current_path()) { fs::current_path(fs::path(KESP_SOURCE_DIR) / "examples"); }
    ~ExampleDirectory() { fs::current_path(previous_); }
    ExampleDirectory(const ExampleDirectory&) = delete;
    ExampleDirectory& operator=(const ExampleDirectory&) = delete;

private:
    fs::path previous_;
};

RunSettings settingsOf(const ExampleRun& example)
{
    RunSwitches switches;
    if (example.masses2006) {
        static_cast<void>(applySwitchWord("/2006", switches));
    }
    return readInputFile(example.name + ".inp", switches);
}

// The report after its banner and running-time line, as the library makes it.
std::string reportOf(const RunSettings& settings)
{
    NoProgress quiet;
    const RunResults results = simulate(settings, quiet);
    std::ostringstream report;
    writeReport(report, settings, results);
    return report.str();
}

// The golden report of the program without its banner and running-time line.
std::string goldenReport(const std::string& stem)
{
    std::ifstream file(fs::path(KESP_SOURCE_DIR) / "tests" / "golden" / (stem + ".out"));
    std::string line;
    for (int skipped = 0; skipped < 4 && std::getline(file, line); ++skipped) {
    }
    std::ostringstream rest;
    rest << file.rdbuf();
    return rest.str();
}

TEST(EngineTest, examplesOnTwoThreadsGiveTheReportsOfSeparateRuns)
{
    const ExampleDirectory inExamples;
    std::vector<RunSettings> settings;
    std::vector<std::string> sequential;
    for (const ExampleRun& example : exampleRuns) {
        settings.push_back(settingsOf(example));
        sequential.push_back(reportOf(settings.back()));
        EXPECT_EQ(sequential.back(), goldenReport(example.golden)) << example.golden;
    }
    // Two threads take the examples in turn, both runs going on at once.
    std::vector<std::string> concurrent(settings.size());
    const auto worker = [&](std::size_t first) {
        for (std::size_t i = first; i < settings.size(); i += 2) {
            concurrent[i] = reportOf(settings[i]);
        }
    };
    {
        std::jthread other(worker, 1);
        worker(0);
    }
    for (std::size_t i = 0; i < settings.size(); ++i) {
        EXPECT_EQ(concurrent[i], sequential[i]) << exampleRuns[i].golden;
    }
}

TEST(EngineTest, settingsBuiltInCodeRunWithoutAnInputFile)
{
    RunSettings settings;
    settings.field = singleParticleField("4He", 40.0);
    settings.cells = 20;
    settings.seed = 4711;
    SimulationRun run(settings);
    const ParticlePhysics& physics = run.particlePhysics();
    EXPECT_EQ(physics.particle.Z, 2);
    EXPECT_EQ(physics.particle.A, 4);
    EXPECT_GT(physics.particle.zf, 0.0);
    NoProgress quiet;
    const RunResults results = run.simulate(quiet);
    EXPECT_EQ(results.cellsSimulated, 20);
    EXPECT_EQ(results.seed, 4711);
    // TABLE 2, row "Total", category DSB: the DSB yield per cell per Gy.
    const double dsb = results.statistics.tables[0].mean[tallyRows][1];
    EXPECT_GT(dsb, 0.0);
    EXPECT_EQ(dsb, results.tally.sumCount[tallyRows][1]);  // 6 Gbp: scaled by 1
    EXPECT_EQ(results.yields, run.damageYields());
    EXPECT_THROW(run.simulate(quiet), RunError);  // the tally is finalised
}

// Each component gets int(cells x weight) cells, so weights of 2 and 2
// taken as they stand would simulate four times the cells asked for.
TEST(EngineTest, mixedFieldOfUnnormalisedWeightsSimulatesTheCellsAsked)
{
    RunSettings settings;
    settings.field = mixedField({{"56Fe", 5600.0, 2.0}, {"4He", 40.0, 2.0}});
    settings.cells = 10;
    NoProgress quiet;
    const RunResults results = simulate(settings, quiet);
    EXPECT_EQ(results.cellsSimulated, 10);
    EXPECT_EQ(results.componentCells, (std::vector<std::int32_t>{5, 5}));
    EXPECT_FALSE(results.interrupted);
}

// The threads a run is given are part of its settings and change nothing
// it gives, for a single particle and for a mixed field alike.
TEST(EngineTest, threadsInTheSettingsChangeNoResult)
{
    RunSettings single;
    single.field = singleParticleField("56Fe", 5600.0);
    single.cells = 300;
    single.seed = 4711;
    RunSettings mixed;
    mixed.field = mixedField({{"56Fe", 5600.0, 1.0}, {"4He", 40.0, 1.0}, {"12C", 120.0, 1.0}});
    mixed.cells = 31;
    NoProgress quiet;
    for (const RunSettings& base : {single, mixed}) {
        RunSettings oneThread = base;
        oneThread.threads = 1;
        const RunResults expected = simulate(oneThread, quiet);
        for (const unsigned threads : {2U, 3U, 0U}) {
            RunSettings settings = base;
            settings.threads = threads;
            const RunResults results = simulate(settings, quiet);
            SCOPED_TRACE(std::to_string(threads) + " threads, " + std::to_string(base.field.componentCount())
                         + " components");
            EXPECT_EQ(results.tally, expected.tally);
            EXPECT_EQ(results.cellsSimulated, base.cells);
            EXPECT_EQ(results.componentCells, expected.componentCells);
            EXPECT_EQ(results.particle.particle, expected.particle.particle);
            ASSERT_EQ(results.components.size(), expected.components.size());
            for (std::size_t i = 0; i < results.components.size(); ++i) {
                EXPECT_EQ(results.components[i].physics, expected.components[i].physics);
            }
        }
    }
}

TEST(EngineTest, aFailedRunThrowsAndTheProcessGoesOn)
{
    RunSettings hugeNucleus;
    hugeNucleus.nucleusDiameter = 1e300;
    SimulationRun run(hugeNucleus);
    try {
        run.particlePhysics();
        FAIL() << "no error for a nucleus of 1E300 um";
    } catch (const RunError& error) {
        EXPECT_EQ(error.kind(), ErrorKind::physics);
        EXPECT_NE(std::string(error.what()).find("(CELL: NDIA=) gives no finite microdosimetry"),
                  std::string::npos);
    }

    RunSettings unknown;
    // (Code gets no such field from mixedField; a field taken as a file gives it can hold one.)
    unknown.field = RadiationField({{"p", 10.0, 1.0}, {"Xx", 5.0, 1.0}}, "", ParticleNames::asRead);
    EXPECT_THROW(SimulationRun{unknown}, RunError);
    // What the reader never gives, code might.
    RunSettings noDna;
    noDna.dnaContent = 0.0;
    EXPECT_THROW(SimulationRun{noDna}, RunError);
    // Values the reader clamps or refuses: each is refused with what is wrong.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    using Value = double& (*)(RunSettings&);
    const Value po2 = [](RunSettings& s) -> double& { return s.oxygenPercent; };
    const struct {
        Value value;
        double given;
        const char* named;
    } outOfRange[] = {
        {po2, 150.0, "oxygenPercent"},
        {po2, -1.0, "oxygenPercent"},
        {po2, nan, "oxygenPercent"},
        {[](RunSettings& s) -> double& { return s.oxygenModel.maximumEnhancement; }, 0.0, "maximumEnhancement"},
        {[](RunSettings& s) -> double& { return s.oxygenModel.halfEffectOxygen; }, 0.0, "halfEffectOxygen within"},
        {[](RunSettings& s) -> double& { return s.oxygenModel.halfEffectZeb; }, -946.1, "halfEffectZeb"},
        {[](RunSettings& s) -> double& { return s.oxygenModel.steepness; }, nan, "steepness"},
        {[](RunSettings& s) -> double& { return s.dmso.concentration; }, -0.1, "concentration"},
        {[](RunSettings& s) -> double& { return s.dmso.nonScavengeableFraction; }, 1.5, "nonScavengeableFraction"},
        {[](RunSettings& s) -> double& { return s.dmso.halfLevelConcentration; }, nan, "halfLevelConcentration"},
        {[](RunSettings& s) -> double& { return s.dnaContent; }, nan, "DNA"},
        {[](RunSettings& s) -> double& { return s.nucleusDiameter; }, std::numeric_limits<double>::infinity(), "nucleus"},
        {[](RunSettings& s) -> double& { return s.unrepairableBaseFraction; }, 1.5, "unrepairableBaseFraction"},
    };
    for (const auto& c : outOfRange) {
        RunSettings settings;
        c.value(settings) = c.given;
        try {
            const SimulationRun accepted{settings};
            ADD_FAILURE() << "no error for " << c.named << " = " << c.given;
        } catch (const RunError& error) {
            EXPECT_NE(std::string(error.what()).find(c.named), std::string::npos) << error.what();
        }
    }

    // The same process goes on with the next run.
    RunSettings plain;
    NoProgress quiet;
    EXPECT_EQ(simulate(plain, quiet).cellsSimulated, 1);
}

TEST(EngineTest, aRunMovedFromThrowsWhenUsed)
{
    RunSettings settings;
    SimulationRun first(settings);
    SimulationRun second(std::move(first));
    NoProgress quiet;
    EXPECT_THROW(first.simulate(quiet), RunError);  // NOLINT(bugprone-use-after-move): the point of the test
    EXPECT_THROW(first.damageYields(), RunError);   // NOLINT(bugprone-use-after-move)
    EXPECT_THROW(first.particlePhysics(), RunError);  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(second.simulate(quiet).cellsSimulated, 1);
    SimulationRun third(settings);
    third = std::move(second);
    EXPECT_THROW(second.seed(), RunError);  // NOLINT(bugprone-use-after-move)
}

// The kind of the RunError a run of these settings throws; none: nothing thrown.
std::optional<ErrorKind> refusalOf(const RunSettings& settings, std::string* message = nullptr)
{
    try {
        NoProgress quiet;
        static_cast<void>(simulate(settings, quiet));
    } catch (const RunError& error) {
        if (message != nullptr) {
            *message = error.what();
        }
        return error.kind();
    }
    return std::nullopt;
}

// A field or settings moved from have no components: a caller's mistake,
// refused before anything reaches the physics.
TEST(EngineTest, settingsOrAFieldMovedFromAreAUsageError)
{
    RunSettings settings;
    settings.cells = 2;
    RunSettings taken = std::move(settings);
    EXPECT_EQ(refusalOf(settings), ErrorKind::usage);  // NOLINT(bugprone-use-after-move): the point of the test
    RunSettings fieldTaken = taken;
    RadiationField field = std::move(fieldTaken.field);
    std::string message;
    EXPECT_EQ(refusalOf(fieldTaken, &message), ErrorKind::usage);
    EXPECT_NE(message.find("has no components"), std::string::npos) << message;
    EXPECT_THROW(SimulationRun{fieldTaken}, RunError);
    EXPECT_EQ(refusalOf(taken), std::nullopt);
}

// A thread count no caller means is refused naming it and the limit; one
// above the run's cells changes nothing.
TEST(EngineTest, threadsAreBoundedByTheLimitAndTheWork)
{
    RunSettings settings;
    settings.cells = 2;
    settings.field = singleParticleField("p", 10.0);
    NoProgress quiet;
    settings.threads = 1;
    const RunResults one = simulate(settings, quiet);
    for (const unsigned threads : {maxThreads + 1, std::numeric_limits<unsigned>::max()}) {
        settings.threads = threads;
        std::string message;
        EXPECT_EQ(refusalOf(settings, &message), ErrorKind::usage) << threads;
        EXPECT_NE(message.find("threads = " + std::to_string(threads)), std::string::npos) << message;
        EXPECT_NE(message.find("at most " + std::to_string(maxThreads)), std::string::npos) << message;
    }
    settings.threads = maxThreads;
    const RunResults many = simulate(settings, quiet);
    EXPECT_EQ(many.tally, one.tally);
    EXPECT_EQ(many.cellsSimulated, 2);
}

// The rule that refuses a single particle at an energy whose momentum is
// not finite holds for every component of a mixed field.
TEST(EngineTest, aComponentIsRefusedAtTheEnergiesASingleParticleIs)
{
    std::string single;
    RunSettings settings;
    settings.cells = 2;
    settings.field = singleParticleField("p", 1e300);
    EXPECT_EQ(refusalOf(settings, &single), ErrorKind::nonFiniteResult);
    std::string mixed;
    settings.field = mixedField({{"p", 10.0, 1.0}, {"p", 1e300, 1.0}});
    EXPECT_EQ(refusalOf(settings, &mixed), ErrorKind::nonFiniteResult);
    EXPECT_EQ(mixed, "The momentum p*c is not a finite number (Inf) for component 2, RADX: PAR=p KE=1e+300; no "
                     "report is written.");
    EXPECT_EQ(single, "The momentum p*c is not a finite number (Inf) for RADX: PAR=p KE=1e+300; no report is "
                      "written.");
}

TEST(EngineTest, mixedFieldErrorKeepsTheRowsBeforeTheFailingComponent)
{
    RunSettings settings;
    settings.nucleusDiameter = 1e-300;
    settings.field = mixedField({{"p", 10.0, 1.0}, {"4He", 40.0, 1.0}});
    SimulationRun run(settings);
    EXPECT_THROW(run.componentRows(), RunError);
    EXPECT_TRUE(run.completedRows().empty());
}

// Records what the simulation reports.
class RecordingProgress final : public ProgressObserver {
public:
    std::vector<ProgressTable> tables;
    std::vector<int> cellsDone;
    void tableStarted(ProgressTable table) override { tables.push_back(table); }
    void progressed(const ProgressUpdate& update) override { cellsDone.push_back(update.cellsDone); }
};

TEST(EngineTest, progressReachesTheObserver)
{
    RunSettings single;
    single.cells = 450;  // first batch of 100, then batches of at least 100
    RecordingProgress singleProgress;
    simulate(single, singleProgress);
    ASSERT_EQ(singleProgress.tables, std::vector<ProgressTable>{ProgressTable::singleParticle});
    ASSERT_FALSE(singleProgress.cellsDone.empty());
    EXPECT_TRUE(std::is_sorted(singleProgress.cellsDone.begin(), singleProgress.cellsDone.end()));
    EXPECT_LE(singleProgress.cellsDone.back(), 450);

    RunSettings mixed;
    mixed.cells = 5;
    mixed.field = mixedField({{"p", 10.0, 1.0}, {"e", 1.0, 1.0}});
    RecordingProgress mixedProgress;
    EXPECT_EQ(simulate(mixed, mixedProgress).cellsSimulated, 5);
    EXPECT_EQ(mixedProgress.tables, std::vector<ProgressTable>{ProgressTable::mixedField});
}

// Lets another thread know that the run has begun its progress table.
class TableStart final : public ProgressObserver {
public:
    std::latch begun{1};
    void tableStarted(ProgressTable) override { begun.count_down(); }
    void progressed(const ProgressUpdate&) override {}
};

TEST(EngineTest, aRunStoppedFromAnotherThreadHasTheResultsOfARunOfTheCellsItSimulated)
{
    RunSettings settings;
    settings.field = singleParticleField("56Fe", 5600.0);  // a short segment: quick cells
    settings.cells = 1000000;
    settings.seed = 1618;
    StopFlag stop{false};
    TableStart progress;
    RunResults stopped;
    {
        std::jthread run([&] { stopped = simulate(settings, progress, stop); });
        progress.begun.wait();
        stop.store(true);
    }
    EXPECT_TRUE(stopped.interrupted);
    EXPECT_EQ(stopped.cellsRequested, 1000000);
    ASSERT_GE(stopped.cellsSimulated, 100);  // the first batch comes before the table
    ASSERT_LT(stopped.cellsSimulated, 1000000);

    settings.cells = stopped.cellsSimulated;
    NoProgress quiet;
    const RunResults complete = simulate(settings, quiet);
    EXPECT_FALSE(complete.interrupted);
    std::ostringstream expected;
    expected << "Run interrupted after " << stopped.cellsSimulated << " of 1000000 cells\n";
    writeReport(expected, settings, complete);
    std::ostringstream report;
    writeReport(report, settings, stopped);
    EXPECT_EQ(report.str(), expected.str());
    EXPECT_TRUE(stopped.statisticsDescribeTheRadiation());

    // Stopped before its first cell: nothing simulated, and no error.
    const StopFlag alreadySet{true};
    const RunResults none = simulate(settings, quiet, alreadySet);
    EXPECT_TRUE(none.interrupted);
    EXPECT_EQ(none.cellsSimulated, 0);
}

// Stops the run at its first progress line.
class StopAtFirstLine final : public ProgressObserver {
public:
    explicit StopAtFirstLine(StopFlag& stop) : stop_(stop) {}
    void tableStarted(ProgressTable) override {}
    void progressed(const ProgressUpdate&) override { stop_.store(true); }

private:
    StopFlag& stop_;
};

TEST(EngineTest, aMixedFieldStoppedWhileItsPhysicsIsWorkedOutSimulatesNoCell)
{
    RunSettings settings;
    settings.field = mixedField({{"p", 10.0, 1.0}, {"4He", 40.0, 1.0}, {"12C", 120.0, 1.0}});
    settings.cells = 30;
    const StopFlag stopped{true};
    SimulationRun run(settings);
    EXPECT_TRUE(run.componentRows(stopped).empty());
    EXPECT_FALSE(run.componentRowsComplete());
    NoProgress quiet;
    const RunResults none = run.simulate(quiet, stopped);
    EXPECT_TRUE(none.interrupted);
    EXPECT_EQ(none.cellsSimulated, 0);
    EXPECT_FALSE(none.statisticsDescribeTheRadiation());

    // Asked again without a stop, the rows are those of a run never stopped.
    SimulationRun later(settings);
    later.componentRows(stopped);
    SimulationRun plain(settings);
    ASSERT_EQ(later.componentRows().size(), 3u);
    EXPECT_TRUE(later.componentRowsComplete());
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(later.componentRows()[i].physics, plain.componentRows()[i].physics) << i;
    }
}

TEST(EngineTest, aStoppedMixedFieldSaysWhichComponentsItsCellsCameFrom)
{
    RunSettings settings;
    // Components of 150 cells each; the first progress line comes when the
    // first component is done.
    settings.field = mixedField({{"56Fe", 5600.0, 1.0}, {"4He", 40.0, 1.0}});
    settings.cells = 300;
    NoProgress quiet;
    const RunResults complete = simulate(settings, quiet);
    EXPECT_FALSE(complete.interrupted);
    EXPECT_TRUE(complete.statisticsDescribeTheRadiation());
    EXPECT_EQ(complete.componentCells, (std::vector<std::int32_t>{150, 150}));

    StopFlag stop{false};
    StopAtFirstLine progress(stop);
    const RunResults stopped = simulate(settings, progress, stop);
    EXPECT_TRUE(stopped.interrupted);
    EXPECT_FALSE(stopped.statisticsDescribeTheRadiation());
    EXPECT_EQ(stopped.componentCells, (std::vector<std::int32_t>{150, 0}));
    EXPECT_EQ(stopped.cellsSimulated, 150);
}

}  // namespace
}  // namespace kesp
