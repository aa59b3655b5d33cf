#include "cellBench.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "damage/cellSimulation.h"
#include "damage/chemicalRepair.h"
#include "damage/clusterTally.h"
#include "damage/damageYields.h"
#include "damage/referenceCellSimulation.h"
#include "damage/runState.h"
#include "input/radiationField.h"
#include "input/runSettings.h"
#include "support/combinedGenerator.h"
#include "support/randomStream.h"

namespace kesp::bench {

namespace {

constexpr std::int32_t benchSeed = 4711;
constexpr int countedCells = 32;    // cells whose draws the draw benchmark repeats

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

// Draws of the combined generator (after the base-type skip) and of stream 1
// that each of the first cells makes, counted by replaying the generators
// from the states before the cell until they reach the states after it.
struct CellDraws {
    std::int64_t combined = 0;
    std::int64_t repair = 0;
};

std::int64_t combinedDrawsBetween(CombinedState from, const CombinedState& to)
{
    std::int64_t n = 0;
    for (; !(from == to); ++n) {
        drawCombined(from);
    }
    return n;
}

std::int64_t streamDrawsBetween(std::int32_t from, std::int32_t to)
{
    RandomStreams replay;
    replay.seed(chemicalRepairStream, from);
    std::int64_t n = 0;
    for (; replay.state(chemicalRepairStream) != to; ++n) {
        replay.uniform(chemicalRepairStream);
    }
    return n;
}

std::vector<CellDraws> countDraws(const Particle& particle)
{
    const RunSettings settings = settingsFor(particle);
    RunState run(settings);
    CellSimulation& cells = run.cells;
    allocateSegment(cells.segment, run.yields.segmentLength);
    const CellDose dose = doseOf(settings, run);
    const auto length = static_cast<std::uint64_t>(run.yields.segmentLength);
    const CombinedJump skip = makeCombinedJump(length);
    std::vector<CellDraws> draws;
    for (int i = 0; i < countedCells; ++i) {
        CombinedState before = cells.generator;
        const std::int32_t streamBefore = cells.streams.state(chemicalRepairStream);
        simulateCells(cells, dose, 1);
        jumpCombined(before, skip);
        const std::int32_t streamAfter = cells.streams.state(chemicalRepairStream);
        draws.push_back({combinedDrawsBetween(before, cells.generator),
                         streamDrawsBetween(streamBefore, streamAfter)});
    }
    return draws;
}

// One draw of the combined generator as a call on a state in memory, as a
// stream draw is: the draw benchmark times every draw the same way, a call
// included, and that is the time a cell is compared with.
[[gnu::noinline]] float drawOnce(CombinedState& generator)
{
    return drawCombined(generator);
}

// Only the draws one cell makes: the combined generator for placement,
// stream 1 for chemical repair, nothing else.
void drawsOfOneCell(benchmark::State& state, const Particle& particle)
{
    const std::vector<CellDraws> draws = countDraws(particle);
    const RunState run(settingsFor(particle));
    CombinedState generator = run.cells.generator;
    RandomStreams streams = run.cells.streams;
    std::size_t cell = 0;
    for (auto _ : state) {
        const CellDraws& d = draws[cell];
        cell = (cell + 1) % draws.size();
        float combinedSum = 0.0F;
        for (std::int64_t i = 0; i < d.combined; ++i) {
            combinedSum += drawOnce(generator);
        }
        double repairSum = 0.0;
        for (std::int64_t i = 0; i < d.repair; ++i) {
            repairSum += streams.uniform(chemicalRepairStream);
        }
        benchmark::DoNotOptimize(combinedSum);
        benchmark::DoNotOptimize(repairSum);
    }
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
        benchmark::RegisterBenchmark(("draws/" + label).c_str(), drawsOfOneCell, particle);
    }
}

}  // namespace kesp::bench
