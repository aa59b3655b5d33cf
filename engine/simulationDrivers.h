#pragma once
// The two ways a run simulates its cells.

#include <cstdint>
#include <vector>

#include "kesp/engine/progressObserver.h"
#include "kesp/engine/runState.h"
#include "kesp/support/stopFlag.h"
#include "kesp/input/runSettings.h"

namespace kesp {

// Both look at `stop` before each cell and end there once it is set; the
// cells they simulate are drawn as in a run that is not stopped.

// Simulates all cells of a single-particle run in a few large batches, with
// the particle the state holds, reporting progress between batches. Returns
// the number of cells simulated.
std::int32_t runSingleParticle(const RunSettings& settings, RunState& state, ProgressObserver& progress,
                               const StopFlag& stop = neverStopped);

// What a mixed field's cells were, component by component, in component
// order: how many, and their DSB sums.
struct MixedFieldCells {
    std::vector<std::int32_t> cells;
    std::vector<DsbCounts> dsb;
};

// Simulates a mixed field: each component its share of the cells, the cells
// left over by the rounding assigned at random by weight.
MixedFieldCells runMixedField(const RunSettings& settings, RunState& state, ProgressObserver& progress,
                              const StopFlag& stop = neverStopped);

}  // namespace kesp
