#include "damage/simulationDrivers.h"

#include <algorithm>

#include "damage/cellSimulation.h"
#include "damage/clusterTally.h"
#include "damage/progressDisplay.h"
#include "input/radiationField.h"
#include "input/runConfig.h"
#include "physics/particleSetup.h"
#include "physics/particleState.h"
#include "report/componentPhysics.h"
#include "support/cpuClock.h"
#include "support/lineWriter.h"
#include "support/randomStream.h"

namespace kesp {

namespace {

constexpr int firstBatchCells = 100;
constexpr int smallestBatch = 100;
constexpr double refreshSeconds = 6.0;
constexpr int leftoverStream = 2;

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

const FieldComponent& component(int position)
{
    return radiationField().components[static_cast<std::size_t>(position)];
}

// The component whose cumulative weight first reaches u; the last one when
// rounding leaves u above every cumulative weight.
int componentAt(double u)
{
    const int count = radiationField().componentCount;
    for (int k = 1; k <= count; ++k) {
        if (component(k).cumulativeWeight >= u) {
            return k;
        }
    }
    return count;
}

void simulateOneCellOf(int position)
{
    setParticle(component(position).name, component(position).kineticEnergy);
    prepareParticle();
    simulateCells(1);
    releaseParticle();
}

}  // namespace

void runSingleParticle(std::ostream& console)
{
    resetTally();
    prepareParticle();
    const int nocs = runConfig().nocs;
    Progress progress;
    progress.t0 = cpuSeconds();

    const int firstBatch = std::max(std::min(nocs, firstBatchCells), 1);
    ProgressCounts counts = simulateCells(firstBatch);
    progress.total = firstBatch;
    const double firstSeconds = cpuSeconds() - progress.t0;
    progress.measure(firstSeconds, nocs);
    const int batch = batchSize(firstSeconds, progress, nocs);
    const int batches = (nocs - firstBatchCells) / batch;
    if (batches >= 1) {
        writeProgressHeader(console, "sim/s");
        for (int b = 0; b < batches; ++b) {
            counts = simulateCells(batch);
            progress.total += batch;
            const double elapsed = cpuSeconds() - progress.t0;
            progress.measure(elapsed, nocs);
            writeLine(console, RecordForm::plain,
                      progressLine(elapsed / 60.0, progress.remaining / 60.0, counts,
                                   progress.total, progress.rate));
        }
    }
    simulateCells(nocs - progress.total);
    releaseParticle();
}

void runMixedField(std::ostream& console)
{
    resetTally();
    RunConfig& config = runConfig();
    if (config.nocs <= 0) {
        return;
    }
    writeProgressHeader(console, "Scoll");
    Progress progress;
    double cumulativeWeight = 0.0;
    progress.t0 = cpuSeconds();

    const int count = radiationField().componentCount;
    for (int k = 1; k <= count; ++k) {
        const int cells = static_cast<int>(config.nocs * component(k).weight);
        cumulativeWeight += component(k).weight;
        setParticle(component(k).name, component(k).kineticEnergy);
        computePendingComponentPhysics(k);
        prepareParticle();
        double tLast = cpuSeconds();
        for (int i = 1; i <= cells; ++i) {
            const ProgressCounts counts = simulateCells(1);
            progress.total += 1;
            const double t = cpuSeconds();
            if (t - tLast > refreshSeconds || i == cells) {
                tLast = t;
                const double elapsed = t - progress.t0;
                if (elapsed > 0.0) {
                    progress.measure(elapsed, config.nocs);
                    writeLine(console, RecordForm::plain,
                              progressLine(elapsed / 60.0, progress.remaining / 60.0, counts,
                                           progress.total,
                                           particleState().sTotal / cumulativeWeight));
                }
            }
        }
        releaseParticle();
    }
    while (progress.total < config.nocs) {
        simulateOneCellOf(componentAt(uniformStream(leftoverStream)));
        progress.total += 1;
    }
    config.nocs = progress.total;
}

}  // namespace kesp
