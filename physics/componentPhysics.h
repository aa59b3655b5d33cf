#pragma once
/// \file
/// Per-component physics of a mixed field: stopping powers, dosimetry and CSDA
/// range of each component with its own range table, worked out on all cores.

#include <exception>
#include <memory>
#include <span>
#include <vector>

#include "kesp/physics/rangeTable.h"
#include "kesp/support/stopFlag.h"

namespace kesp {

/// The physics of one component of a field at its kinetic energy: stopping
/// powers in water, dosimetry in the nucleus and CSDA range.
struct ComponentPhysics {
    double sElectronic = 0.0;  ///< electronic (collisional) stopping power, keV/um
    double sRadiative = 0.0;   ///< radiative stopping power, keV/um; 0 for ions
    double sNuclear = 0.0;     ///< nuclear stopping power, keV/um; 0 for the electron
    double sTotal = 0.0;       ///< total stopping power, the sum of the three, keV/um
    double dpuf = 0.0;         ///< absorbed dose per unit fluence, nGy cm^2
    double yf = 0.0;           ///< frequency-mean lineal energy in the nucleus, keV/um
    double zf = 0.0;           ///< frequency-mean specific energy in the nucleus, Gy
    double rangeCsda = 0.0;    ///< CSDA range at the component's kinetic energy, cm

    /// Equal when every value is equal.
    bool operator==(const ComponentPhysics&) const = default;
};

/// What workOutComponents() gives for one component: its physics and range
/// table, or the error that kept them from being worked out.
struct WorkedComponent {
    ComponentPhysics physics;                 ///< the component's physics; to be read only when workedOut and without error
    std::shared_ptr<const RangeTable> table;  ///< the component's own range table
    std::exception_ptr error;                 ///< why its physics could not be worked out, if so
    bool workedOut = false;                   ///< false when a stop came before it was begun
};

/// The physics of each component of a field, worked out side by side.
/// Entry i is the physics of kinds[i] crossing a nucleus of diameter d (um):
/// its range table, stopping power and microdosimetry along that table, and
/// the range at its kinetic energy. Worked out with up to `threads` threads
/// (at least one, never more than there are components); the results are
/// the same as one by one. An error in one component's integrals is kept in
/// its entry, so that the caller meets it in component order. Once `stop` is
/// set no further component is begun: those begun are finished, the others
/// are left with workedOut false.
std::vector<WorkedComponent> workOutComponents(std::span<const ParticleKind> kinds, double d,
                                               RangeTableCache& tables, unsigned threads,
                                               const StopFlag& stop = neverStopped);

}  // namespace kesp
