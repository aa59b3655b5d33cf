#pragma once
// What one run changes as it goes: the particle type being treated, the
// range table the run holds, the damage yields, the cells' segment, random
// generators and tally. Built from the run's settings, which stay read-only;
// two runs never share a mutable byte.

#include <cstdint>
#include <memory>

#include "kesp/damage/cellSimulation.h"
#include "kesp/damage/damageYields.h"
#include "kesp/input/runSettings.h"
#include "kesp/physics/particleSetup.h"
#include "kesp/physics/particleState.h"
#include "kesp/physics/rangeTable.h"

namespace kesp {

struct RunState {
    // Seeds both generators (a seed of 0 from the clock) and sets up the
    // first component of the field.
    explicit RunState(const RunSettings& settings);

    std::int32_t seed = 0;      // the seed in use
    ParticleState particle;     // the particle type being treated
    // The range table the run holds: the one built last, all zero before
    // any. Setting up a particle works out its microdosimetry along this
    // table, which is then still an earlier particle's; only building the
    // particle's own table replaces it. In a mixed field it is the last
    // component's once the component physics is done, and the zf it gives
    // each component is the per-track weight of that component's clusters.
    RangeTable currentRangeTable;
    // Every table built in the run, by particle and energy (safe to use
    // from the threads that work out a mixed field's components).
    RangeTableCache rangeTables;
    DamageYields yields;  // of the particle type being treated
    CellSimulation cells;
    // The threads the run may use for its cells and a mixed field's
    // component physics: the CPUs of the process's affinity mask unless the
    // caller gives fewer.
    unsigned threads = 1;
};

// Makes the component the particle being treated (with the range table the
// run holds, see currentRangeTable) and works out its damage yields.
void setUpParticle(RunState& state, const RunSettings& settings, const FieldComponent& component);

// Builds the range table of the particle being treated and makes it the one
// the run holds.
void buildOwnRangeTable(RunState& state);

}  // namespace kesp
