#include "damage/cellSimulation.h"

#include <cstdint>

#include "damage/chemicalRepair.h"
#include "damage/clusterFinder.h"
#include "damage/clusterTally.h"
#include "damage/damageYields.h"
#include "damage/dnaSegment.h"
#include "damage/lesionPlacement.h"
#include "input/runConfig.h"
#include "physics/particleState.h"

namespace kesp {

namespace {

void tallySegmentClusters(const DnaSegment& segment, double weight)
{
    ClusterTally& tally = clusterTally();
    CellClusterSums sums{tally, touchedEntries(), weight};
    scanClusters(segment, [&tally, &sums](const ClusterBuilder& cluster, const ClusterClass& found) {
        tally.classCount[static_cast<std::size_t>(found.code)] += 1;
        sums.add(found.code, cluster.first, cluster.last, found.lesions, found.strandBreaks);
    });
    sums.finish();
}

void simulateCell(DnaSegment& segment, const DamageYields& yields, double fbl)
{
    skipBaseTypes(segment);
    placeLesions(segment, yields, fbl);
    applyChemicalRepair(segment, yields);
    clearCellTally();
    tallySegmentClusters(segment, particleState().zf);
    endCell();
}

double classTotal(int firstCode, int lastCode)
{
    std::int64_t total = 0;
    for (int code = firstCode; code <= lastCode; ++code) {
        total += clusterTally().classCount[static_cast<std::size_t>(code)];
    }
    return static_cast<double>(total);
}

}  // namespace

void prepareParticle()
{
    computeDamageYields();
    allocateSegment(dnaSegment(), damageYields().segmentLength);
}

void releaseParticle()
{
    releaseSegment(dnaSegment());
}

ProgressCounts simulateCells(int count)
{
    if (count <= 0) {
        return ProgressCounts{};
    }
    const DamageYields& yields = damageYields();
    const double fbl = runConfig().fbl;
    for (int cell = 0; cell < count; ++cell) {
        simulateCell(dnaSegment(), yields, fbl);
    }
    return ProgressCounts{classTotal(classSsb, classTwoSsb) / 6.0,
                          classTotal(classDsb, classDsbPlusPlus) / 6.0,
                          classTotal(classBaseDamageOnly, classDsbPlusPlus) / 6.0};
}

}  // namespace kesp
