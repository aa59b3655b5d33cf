// A whole run through the library, as a program that embeds it makes one:
// settings in, results out, physics included. The Python benchmark
// (bench/pythonBench.py) times the same run through kesp.run and compares.

#include <benchmark/benchmark.h>

#include "kesp/kesp.h"

namespace kesp::bench {

namespace {

void libraryRun(benchmark::State& state)
{
    RunSettings settings;
    settings.field = singleParticleField("e", 1.0);
    settings.cells = static_cast<int>(state.range(0));
    settings.seed = 4711;
    settings.threads = 1;
    NoProgress quiet;
    for (auto _ : state) {
        benchmark::DoNotOptimize(simulate(settings, quiet));
    }
}

BENCHMARK(libraryRun)->Name("library/electron 1 MeV, one thread")->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace kesp::bench
