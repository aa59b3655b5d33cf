// When the system refuses to start threads, a run goes on with the threads
// it has and gives the results of one thread; it never waits for a worker
// that was never started. The refusal is injected by standing in for
// pthread_create, through which std::thread starts every thread of this
// test program; without a limit set it passes each call on.

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "report/reportDriver.h"
#include "support/parallelFor.h"

namespace {

// Threads that may still be started; below 0, any number.
std::atomic<int> threadsAllowed{-1};

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
    return next(thread, attributes, start, argument);
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

TEST(ThreadRefusalTest, aRunGoesOnWithTheThreadsTheSystemGivesAndGivesTheResultsOfOne)
{
    RunSettings settings;
    settings.cells = 300;
    settings.seed = 4711;
    const RunResults one = resultsOn(settings, 1);
    // Four threads asked for, three of them workers: none, one or two of
    // those are started.
    for (const int started : {0, 1, 2}) {
        SCOPED_TRACE("workers started: " + std::to_string(started));
        threadsAllowed.store(started);
        const RunResults refused = resultsOn(settings, 4);
        threadsAllowed.store(-1);
        EXPECT_EQ(refused.cellsSimulated, 300);
        EXPECT_EQ(refused.tally, one.tally);
        EXPECT_EQ(reportOf(settings, refused), reportOf(settings, one));
    }
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

}  // namespace
}  // namespace kesp
