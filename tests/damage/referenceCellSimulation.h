#pragma once
// The cell simulation written step by step as the model describes it: base
// types drawn one by one, both strands cleared and scanned position by
// position, the repair list built by a full pass, clusters found with a
// cursor, and the whole per-cell tally cleared and folded. Slow, but plain to
// check; the tests and the benchmark compare the program's fast core with it.

#include <cstdint>
#include <memory>

#include "damage/cellSimulation.h"
#include "damage/damageYields.h"

namespace kesp::reference {

struct DnaSegment {
    std::int32_t length = 0;
    // Entry p is position p; entry 0 is unused.
    std::unique_ptr<std::int32_t[]> strand1;
    std::unique_ptr<std::int32_t[]> strand2;
    std::unique_ptr<std::int32_t[]> baseType;  // 1..4
};

DnaSegment& dnaSegment();
void allocateSegment(DnaSegment& segment, std::int32_t length);

std::int32_t& lesionAt(DnaSegment& segment, int strand, std::int32_t position);
std::int32_t lesionAt(const DnaSegment& segment, int strand, std::int32_t position);

// One draw of the combined generator per position, in increasing order.
void drawBaseTypes(DnaSegment& segment);
void placeLesions(DnaSegment& segment, const DamageYields& yields, double fbl);
void applyChemicalRepair(DnaSegment& segment, const DamageYields& yields);

struct ClusterBounds {
    std::int32_t first = 0;
    std::int32_t last = 0;
    bool more = false;
};
ClusterBounds nextCluster(const DnaSegment& segment);

struct ClusterClass {
    int code = 0;
    std::int32_t lesions = 0;
    std::int32_t strandBreaks = 0;
};
ClusterClass classifyCluster(const DnaSegment& segment, std::int32_t first, std::int32_t last);

// The per-cell part of the tally, every entry every time.
void clearCellTally();
void tallyCluster(int code, std::int32_t first, std::int32_t last, std::int32_t lesions,
                  std::int32_t strandBreaks);
void endCell();

// The same interface as the program's cell simulation, on the reference's
// own segment and the same generators and tally.
void prepareParticle();
void releaseParticle();
ProgressCounts simulateCells(int count);

}  // namespace kesp::reference
