// A single run on one core and on two: a 1 MeV electron run of 20000 cells
// with its cells simulated on one thread and on two, on an idle machine and
// with another process keeping one core busy. For each it gives the cells
// per second, the speed-up of two threads (wall-clock time of one thread /
// of two) and, on the idle machine, the CPU time the two threads spend
// together against the one thread's. All runs must give the same tally, or
// the benchmark fails. Runs on one and on two threads take turns, and the
// fastest of each counts (the least CPU time, for the CPU time), so that a
// spell of load from elsewhere on the machine weighs on both alike.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <optional>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "kesp/engine/engine.h"

namespace kesp::bench {

namespace {

constexpr int pipelineCells = 20000;
constexpr int timedRuns = 5;  // of each, the fastest counts

// The CPU seconds of every thread of this process so far.
double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec);
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct TimedRun {
    double seconds = 0.0;
    double cpuSeconds = 0.0;
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
    const double cpuStart = processCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    RunResults results = run.simulate(quiet);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return TimedRun{seconds, processCpuSeconds() - cpuStart, std::move(results)};
}

// The fastest and the most frugal of the runs on one number of threads.
struct BestRuns {
    std::optional<TimedRun> fastest;
    double leastCpuSeconds = 0.0;

    void add(TimedRun run)
    {
        if (!fastest || run.cpuSeconds < leastCpuSeconds) {
            leastCpuSeconds = run.cpuSeconds;
        }
        if (!fastest || run.seconds < fastest->seconds) {
            fastest = std::move(run);
        }
    }
};

// Another process that keeps a core busy for as long as it lives.
class BusyCore {
public:
    BusyCore() : pid_(fork())
    {
        if (pid_ == 0) {
            volatile unsigned long spins = 0;
            for (;;) {
                spins = spins + 1;
            }
        }
    }
    ~BusyCore()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    BusyCore(const BusyCore&) = delete;
    BusyCore& operator=(const BusyCore&) = delete;

    bool running() const { return pid_ > 0; }

private:
    pid_t pid_;
};

// Runs on one and on two threads, taking turns; false when they differ.
bool timeOneAndTwo(BestRuns& one, BestRuns& two)
{
    for (int i = 0; i < timedRuns; ++i) {
        one.add(runOnThreads(1));
        two.add(runOnThreads(2));
    }
    return one.fastest->results.tally == two.fastest->results.tally;
}

void oneAndTwoCores(benchmark::State& state)
{
    for (auto _ : state) {
        BestRuns one;
        BestRuns two;
        if (!timeOneAndTwo(one, two)) {
            state.SkipWithError("the runs on one and on two threads differ");
            return;
        }
        state.counters["cells_per_s_1_core"] = pipelineCells / one.fastest->seconds;
        state.counters["cells_per_s_2_cores"] = pipelineCells / two.fastest->seconds;
        state.counters["speedup_2_cores"] = one.fastest->seconds / two.fastest->seconds;
        state.counters["cpu_time_2_over_1"] = two.leastCpuSeconds / one.leastCpuSeconds;
    }
}

void oneCoreBusy(benchmark::State& state)
{
    for (auto _ : state) {
        BestRuns one;
        BestRuns two;
        const BusyCore busy;
        if (!busy.running()) {
            state.SkipWithError("no process to keep a core busy");
            return;
        }
        if (!timeOneAndTwo(one, two)) {
            state.SkipWithError("the runs on one and on two threads differ");
            return;
        }
        state.counters["cells_per_s_1_thread"] = pipelineCells / one.fastest->seconds;
        state.counters["cells_per_s_2_threads"] = pipelineCells / two.fastest->seconds;
        state.counters["speedup_2_threads"] = one.fastest->seconds / two.fastest->seconds;
    }
}

BENCHMARK(oneAndTwoCores)
    ->Name("run/electron 1 MeV, 20000 cells, 1 and 2 cores")
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

BENCHMARK(oneCoreBusy)
    ->Name("run/electron 1 MeV, 20000 cells, 1 and 2 threads, one core busy elsewhere")
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

}  // namespace kesp::bench
