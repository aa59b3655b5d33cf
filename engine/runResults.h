#pragma once
/// \file
/// What a run computes, as typed values: the physics of its particle or of
/// its mixed field's components, and the cluster statistics.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "kesp/damage/clusterStatistics.h"
#include "kesp/damage/clusterTally.h"
#include "kesp/damage/damageYields.h"
#include "kesp/engine/namedResults.h"
#include "kesp/physics/componentPhysics.h"
#include "kesp/physics/particleState.h"

namespace kesp {

/// The particle of a single-particle run as the report shows it: identity,
/// kinematics, (Zeff/beta)^2, stopping powers, dpuf, yf and zf with its own
/// range table, and its CSDA range. The engine's state, under the physics
/// code's short names; RunResults::particleQuantities() gives the same under
/// names with their units (kineticEnergyMeV, zeffOverBetaSquared, ...).
struct ParticlePhysics {
    ParticleState particle;  ///< the particle at its kinetic energy, with its physics
    double csdaRange = 0.0;  ///< CSDA range at its kinetic energy, cm
};

/// One component of a mixed field as its tables show it.
struct ComponentRow {
    std::string name;               ///< 5-character particle name
    double weight = 0.0;            ///< normalised share of the field
    double kineticEnergy = 0.0;     ///< kinetic energy of the whole particle, MeV
    double energyPerNucleon = 0.0;  ///< MeV/A, 0 for the electron: the tables' column
    double kineticEnergyPerNucleonMeV = 0.0;  ///< the results' MeV/A, the electron's per u (kineticEnergyPerNucleon)
    double zeffOverBetaSquared = 0.0;        ///< (Zeff/beta)^2
    double dsbHypoxiaReductionFactor = 0.0;  ///< HRF for DSB induction, [1/(1-pcr)]^2
    ComponentPhysics physics;                ///< stopping powers, dosimetry and CSDA range with its own range table
};

/// Everything a run computes and its report shows: the physics, the damage
/// yields and the cluster statistics, with the cells they are of. A value,
/// read from any number of threads.
struct RunResults {
    bool singleParticle = true;           ///< one particle type; false for a mixed field
    ParticlePhysics particle;             ///< single-particle runs
    DamageYields yields;                  ///< single-particle runs: of the particle
    std::vector<ComponentRow> components; ///< mixed fields: components 1..N in order
    ClusterTally tally;                   ///< finalised: means and SEM per 6 Gbp
    ClusterStatistics statistics;         ///< TABLE 1 to TABLE 6 as the report prints them
    std::int32_t cellsSimulated = 0;      ///< cells the statistics are of
    std::int32_t cellsRequested = 0;      ///< nocs of the settings
    /// Mixed fields: the cells simulated of components 1..N, in order (their
    /// sum is cellsSimulated); empty for a single particle.
    std::vector<std::int32_t> componentCells;
    /// Mixed fields: the DSB sums of components 1..N's own cells, in order.
    std::vector<DsbCounts> componentDsb;
    bool interrupted = false;             ///< stopped on request before cellsRequested; the
                                          ///< statistics are of the cells simulated (none when 0)
    std::int32_t seed = 0;                ///< the seed used (from the clock when 0 was asked for)

    /// Whether the statistics are those of the radiation the settings give.
    /// A single particle stopped early has the statistics of a run asked for
    /// the cells it did. A mixed field simulates its components one after
    /// the other, so one stopped early holds only its first components'
    /// cells (componentCells says which): its statistics are not the field's.
    bool statisticsDescribeTheRadiation() const { return singleParticle || !interrupted; }

    // Named access to the statistics (engine/namedResults.h).

    /// The clusters of a category per Gy, per cell and per Gbp; empty where
    /// no cell had one. No standard error when fewer than 2 cells were
    /// simulated.
    std::optional<ClusterYield> clusters(ClusterCategory category) const;
    /// An entry of TABLES 2 to 6; empty where the report prints "---". No
    /// standard error when fewer than 2 cells were simulated.
    std::optional<Estimate> entry(ClusterTable table, ClusterRow row, ClusterCategory category) const;
    /// TABLE 1's percentage of a class, %.
    double percent(ComplexityClass complexityClass) const;

    /// Single particle (a contract check): its physics. The electron's energy per nucleon is
    /// per u of its mass, as the report prints it (kineticEnergyPerNucleon).
    ParticleQuantities particleQuantities() const;
    /// Mixed field: components 1..N in order, each with the cells simulated
    /// of it; a component's physics is what a single run of its particle
    /// gives.
    std::vector<ComponentResult> componentResults() const;
    /// Mixed field (a contract check): the average row of its tables, with
    /// all its cells.
    ComponentResult fieldAverageResult() const;
};

}  // namespace kesp
