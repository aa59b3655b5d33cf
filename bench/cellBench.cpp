#include "cellBench.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "damage/cellSimulation.h"
#include "damage/clusterTally.h"
#include "damage/damageYields.h"
#include "damage/referenceCellSimulation.h"
#include "physics/particleSetup.h"
#include "support/combinedGenerator.h"
#include "support/randomStream.h"

namespace kesp::bench {

namespace {

constexpr std::int32_t benchSeed = 4711;
constexpr int spareStream = 50;     // replays stream 1 to count its draws
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

void startRun(const Particle& particle)
{
    std::int32_t seed = benchSeed;
    seedCombined(seed);
    setStreamSeed(0, seed);
    setParticle(particle.name, particle.energy);
    resetTally();
}

template <void (*prepare)(), ProgressCounts (*simulate)(int), void (*release)()>
void cells(benchmark::State& state, const Particle& particle)
{
    startRun(particle);
    prepare();
    for (auto _ : state) {
        benchmark::DoNotOptimize(simulate(1));
    }
    release();
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
    setStreamSeed(spareStream, from);
    std::int64_t n = 0;
    for (; streamState(spareStream) != to; ++n) {
        uniformStream(spareStream);
    }
    return n;
}

std::vector<CellDraws> countDraws(const Particle& particle)
{
    startRun(particle);
    prepareParticle();
    const CombinedJump skip = makeCombinedJump(static_cast<std::uint64_t>(damageYields().segmentLength));
    std::vector<CellDraws> draws;
    for (int i = 0; i < countedCells; ++i) {
        CombinedState before = combinedState();
        const std::int32_t streamBefore = streamState(1);
        simulateCells(1);
        jumpCombined(before, skip);
        draws.push_back({combinedDrawsBetween(before, combinedState()),
                         streamDrawsBetween(streamBefore, streamState(1))});
    }
    releaseParticle();
    return draws;
}

// Only the draws one cell makes: nextCombined for placement, uniformStream
// for chemical repair, nothing else.
void drawsOfOneCell(benchmark::State& state, const Particle& particle)
{
    const std::vector<CellDraws> draws = countDraws(particle);
    startRun(particle);
    std::size_t cell = 0;
    for (auto _ : state) {
        const CellDraws& d = draws[cell];
        cell = (cell + 1) % draws.size();
        float combinedSum = 0.0F;
        for (std::int64_t i = 0; i < d.combined; ++i) {
            combinedSum += nextCombined();
        }
        double repairSum = 0.0;
        for (std::int64_t i = 0; i < d.repair; ++i) {
            repairSum += uniformStream(1);
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
                                     cells<prepareParticle, simulateCells, releaseParticle>,
                                     particle);
        benchmark::RegisterBenchmark(("cells/reference/" + label).c_str(),
                                     cells<reference::prepareParticle, reference::simulateCells,
                                           reference::releaseParticle>,
                                     particle);
        benchmark::RegisterBenchmark(("draws/" + label).c_str(), drawsOfOneCell, particle);
    }
}

}  // namespace kesp::bench
