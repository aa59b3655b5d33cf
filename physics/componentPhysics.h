#pragma once
// Per-component physics of a mixed field: stopping powers, dosimetry and CSDA
// range of each component with its own range table, worked out on all cores.

#include <exception>
#include <memory>
#include <span>
#include <vector>

#include "kesp/physics/rangeTable.h"
#include "kesp/support/stopFlag.h"

namespace kesp {

struct ComponentPhysics {
    double sElectronic = 0.0;  // keV/um
    double sRadiative = 0.0;   // keV/um; 0 for ions
    double sNuclear = 0.0;     // keV/um; 0 for the electron
    double sTotal = 0.0;       // keV/um
    double dpuf = 0.0;         // nGy cm^2
    double yf = 0.0;           // keV/um
    double zf = 0.0;           // Gy
    double rangeCsda = 0.0;    // cm

    bool operator==(const ComponentPhysics&) const = default;
};

struct WorkedComponent {
    ComponentPhysics physics;
    std::shared_ptr<const RangeTable> table;  // the component's own range table
    std::exception_ptr error;                 // why its physics could not be worked out, if so
    bool workedOut = false;                   // false when a stop came before it was begun
};

// Entry i is the physics of kinds[i] crossing a nucleus of diameter d (um):
// its range table, stopping power and microdosimetry along that table, and
// the range at its kinetic energy. Worked out with up to `threads` threads
// (at least one, never more than there are components); the results are
// the same as one by one. An error in one component's integrals is kept in
// its entry, so that the caller meets it in component order. Once `stop` is
// set no further component is begun: those begun are finished, the others
// are left with workedOut false.
std::vector<WorkedComponent> workOutComponents(std::span<const ParticleKind> kinds, double d,
                                               RangeTableCache& tables, unsigned threads,
                                               const StopFlag& stop = neverStopped);

}  // namespace kesp
