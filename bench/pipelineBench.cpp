// A single run on one core and on two: the wall-clock time of a 1 MeV
// electron run of 20000 cells with its cells simulated on one thread and on
// two, with the cells per second of each and their ratio, the speed-up.
// Both runs must give the same tally, or the benchmark fails. Runs on one
// and on two cores take turns, and the fastest of each counts, so that a
// spell of load from elsewhere on the machine weighs on both alike.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

#include "engine/engine.h"

namespace kesp::bench {

namespace {

constexpr int pipelineCells = 20000;
constexpr int timedRuns = 3;  // of each, the fastest counts

struct TimedRun {
    double seconds = 0.0;
    RunResults results;
};

TimedRun runOnThreads(unsigned threads)
{
    RunSettings settings;
    settings.field = singleParticleField("e", 1.0);
    settings.cells = pipelineCells;
    settings.seed = 4711;
    settings.threads = threads;
    SimulationRun run(settings);
    static_cast<void>(run.particlePhysics());  // the physics is not timed
    NoProgress quiet;
    const auto start = std::chrono::steady_clock::now();
    RunResults results = run.simulate(quiet);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return TimedRun{seconds, std::move(results)};
}

// The faster of two runs; the first when both are as fast.
TimedRun faster(TimedRun a, TimedRun b)
{
    return b.seconds < a.seconds ? std::move(b) : std::move(a);
}

void oneAndTwoCores(benchmark::State& state)
{
    for (auto _ : state) {
        TimedRun one = runOnThreads(1);
        TimedRun two = runOnThreads(2);
        for (int i = 1; i < timedRuns; ++i) {
            one = faster(std::move(one), runOnThreads(1));
            two = faster(std::move(two), runOnThreads(2));
        }
        if (!(one.results.tally == two.results.tally)) {
            state.SkipWithError("the runs on one and on two threads differ");
            return;
        }
        state.counters["cells_per_s_1_core"] = pipelineCells / one.seconds;
        state.counters["cells_per_s_2_cores"] = pipelineCells / two.seconds;
        state.counters["speedup_2_cores"] = one.seconds / two.seconds;
    }
}

BENCHMARK(oneAndTwoCores)
    ->Name("run/electron 1 MeV, 20000 cells, 1 and 2 cores")
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

}  // namespace kesp::bench
