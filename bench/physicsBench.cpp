#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "cellBench.h"
#include "kesp/input/radiationField.h"
#include "kesp/input/runSettings.h"
#include "kesp/physics/componentPhysics.h"
#include "kesp/physics/particleIdentification.h"
#include "kesp/physics/particleSetup.h"
#include "kesp/physics/particleState.h"
#include "kesp/physics/rangeTable.h"

namespace kesp::bench {

namespace {

constexpr int fieldComponents = 100;
// Wall-clock times of threads vary with other load: the fastest of these counts.
constexpr int mixedFieldRepeats = 5;

void rangeTable(benchmark::State& state)
{
    const RadiationField field = singleParticleField("p", 10.0);
    const ParticleKind proton = kindOf(
        describeParticle(field.component(1).nameField(), 10.0, defaultMassConstants).particle);
    for (auto _ : state) {
        benchmark::DoNotOptimize(computeRangeTable(proton));
    }
}

// Protons, alphas, carbon ions and electrons at energies that differ from
// component to component, so that every component needs its own table.
RadiationField fieldOfManyComponents()
{
    const char* const names[] = {"p", "4He", "12C", "e"};
    std::vector<ComponentEntry> components;
    for (int k = 1; k <= fieldComponents; ++k) {
        components.push_back({names[k % 4], 0.5 + 0.37 * k, 1.0});
    }
    return mixedField(components);
}

// Each run identifies the components and works out their physics with a
// cache of range tables of its own, so that every table is built anew.
void mixedFieldPhysics(benchmark::State& state)
{
    const RadiationField field = fieldOfManyComponents();
    const double d = RunSettings{}.nucleusDiameter;
    const auto threads = static_cast<unsigned>(state.range(0));
    for (auto _ : state) {
        std::vector<ParticleKind> kinds;
        for (int k = 1; k <= field.componentCount(); ++k) {
            const FieldComponent& c = field.component(k);
            const ParticleState particle =
                describeParticle(c.nameField(), c.kineticEnergy, defaultMassConstants).particle;
            kinds.push_back(kindOf(particle));
        }
        RangeTableCache tables;
        benchmark::DoNotOptimize(workOutComponents(kinds, d, tables, threads));
    }
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
