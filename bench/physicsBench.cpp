#include <benchmark/benchmark.h>

#include <string>

#include "cellBench.h"
#include "input/radiationField.h"
#include "physics/particleSetup.h"
#include "physics/rangeTable.h"
#include "report/componentPhysics.h"
#include "support/text.h"

namespace kesp::bench {

namespace {

constexpr int fieldComponents = 100;
// Wall-clock times of threads vary with other load: the fastest of these counts.
constexpr int mixedFieldRepeats = 5;

void rangeTable(benchmark::State& state)
{
    setParticle("p", 10.0);
    const ParticleKind proton = currentParticleKind();
    for (auto _ : state) {
        benchmark::DoNotOptimize(computeRangeTable(proton));
    }
}

// Protons, alphas, carbon ions and electrons at energies that differ from
// component to component, so that every component needs its own table.
void setUpField()
{
    const char* const names[] = {"p", "4He", "12C", "e"};
    RadiationField& field = radiationField();
    field.componentCount = fieldComponents;
    for (int k = 1; k <= fieldComponents; ++k) {
        FieldComponent& c = field.components[static_cast<std::size_t>(k)];
        c.name = makeField(names[k % 4], particleNameLength);
        c.kineticEnergy = 0.5 + 0.37 * k;
        c.weight = 1.0 / fieldComponents;
    }
    field.singleParticle = false;
}

void mixedFieldPhysics(benchmark::State& state)
{
    setUpField();
    const auto threads = static_cast<unsigned>(state.range(0));
    for (auto _ : state) {
        clearRangeTableCache();
        precomputeComponentPhysics(1, threads);
    }
    discardPrecomputedPhysics();
    clearRangeTableCache();
    resetRadiationField();
}

}  // namespace

std::string mixedFieldRunName(int threads)
{
    return "physics/mixed field of 100/threads:" + std::to_string(threads)
           + "/iterations:1/repeats:" + std::to_string(mixedFieldRepeats) + "/real_time";
}

void registerPhysicsBenchmarks()
{
    benchmark::RegisterBenchmark("physics/range table/proton 10 MeV", rangeTable)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("physics/mixed field of 100", mixedFieldPhysics)
        ->Arg(1)
        ->Arg(2)
        ->ArgName("threads")
        ->Iterations(1)
        ->Repetitions(mixedFieldRepeats)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

}  // namespace kesp::bench
