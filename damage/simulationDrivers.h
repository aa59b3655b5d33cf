#pragma once
// The two ways a run simulates its cells.

#include <cstdint>

#include "damage/progressObserver.h"
#include "damage/runState.h"
#include "input/runSettings.h"

namespace kesp {

// Simulates all cells of a single-particle run in a few large batches, with
// the particle the state holds, reporting progress between batches.
void runSingleParticle(const RunSettings& settings, RunState& state, ProgressObserver& progress);

// Simulates a mixed field: each component its share of the cells, the cells
// left over by the rounding assigned at random by weight. Returns the number
// of cells simulated.
std::int32_t runMixedField(const RunSettings& settings, RunState& state, ProgressObserver& progress);

}  // namespace kesp
