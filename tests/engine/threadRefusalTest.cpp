// When the system refuses to start threads, a run goes on with the threads
// it has and gives the results of one thread; it never waits for a worker
// that was never started. The refusal is injected by standing in for
// pthread_create, through which std::thread starts every thread of this
// test program; without a limit set it passes each call on. It also counts
// the threads started, so that a test can tell how often a run starts its
// workers.

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <sstream>
#include <string>
#include <vector>

#include "kesp/engine/engine.h"
#include "kesp/report/reportDriver.h"
#include "kesp/support/parallelFor.h"
#include "kesp/support/threadStart.h"

namespace {

// Threads that may still be started; below 0, any number.
std::atomic<int> threadsAllowed{-1};
// Threads started so far.
std::atomic<int> threadsStarted{0};

}  // namespace

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*start)(void*),
                              void* argument)
{
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const auto next = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
    int allowed = threadsAllowed.load();
    while (allowed >= 0) {
        if (allowed == 0) {
            return EAGAIN;
        }
        if (threadsAllowed.compare_exchange_weak(allowed, allowed - 1)) {
            break;
        }
    }
    const int status = next(thread, attributes, start, argument);
    if (status == 0) {
        threadsStarted.fetch_add(1);
    }
    return status;
}

namespace kesp {
namespace {

std::string reportOf(const RunSettings& settings, const RunResults& results)
{
    std::ostringstream report;
    writeReport(report, settings, results);
    return report.str();
}

RunResults resultsOn(const RunSettings& settings, unsigned threads)
{
    RunSettings onThreads = settings;
    onThreads.threads = threads;
    SimulationRun run(onThreads);
    NoProgress quiet;
    return run.simulate(quiet);
}

// A run of a few batches on one particle, one of many, and a mixed field.
std::vector<std::pair<std::string, RunSettings>> refusalRuns()
{
    std::vector<std::pair<std::string, RunSettings>> runs;
    RunSettings settings;
    settings.cells = 300;
    settings.seed = 4711;
    runs.emplace_back("300 cells", settings);
    settings.cells = 1000;
    runs.emplace_back("1000 cells", settings);
    settings.field = mixedField({{"p", 10.0, 0.6}, {"e", 1.0, 0.4}});
    settings.cells = 900;
    runs.emplace_back("mixed field", settings);
    return runs;
}

TEST(ThreadRefusalTest, aRunGoesOnWithTheThreadsTheSystemGivesAndGivesTheResultsOfOne)
{
    for (const auto& [name, settings] : refusalRuns()) {
        const RunResults one = resultsOn(settings, 1);
        // Four threads asked for, three of them workers: none, one or two of
        // those are started, and the workers kept serve every batch.
        for (const int started : {0, 1, 2}) {
            SCOPED_TRACE(name + ", workers started: " + std::to_string(started));
            RunSettings onThreads = settings;
            onThreads.threads = 4;
            SimulationRun run(onThreads);
            if (settings.field.componentCount() > 1) {
                static_cast<void>(run.componentRows());  // on threads of its own
            }
            threadsAllowed.store(started);
            NoProgress quiet;
            const RunResults refused = run.simulate(quiet);
            threadsAllowed.store(-1);
            EXPECT_EQ(refused.cellsSimulated, settings.cells);
            EXPECT_EQ(refused.tally, one.tally);
            EXPECT_EQ(reportOf(settings, refused), reportOf(settings, one));
        }
    }
}

TEST(ThreadRefusalTest, aRunStartsItsWorkersOnceForAllItsBatches)
{
    for (const auto& [name, settings] : refusalRuns()) {
        SCOPED_TRACE(name);
        RunSettings onThreads = settings;
        onThreads.threads = 3;
        SimulationRun run(onThreads);
        if (settings.field.componentCount() > 1) {
            static_cast<void>(run.componentRows());  // on threads of its own
        }
        const int before = threadsStarted.load();
        NoProgress quiet;
        static_cast<void>(run.simulate(quiet));
        EXPECT_EQ(threadsStarted.load() - before, 2);
    }
}

// A run never starts more threads than it has cells (or a mixed field
// components) to give them: a thousand asked for a 2-cell run start one
// worker beside the caller's thread.
TEST(ThreadRefusalTest, aRunStartsNoMoreThreadsThanItHasCells)
{
    RunSettings settings;
    settings.cells = 2;
    settings.threads = 1000;
    const int before = threadsStarted.load();
    NoProgress quiet;
    EXPECT_EQ(simulate(settings, quiet).cellsSimulated, 2);
    EXPECT_EQ(threadsStarted.load() - before, 1);
    settings.field = mixedField({{"p", 10.0, 0.6}, {"e", 1.0, 0.4}});
    const int beforeMixed = threadsStarted.load();
    EXPECT_EQ(simulate(settings, quiet).cellsSimulated, 2);
    EXPECT_LE(threadsStarted.load() - beforeMixed, 2);  // a worker for the components, one for the cells
}

TEST(ThreadRefusalTest, sharedOutTasksAreAllDoneWithTheThreadsTheSystemGives)
{
    for (const int started : {0, 1}) {
        SCOPED_TRACE("threads started: " + std::to_string(started));
        std::vector<std::atomic<int>> runs(50);
        threadsAllowed.store(started);
        parallelFor(runs.size(), 4, [&runs](std::size_t k) { runs[k].fetch_add(1); });
        threadsAllowed.store(-1);
        for (std::size_t k = 0; k < runs.size(); ++k) {
            EXPECT_EQ(runs[k].load(), 1) << "task " << k;
        }
    }
}

TEST(ThreadRefusalTest, startingThreadsGoesOnWithThoseTheSystemGives)
{
    for (const int allowed : {0, 1, 3}) {
        SCOPED_TRACE("threads allowed: " + std::to_string(allowed));
        std::vector<std::atomic<int>> runs(5);
        threadsAllowed.store(allowed);
        std::vector<JoiningThread> threads = startThreads(5, [&runs](unsigned k) { runs[k].fetch_add(1); });
        threadsAllowed.store(-1);
        EXPECT_EQ(threads.size(), static_cast<std::size_t>(allowed));
        threads.clear();
        for (std::size_t k = 0; k < runs.size(); ++k) {
            EXPECT_EQ(runs[k].load(), k < static_cast<std::size_t>(allowed) ? 1 : 0) << "body " << k;
        }
    }
}

}  // namespace
}  // namespace kesp
