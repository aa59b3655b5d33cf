#pragma once
// Simulation of cells for one particle type: lesion placement, chemical
// repair, cluster finding and tallying, cell by cell.

#include <cstdint>
#include <vector>

#include "kesp/damage/clusterTally.h"
#include "kesp/damage/damageYields.h"
#include "kesp/damage/progressCounts.h"
#include "kesp/damage/dnaSegment.h"
#include "kesp/support/combinedGenerator.h"
#include "kesp/support/randomStream.h"

namespace kesp {

// What simulating cells works on and changes: the DNA segment, the two random
// generators and the tally. One run owns one.
struct CellSimulation {
    DnaSegment segment;
    CombinedState generator;
    RandomStreams streams;
    ClusterTally tally;
    CellTally cell;  // the clusters of the cell under way
};

// What the cells of one particle type receive: its yields, the share of Bl
// among the base damages and the per-track weight of its clusters.
struct CellDose {
    const DamageYields& yields;
    double fbl;
    double trackWeight;
};

// The first step of a cell: skips its base-type draws and places its
// lesions on the segment, with the combined generator (copying the
// occupancy into the strand-break map, if there is one, once the strand
// breaks are placed).
void placeCellLesions(DnaSegment& segment, const CellDose& dose, CombinedState& generator,
                      std::vector<std::uint64_t>* strandBreakMap = nullptr);

// Cuts the lesions of a cell's segment, or of its lesion maps, into
// clusters and gathers them, with the given per-track weight, in a cell
// tally, which endCell then folds into the run's tally.
void tallyCellClusters(const DnaSegment& segment, CellTally& cell, double weight);
void tallyCellClusters(const LesionMaps& maps, CellTally& cell, double weight);

// The run totals of clusters so far.
ProgressCounts progressCountsOf(const ClusterTally& tally);

// Simulates `count` cells into the tally; returns the run totals so far, or
// zeros (and does nothing) when count is 0 or negative. The segment must
// have been allocated for the yields' segment length.
ProgressCounts simulateCells(CellSimulation& cells, const CellDose& dose, int count);

}  // namespace kesp
