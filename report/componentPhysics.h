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

// While the field still has its physics pending: builds the range table of
// the current particle (set up for component `position`) and stores its
// stopping powers, dosimetry and range in that component's entry, leaving the
// particle's own record alone; the flag is cleared after the last component.
void computePendingComponentPhysics(int position);

}  // namespace kesp
