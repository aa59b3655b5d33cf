#pragma once
/// \file
/// KESP as a library: settings in, typed results out. One run is one object
/// that owns everything it changes, so runs may go on side by side on
/// several threads. Errors arrive as RunError (support/runError.h), never as
/// a process exit.
///
/// \code{.cpp}
/// kesp::RunSettings settings;                     // or kesp::readInputFile("run.inp")
/// settings.field = kesp::singleParticleField("p", 10.0);
/// settings.cells = 1000;
/// settings.threads = 1;                           // 0 (the default): the CPUs of the affinity mask
/// kesp::NoProgress quiet;
/// const kesp::RunResults results = kesp::simulate(settings, quiet);
/// double dsbPerCellPerGy = results.clusters(kesp::ClusterCategory::dsb)->perCellPerGy.mean;
/// \endcode

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "kesp/damage/damageYields.h"
#include "kesp/engine/progressObserver.h"
#include "kesp/engine/radiationPhysics.h"
#include "kesp/engine/runResults.h"
#include "kesp/support/stopFlag.h"
#include "kesp/input/inputReader.h"
#include "kesp/input/runSettings.h"
#include "kesp/support/runError.h"

namespace kesp {

struct RunState;

/// The most threads a run takes (RunSettings::threads). A run starts no
/// more threads than it has cells (or a mixed field components), whatever
/// it is given; a count above this limit is refused with a RunError of
/// kind usage, since a caller cannot mean it (the threads would all be
/// started before the first cell).
inline constexpr unsigned maxThreads = 1024;

/// One run, in the steps the program shows them: the set-up (on
/// construction), the particle or mixed-field physics, the simulation. Each
/// step does its work once and runs the ones before it that are still to do.
/// A run is used from one thread at a time; separate runs may go on side by
/// side.
class SimulationRun {
public:
    /// Checks the settings (at least one cell, DNA content and nucleus
    /// diameter above 0, a fraction Bl/Bd within 0 and 1, the oxygen and
    /// DMSO models within their ranges, each component a particle that can
    /// be set up with the run's mass constants; the field itself holds its
    /// own invariants), seeds the generators and sets up the first component.
    /// Throws RunError of kind input for settings that break these, and of
    /// kind usage for settings whose field was moved from (no components)
    /// or that ask for more than maxThreads threads.
    explicit SimulationRun(RunSettings settings);
    /// The same, taking the physics of its radiation from another run of the
    /// same radiation, mass constants and nucleus diameter (see
    /// radiationPhysics) instead of working it out; the results are those of
    /// a run of its own. Throws RunError (kind usage) for physics of another
    /// radiation; none (nullptr) makes the run work out its own.
    SimulationRun(RunSettings settings, std::shared_ptr<const RadiationPhysics> physics);
    /// Ends the run and frees what it holds.
    ~SimulationRun();
    /// Takes over the other run. A run that was moved from throws RunError
    /// (kind usage) when it is used.
    SimulationRun(SimulationRun&&) noexcept;
    /// Takes over the other run; the other throws RunError (kind usage) when
    /// it is used afterwards.
    SimulationRun& operator=(SimulationRun&&) noexcept;

    /// The settings the run was made with.
    const RunSettings& settings() const { return settings_; }
    /// The random number seed the run uses: the settings' seed, or the clock
    /// seed drawn for a seed of 0.
    std::int32_t seed() const;
    /// The yields of the particle set up last (for a single particle: its own).
    const DamageYields& damageYields() const;

    /// Single particle: the physics with the particle's own range table.
    /// Throws RunError when it gives no usable result (kind physics or
    /// nonFiniteResult).
    const ParticlePhysics& particlePhysics();
    /// Mixed field: the rows of all components. When a component's physics
    /// fails, the error is thrown and completedRows holds those before it.
    /// Once `stop` is set no further component is begun and the rows done so
    /// far are returned, with componentRowsComplete() false; a later call
    /// goes on from there.
    const std::vector<ComponentRow>& componentRows(const StopFlag& stop = neverStopped);
    /// Whether componentRows() has the rows of every component.
    bool componentRowsComplete() const { return rowsComplete_; }
    /// The component rows worked out so far, in component order.
    const std::vector<ComponentRow>& completedRows() const { return rows_; }

    /// The physics of the run's radiation, worked out as particlePhysics() or
    /// componentRows() does, for other runs of the same radiation to share;
    /// nothing when it could not be worked out (the error is thrown).
    std::shared_ptr<const RadiationPhysics> radiationPhysics();

    /// Simulates the cells and returns everything the report shows; once per
    /// run (a second call throws RunError of kind usage). A mixed field stopped while its
    /// physics is worked out ends before its first cell. Once `stop` is set the run ends
    /// after the cell it is simulating, with the statistics of the cells
    /// done. For a single particle these are those of a run asked for that
    /// many cells; a mixed field's are of its first components only, not of
    /// the field (see RunResults::statisticsDescribeTheRadiation).
    RunResults simulate(ProgressObserver& progress, const StopFlag& stop = neverStopped);

private:
    // The state; throws RunError for a run that was moved from.
    RunState& state() const;
    static std::vector<WorkedComponent> componentsOf(const RadiationPhysics& physics, std::size_t first);
    std::vector<WorkedComponent> workOutComponents(std::size_t first, const StopFlag& stop);

    RunSettings settings_;
    // Given, or once complete worked out by this run.
    std::shared_ptr<const RadiationPhysics> physics_;
    std::unique_ptr<RunState> state_;
    std::optional<ParticlePhysics> particlePhysics_;
    std::vector<ComponentRow> rows_;
    std::vector<std::shared_ptr<const RangeTable>> rowTables_;  // the own range tables of rows_
    bool rowsComplete_ = false;
    bool simulated_ = false;
};

/// A whole run: SimulationRun(settings).simulate(progress, stop), with the
/// errors that those throw.
RunResults simulate(const RunSettings& settings, ProgressObserver& progress,
                    const StopFlag& stop = neverStopped);

}  // namespace kesp
