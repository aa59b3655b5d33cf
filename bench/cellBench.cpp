#include "cellBench.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "damage/cellSimulation.h"
#include "damage/clusterTally.h"
#include "damage/damageYields.h"
#include "damage/referenceCellSimulation.h"
#include "damage/runState.h"
#include "input/radiationField.h"
#include "input/runSettings.h"
#include "support/combinedGenerator.h"

namespace kesp::bench {

namespace {

constexpr std::int32_t benchSeed = 4711;

struct Particle {
    const char* label;
    const char* name;
    double energy;
};

// The longest segment, a typical one and the shortest.
const std::vector<Particle>& particles()
{
    static const std::vector<Particle> list = {
        {"electron 1 MeV", "e", 1.0}, {"proton 10 MeV", "p", 10.0}, {"iron 1 MeV/u", "56Fe", 56.0}};
    return list;
}

// A run of the particle with default chemistry: its state holds the seeded
// generators, the particle and its yields.
RunSettings settingsFor(const Particle& particle)
{
    RunSettings settings;
    settings.config.seed = benchSeed;
    settings.field = singleParticleField(particle.name, particle.energy);
    return settings;
}

CellDose doseOf(const RunSettings& settings, const RunState& run)
{
    return CellDose{run.yields, settings.config.fbl, run.particle.zf};
}

void allocateFor(CellSimulation& cells, std::int32_t length)
{
    allocateSegment(cells.segment, length);
}

void allocateFor(reference::Cells& cells, std::int32_t length)
{
    reference::allocateSegment(cells.segment, length);
}

// One cell per iteration, of the fast core or of the reference.
template <typename Cells>
void oneCellPerIteration(benchmark::State& state, const Particle& particle)
{
    const RunSettings settings = settingsFor(particle);
    const RunState run(settings);
    Cells cells;
    cells.generator = run.cells.generator;
    cells.streams = run.cells.streams;
    allocateFor(cells, run.yields.segmentLength);
    const CellDose dose = doseOf(settings, run);
    for (auto _ : state) {
        benchmark::DoNotOptimize(simulateCells(cells, dose, 1));
    }
    state.SetItemsProcessed(state.iterations());
}

// The draws that place one cell's lesions and nothing else: two per strand
// break and three per base damage, as if every site drawn were free, from
// drawCombined inlined on a local state, as placement uses the generator.
// A cell is judged by its time over this one.
void placementDrawsOfOneCell(benchmark::State& state, const Particle& particle)
{
    const RunState run(settingsFor(particle));
    const std::int64_t draws =
        2 * std::int64_t{run.yields.strandBreaks} + 3 * std::int64_t{run.yields.baseDamages};
    CombinedState generator = run.cells.generator;
    for (auto _ : state) {
        for (std::int64_t i = 0; i < draws; ++i) {
            const float u = drawCombined(generator);
            benchmark::DoNotOptimize(u);
        }
    }
    benchmark::DoNotOptimize(generator);
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

void registerCellBenchmarks()
{
    for (const Particle& particle : particles()) {
        const std::string label = particle.label;
        benchmark::RegisterBenchmark(("cells/fast/" + label).c_str(),
                                     oneCellPerIteration<CellSimulation>, particle);
        benchmark::RegisterBenchmark(("cells/reference/" + label).c_str(),
                                     oneCellPerIteration<reference::Cells>, particle);
        benchmark::RegisterBenchmark(("placementDraws/" + label).c_str(), placementDrawsOfOneCell,
                                     particle);
    }
}

}  // namespace kesp::bench
