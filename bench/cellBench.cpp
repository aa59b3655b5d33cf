#include "cellBench.h"

#include <benchmark/benchmark.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "kesp/damage/cellSimulation.h"
#include "kesp/damage/clusterTally.h"
#include "kesp/damage/damageYields.h"
#include "damage/referenceCellSimulation.h"
#include "kesp/engine/runState.h"
#include "kesp/input/radiationField.h"
#include "kesp/input/runSettings.h"
#include "kesp/support/combinedGenerator.h"

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
    settings.seed = benchSeed;
    settings.field = singleParticleField(particle.name, particle.energy);
    return settings;
}

CellDose doseOf(const RunSettings& settings, const RunState& run)
{
    return CellDose{run.yields, settings.unrepairableBaseFraction, run.particle.zf};
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

// The generator as the program defines it: the xorshift step, then the
// minimal standard step by Schrage's method (the division by 127773 that
// keeps every product within 32 bits), then the combination into a float.
// drawCombined computes the same values faster; the cell is judged against
// this one.
inline float drawSchrage(CombinedState& state)
{
    constexpr std::int32_t quotient = 127773;   // modulus / multiplier
    constexpr std::int32_t remainder = 2836;    // modulus % multiplier
    state.xorState = combined::nextXorshift(state.xorState);
    const std::int32_t k = state.parkMillerState / quotient;
    std::int32_t next = combined::multiplier * (state.parkMillerState - k * quotient) - remainder * k;
    if (next < 0) {
        next += combined::modulus;
    }
    state.parkMillerState = next;
    const std::uint32_t n =
        ((state.xorState ^ static_cast<std::uint32_t>(state.parkMillerState)) & 0x7FFFFFFFU) | 1U;
    return static_cast<float>(n) * combined::scale;
}

// Whether drawSchrage gives drawCombined's values, bit for bit, for the
// first `draws` draws from `start`.
bool schrageMatchesDrawCombined(const CombinedState& start, std::int64_t draws)
{
    CombinedState schrage = start;
    CombinedState folded = start;
    for (std::int64_t i = 0; i < draws; ++i) {
        if (std::bit_cast<std::uint32_t>(drawSchrage(schrage))
            != std::bit_cast<std::uint32_t>(drawCombined(folded))) {
            return false;
        }
    }
    return schrage == folded;
}

// Two draws per strand break and three per base damage: the draws that place
// one cell's lesions and nothing else, as if every site drawn were free.
std::int64_t placementDrawCount(const RunState& run)
{
    return 2 * std::int64_t{run.yields.strandBreaks} + 3 * std::int64_t{run.yields.baseDamages};
}

// The yardstick a cell is judged by: a cell's placement draws from the
// generator as defined (drawSchrage), inlined on a local state. Fails when
// drawSchrage and drawCombined disagree, since the ratio would then compare
// different sequences.
void placementDrawsOfOneCell(benchmark::State& state, const Particle& particle)
{
    const RunState run(settingsFor(particle));
    const std::int64_t draws = placementDrawCount(run);
    CombinedState generator = run.cells.generator;
    if (!schrageMatchesDrawCombined(generator, 100 * draws)) {
        state.SkipWithError("Schrage's method and drawCombined give different values; "
                            "the yardstick would not draw the program's sequence.");
        return;
    }
    for (auto _ : state) {
        for (std::int64_t i = 0; i < draws; ++i) {
            const float u = drawSchrage(generator);
            benchmark::DoNotOptimize(u);
        }
    }
    benchmark::DoNotOptimize(generator);
    state.SetItemsProcessed(state.iterations());
}

// The same draws from drawCombined, the program's faster form of the
// generator.
void drawCombinedOfOneCell(benchmark::State& state, const Particle& particle)
{
    const RunState run(settingsFor(particle));
    const std::int64_t draws = placementDrawCount(run);
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
        benchmark::RegisterBenchmark(("placementDraws/drawCombined/" + label).c_str(),
                                     drawCombinedOfOneCell, particle);
    }
}

}  // namespace kesp::bench
