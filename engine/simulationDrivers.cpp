#include "kesp/engine/simulationDrivers.h"

#include <algorithm>

#include "kesp/engine/cellPipeline.h"
#include "kesp/damage/cellSimulation.h"
#include "kesp/support/cpuClock.h"

namespace kesp {

namespace {

constexpr int firstBatchCells = 100;
constexpr int smallestBatch = 100;
constexpr double refreshSeconds = 6.0;
constexpr int leftoverStream = 2;
// Cells of a mixed-field component simulated between looks at the clock.
constexpr int mixedFieldChunk = 200;

// The running figures that every progress line shows.
struct Progress {
    int total = 0;
    double t0 = 0.0;
    double rate = 0.0;       // cells per CPU second, 0 until measured
    double remaining = 0.0;  // CPU seconds still needed, 0 until measured

    void measure(double elapsed, int nocs)
    {
        if (elapsed > 0.0) {
            rate = total / elapsed;
            remaining = (nocs - total) / rate;
        }
    }

    ProgressUpdate update(double elapsed, const ProgressCounts& counts, double lastColumn) const
    {
        return ProgressUpdate{elapsed / 60.0, remaining / 60.0, counts, total, lastColumn};
    }
};

// About a tenth of the cells still to do, at least 100; without a measurable
// first batch the cell count itself decides.
int batchSize(double firstBatchSeconds, const Progress& progress, int nocs)
{
    int batch = 0;
    if (firstBatchSeconds > 0.0) {
        batch = static_cast<int>(progress.rate * progress.remaining / 10.0 + 1.0);
    } else {
        batch = nocs % 1000;
    }
    return std::max(batch, smallestBatch);
}

// The component whose cumulative weight first reaches u; the last one when
// rounding leaves u above every cumulative weight.
int componentAt(const RadiationField& field, double u)
{
    const int count = field.componentCount();
    for (int k = 1; k <= count; ++k) {
        if (field.component(k).cumulativeWeight >= u) {
            return k;
        }
    }
    return count;
}

// The cells of the particle being treated receive its yields, with its zf
// as the per-track weight.
CellDose doseOf(const RunSettings& settings, const RunState& state)
{
    return CellDose{state.yields, settings.unrepairableBaseFraction, state.particle.zf};
}

void prepareSegment(RunState& state)
{
    allocateSegment(state.cells.segment, state.yields.segmentLength);
}


// Adds to a component's DSB sums those of the cells folded into the run's
// tally since `before` (exact: the sums are of whole numbers).
void addDsbSince(const DsbCounts& before, const ClusterTally& running, DsbCounts& component)
{
    const DsbCounts now = dsbCounts(running);
    component.sum += now.sum - before.sum;
    component.sumOfSquares += now.sumOfSquares - before.sumOfSquares;
}

void simulateOneCellOf(const RunSettings& settings, RunState& state, int position)
{
    setUpParticle(state, settings, settings.field.component(position));
    prepareSegment(state);
    simulateCells(state.cells, doseOf(settings, state), 1);
    releaseSegment(state.cells.segment);
}

}  // namespace

std::int32_t runSingleParticle(const RunSettings& settings, RunState& state, ProgressObserver& progress,
                               const StopFlag& stop)
{
    prepareSegment(state);
    const CellDose dose = doseOf(settings, state);
    const int nocs = settings.cells;
    CellPipeline pipeline(state.cells, state.threads);  // its threads serve every batch
    Progress p;
    p.t0 = cpuSeconds();

    const int firstBatch = std::max(std::min(nocs, firstBatchCells), 1);
    ProgressCounts counts;
    p.total = pipeline.simulate(dose, firstBatch, stop, counts);
    if (stopRequested(stop)) {  // no batch to size, perhaps not a single cell done
        releaseSegment(state.cells.segment);
        return p.total;
    }
    const double firstSeconds = cpuSeconds() - p.t0;
    p.measure(firstSeconds, nocs);
    const int batch = batchSize(firstSeconds, p, nocs);
    const int batches = (nocs - firstBatchCells) / batch;
    if (batches >= 1) {
        progress.tableStarted(ProgressTable::singleParticle);
        for (int b = 0; b < batches; ++b) {
            const int done = pipeline.simulate(dose, batch, stop, counts);
            p.total += done;
            if (done < batch) {
                break;
            }
            const double elapsed = cpuSeconds() - p.t0;
            p.measure(elapsed, nocs);
            progress.progressed(p.update(elapsed, counts, p.rate));
        }
    }
    p.total += pipeline.simulate(dose, nocs - p.total, stop, counts);
    releaseSegment(state.cells.segment);
    return p.total;
}

MixedFieldCells runMixedField(const RunSettings& settings, RunState& state, ProgressObserver& progress,
                              const StopFlag& stop)
{
    const RadiationField& field = settings.field;
    const auto components = static_cast<std::size_t>(field.componentCount());
    MixedFieldCells done{std::vector<std::int32_t>(components, 0), std::vector<DsbCounts>(components)};
    const int nocs = settings.cells;
    if (nocs <= 0) {
        return done;
    }
    progress.tableStarted(ProgressTable::mixedField);
    CellPipeline pipeline(state.cells, state.threads);  // its threads serve every component
    Progress p;
    double cumulativeWeight = 0.0;
    p.t0 = cpuSeconds();

    for (int k = 1; k <= field.componentCount() && !stopRequested(stop); ++k) {
        const int cells = static_cast<int>(nocs * field.component(k).weight);
        cumulativeWeight += field.component(k).weight;
        setUpParticle(state, settings, field.component(k));
        prepareSegment(state);
        const CellDose dose = doseOf(settings, state);
        const DsbCounts before = dsbCounts(state.cells.tally);
        double tLast = cpuSeconds();
        for (int cellsDone = 0; cellsDone < cells && !stopRequested(stop);) {
            ProgressCounts counts;
            const int simulated =
                pipeline.simulate(dose, std::min(cells - cellsDone, mixedFieldChunk), stop, counts);
            cellsDone += simulated;
            p.total += simulated;
            done.cells[static_cast<std::size_t>(k - 1)] += simulated;
            const double t = cpuSeconds();
            if (simulated > 0 && (t - tLast > refreshSeconds || cellsDone == cells)) {
                tLast = t;
                const double elapsed = t - p.t0;
                if (elapsed > 0.0) {
                    p.measure(elapsed, nocs);
                    progress.progressed(p.update(elapsed, counts, state.particle.sTotal / cumulativeWeight));
                }
            }
        }
        releaseSegment(state.cells.segment);
        addDsbSince(before, state.cells.tally, done.dsb[static_cast<std::size_t>(k - 1)]);
    }
    while (p.total < nocs && !stopRequested(stop)) {
        const int k = componentAt(field, state.cells.streams.uniform(leftoverStream));
        const DsbCounts before = dsbCounts(state.cells.tally);
        simulateOneCellOf(settings, state, k);
        p.total += 1;
        done.cells[static_cast<std::size_t>(k - 1)] += 1;
        addDsbSince(before, state.cells.tally, done.dsb[static_cast<std::size_t>(k - 1)]);
    }
    return done;
}

}  // namespace kesp
