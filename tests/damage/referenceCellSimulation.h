#pragma once
// The cell simulation written step by step as the model describes it: base
// types drawn one by one, both strands cleared and scanned position by
// position, the repair list built by a full pass, clusters found with a
// cursor, and every tally entry of a cell formed anew from the list of the
// cell's clusters. Slow, but plain to check; the tests and the benchmark
// compare the program's fast core with it. Of the program's tally it uses
// only the record and its constants, none of the code that fills it.

#include <cstdint>
#include <memory>
#include <vector>

#include "kesp/damage/cellSimulation.h"
#include "kesp/damage/damageYields.h"

namespace kesp::reference {

struct DnaSegment {
    std::int32_t length = 0;
    // Entry p is position p; entry 0 is unused.
    std::unique_ptr<std::int32_t[]> strand1;
    std::unique_ptr<std::int32_t[]> strand2;
    std::unique_ptr<std::int32_t[]> baseType;  // 1..4
};

void allocateSegment(DnaSegment& segment, std::int32_t length);

std::int32_t& lesionAt(DnaSegment& segment, int strand, std::int32_t position);
std::int32_t lesionAt(const DnaSegment& segment, int strand, std::int32_t position);

// What the reference cells work on: its own segment, and generators and
// tally of the program's types, so that the two can be compared after the
// same cells.
struct Cells {
    DnaSegment segment;
    CombinedState generator;
    RandomStreams streams;
    ClusterTally tally;
};

// One draw of the combined generator per position, in increasing order.
void drawBaseTypes(DnaSegment& segment, CombinedState& generator);
void placeLesions(DnaSegment& segment, const DamageYields& yields, double fbl,
                  CombinedState& generator);
void applyChemicalRepair(DnaSegment& segment, const DamageYields& yields, RandomStreams& streams);

struct ClusterBounds {
    std::int32_t first = 0;
    std::int32_t last = 0;
    bool more = false;
};
// The next cluster from the cursor on; the cursor moves past it, back to 1
// after the last cluster of the segment.
ClusterBounds nextCluster(const DnaSegment& segment, std::int32_t& cursor);

struct ClusterClass {
    int code = 0;
    std::int32_t lesions = 0;
    std::int32_t strandBreaks = 0;
};
ClusterClass classifyCluster(const DnaSegment& segment, std::int32_t first, std::int32_t last);

// A cluster of the cell being tallied.
struct CellCluster {
    int code = 0;
    std::int32_t first = 0;
    std::int32_t last = 0;
    std::int32_t lesions = 0;
    std::int32_t strandBreaks = 0;
};

// Tallies one cell from the list of its clusters in position order, each of
// the given per-track weight: the class counts, every (size row, category)
// entry of the per-cell part, the run sums and the class percentages.
void tallyCell(ClusterTally& tally, const std::vector<CellCluster>& clusters, double weight);

// The same interface as the program's cell simulation, on the reference's
// own segment (allocated for the yields' segment length).
ProgressCounts simulateCells(Cells& cells, const CellDose& dose, int count);

}  // namespace kesp::reference
