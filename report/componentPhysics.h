#pragma once
// Per-component physics of a mixed field, computed once and shared by the
// console summary, the report table and the mixed-field driver.

#include <array>

#include "input/radiationField.h"

namespace kesp {

struct ComponentPhysics {
    double sElectronic = 0.0;  // keV/um
    double sRadiative = 0.0;   // keV/um
    double sTotal = 0.0;       // keV/um
    double dpuf = 0.0;         // nGy cm^2
    double yf = 0.0;           // keV/um
    double zf = 0.0;           // Gy
    double rangeCsda = 0.0;    // cm
};

// Positions 1..10000 match the field components; position 0 is unused.
using ComponentPhysicsTable = std::array<ComponentPhysics, maxFieldComponents + 1>;

ComponentPhysicsTable& componentPhysics();

// While the field still has its physics pending: stores the stopping powers,
// dosimetry and range of component `position` (the current particle, just
// set up by the caller) in its entry and leaves that component's range table
// in ParticleState, the particle's own stopping powers and dosimetry alone;
// the flag is cleared after the last component. The components from
// `position` on are worked out together on all cores the first time one of
// them is asked for; the results are the same as one by one.
void computePendingComponentPhysics(int position);

// Works out the physics of the components from `first` on, with up to
// `threads` threads, for computePendingComponentPhysics to hand out. Stops at
// the first component whose set-up fails (its physics depends on the
// particle set up before it; it is worked out on its own when its turn comes).
void precomputeComponentPhysics(int first, unsigned threads);

// Forgets the worked-out components not yet handed out (tests and benchmarks).
void discardPrecomputedPhysics();

}  // namespace kesp
