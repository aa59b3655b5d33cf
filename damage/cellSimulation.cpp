#include "kesp/damage/cellSimulation.h"

#include <cstdint>

#include "kesp/damage/chemicalRepair.h"
#include "kesp/damage/clusterFinder.h"
#include "kesp/damage/lesionPlacement.h"

namespace kesp {

namespace {

double classTotal(const ClusterTally& tally, int firstCode, int lastCode)
{
    std::int64_t total = 0;
    for (int code = firstCode; code <= lastCode; ++code) {
        total += tally.classCount[static_cast<std::size_t>(code)];
    }
    return static_cast<double>(total);
}

// Gathers the clusters of a segment or of lesion maps in a cell tally.
template <typename Lesions>
void tallyClustersOf(const Lesions& lesions, CellTally& cell, double weight)
{
    clearCellTally(cell);
    CellClusterSums sums{cell, weight};
    scanClusters(lesions, [&sums](const ClusterBuilder& cluster, const ClusterClass& found) {
        sums.add(found.code, cluster.first, cluster.last, found.lesions, found.strandBreaks);
    });
    sums.finish();
}

void simulateCell(CellSimulation& cells, const CellDose& dose)
{
    placeCellLesions(cells.segment, dose, cells.generator);
    applyChemicalRepair(cells.segment, dose.yields, cells.streams);
    tallyCellClusters(cells.segment, cells.cell, dose.trackWeight);
    endCell(cells.tally, cells.cell);
}

}  // namespace

void placeCellLesions(DnaSegment& segment, const CellDose& dose, CombinedState& generator,
                      std::vector<std::uint64_t>* strandBreakMap)
{
    skipBaseTypes(segment, generator);
    placeLesions(segment, dose.yields, dose.fbl, generator, strandBreakMap);
}

void tallyCellClusters(const DnaSegment& segment, CellTally& cell, double weight)
{
    tallyClustersOf(segment, cell, weight);
}

void tallyCellClusters(const LesionMaps& maps, CellTally& cell, double weight)
{
    tallyClustersOf(maps, cell, weight);
}

ProgressCounts progressCountsOf(const ClusterTally& tally)
{
    return ProgressCounts{classTotal(tally, classSsb, classTwoSsb) / 6.0,
                          classTotal(tally, classDsb, classDsbPlusPlus) / 6.0,
                          classTotal(tally, classBaseDamageOnly, classDsbPlusPlus) / 6.0};
}

ProgressCounts simulateCells(CellSimulation& cells, const CellDose& dose, int count)
{
    if (count <= 0) {
        return ProgressCounts{};
    }
    for (int cell = 0; cell < count; ++cell) {
        simulateCell(cells, dose);
    }
    return progressCountsOf(cells.tally);
}

}  // namespace kesp
