#include "kesp/engine/engine.h"

#include <algorithm>
#include <limits>

#include "kesp/engine/resultChecks.h"
#include "kesp/engine/runState.h"
#include "kesp/engine/simulationDrivers.h"
#include "kesp/input/blockReaders.h"
#include "kesp/input/settingsCheck.h"
#include "kesp/physics/microdosimetry.h"
#include "kesp/physics/particleSetup.h"
#include "kesp/support/cpuAffinity.h"
#include "kesp/support/numberFormat.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

ParticleKind kindOfComponent(const FieldComponent& component, const RunSettings& settings)
{
    return kindOf(describeParticle(component.nameField(), component.kineticEnergy,
                                   massConstantsFor(settings.masses2006)).particle);
}

// A component whose particle cannot be set up would be simulated with the
// data of the one before it.
void requireUsableComponents(const RunSettings& settings)
{
    const MassConstants& masses = massConstantsFor(settings.masses2006);
    for (int i = 1; i <= settings.field.componentCount(); ++i) {
        const FieldComponent& component = settings.field.component(i);
        if (describeParticle(component.nameField(), component.kineticEnergy, masses).status
            == ParticleStatus::notUsable) {
            stopRun(ErrorKind::input, "Component " + std::to_string(i) + " of the radiation field: the particle \""
                    + component.name + "\" at "
                    + renderNumber(component.kineticEnergy, "E5").text
                    + " MeV cannot be set up; give e, p or a nuclide such as 4He, and a kinetic energy > 0.");
        }
    }
}

// Every component is held to the rule the particle section holds a single
// particle to, before any physics is worked out: a kinetic energy whose
// momentum is not finite stops the run, in a mixed field as alone.
void requireFiniteComponentKinematics(const RunSettings& settings)
{
    const MassConstants& masses = massConstantsFor(settings.masses2006);
    for (int i = 1; i <= settings.field.componentCount(); ++i) {
        const FieldComponent& component = settings.field.component(i);
        const DescribedParticle described = describeParticle(component.nameField(), component.kineticEnergy, masses);
        checkParticleKinematics(described.particle, i, settings);
    }
}

bool within(double value, double low, double high)
{
    return value >= low && value <= high;  // false for NaN
}

// Settings built in code may hold what the input reader never gives: each
// value must lie where the reader would have put it.
void requireValidSettings(const RunSettings& settings)
{
    const auto refuse = [](const std::string& what) {
        stopRun(ErrorKind::input, "The run settings are not valid: " + what + ".");
    };
    const double smallest = std::numeric_limits<double>::min();
    const double largest = std::numeric_limits<double>::max();
    if (settings.cells < 1) {
        refuse("the number of cells must be at least 1");
    }
    if (!within(settings.dnaContent, smallest, largest) || !within(settings.nucleusDiameter, smallest, largest)) {
        refuse("the DNA content and the nucleus diameter must be finite and greater than 0");
    }
    if (!within(settings.unrepairableBaseFraction, 0.0, 1.0)) {
        refuse("the fraction Bl/Bd (unrepairableBaseFraction) must lie within 0 and 1");
    }
    if (!within(settings.oxygenPercent, 0.0, 100.0)) {
        refuse("the oxygen concentration oxygenPercent must lie within 0 and 100 % O2 (760 mmHg is 100 %)");
    }
    const OxygenModel& oxygen = settings.oxygenModel;
    if (!within(oxygen.maximumEnhancement, smallest, largest) || !within(oxygen.halfEffectZeb, smallest, largest)
        || !within(oxygen.steepness, smallest, largest) || !within(oxygen.halfEffectOxygen, smallestK, 100.0)) {
        refuse("the oxygen model needs maximumEnhancement, halfEffectZeb and steepness finite and above 0, and "
               "halfEffectOxygen within 2.2E-16 and 100 % O2");
    }
    const DmsoModel& dmso = settings.dmso;
    if (!within(dmso.concentration, 0.0, largest) || !within(dmso.nonScavengeableFraction, 0.0, 1.0)
        || !within(dmso.halfLevelConcentration, 0.0, 1.0)) {
        refuse("the DMSO model needs concentration finite and >= 0, and nonScavengeableFraction and "
               "halfLevelConcentration within 0 and 1");
    }
}

// A thread count a caller can mean; a larger one is a mistake (the
// threads would be started before the first cell).
void requireThreadCount(const RunSettings& settings)
{
    if (settings.threads > maxThreads) {
        stopRun(ErrorKind::usage, "The run settings ask for threads = " + std::to_string(settings.threads)
                                      + "; at most " + std::to_string(maxThreads)
                                      + " are allowed (0 takes the CPUs the process may use).");
    }
}

// No more threads than there is work for: a run never has more cells, or a
// mixed field more components, at once than these.
unsigned threadsFor(const RunSettings& settings)
{
    const unsigned asked = settings.threads > 0 ? settings.threads : affinityCpuCount();
    const auto work = static_cast<unsigned>(std::max(settings.cells, settings.field.componentCount()));
    return std::max(1u, std::min(asked, work));
}

ComponentRow rowOf(const FieldComponent& component, const RunState& state)
{
    const double pcr = state.yields.repairProbability;
    const double f = pcr > 0.0 ? 1.0 / (1.0 - pcr) : 1.0;
    const ParticleState& particle = state.particle;
    ComponentRow row;
    row.name = component.nameField();
    row.weight = component.weight;
    row.kineticEnergy = particle.T;
    row.energyPerNucleon = particle.A >= 1 ? particle.T / particle.A : 0.0;
    row.kineticEnergyPerNucleonMeV = kineticEnergyPerNucleon(particle);
    row.zeffOverBetaSquared = particle.zeb;
    row.dsbHypoxiaReductionFactor = f * f;
    return row;
}

}  // namespace

SimulationRun::SimulationRun(RunSettings settings) : SimulationRun(std::move(settings), nullptr) {}

SimulationRun::SimulationRun(RunSettings settings, std::shared_ptr<const RadiationPhysics> physics)
    : settings_(std::move(settings)), physics_(std::move(physics))
{
    requireComponents(settings_);
    requireThreadCount(settings_);
    requireValidSettings(settings_);
    requireUsableComponents(settings_);
    requireFiniteComponentKinematics(settings_);
    if (physics_ && physics_->key() != radiationPhysicsKey(settings_)) {
        stopRun(ErrorKind::usage, "The physics given to this run was worked out for another radiation, set of mass "
                                  "constants or nucleus diameter; give a run only the physics of a run of the same.");
    }
    state_ = std::make_unique<RunState>(settings_);
    state_->threads = threadsFor(settings_);
}

// A run that was moved from has no state; using it is a caller's mistake
// that must not reach a null pointer.
RunState& SimulationRun::state() const
{
    if (!state_) {
        stopRun(ErrorKind::usage, "This run was moved to another SimulationRun; use that one.");
    }
    return *state_;
}

SimulationRun::~SimulationRun() = default;
SimulationRun::SimulationRun(SimulationRun&&) noexcept = default;
SimulationRun& SimulationRun::operator=(SimulationRun&&) noexcept = default;

std::int32_t SimulationRun::seed() const
{
    return state().seed;
}

const DamageYields& SimulationRun::damageYields() const
{
    return state().yields;
}

const ParticlePhysics& SimulationRun::particlePhysics()
{
    if (!particlePhysics_) {
        RunState& state = this->state();
        const double d = settings_.nucleusDiameter;
        if (physics_) {
            state.particle = physics_->particle()->particle;
            state.currentRangeTable = physics_->heldTable();
        } else {
            // The particle was set up along the all-zero table of a new run;
            // its microdosimetry is worked out anew along its own table.
            buildOwnRangeTable(state);
            refreshStoppingAndMicrodosimetry(state.particle, state.currentRangeTable, d);
        }
        requireFiniteMicrodosimetry(state.particle.dpuf, state.particle.yf, state.particle.zf, d);
        const ParticlePhysics physics =
            physics_ ? *physics_->particle()
                     : ParticlePhysics{state.particle, csdaRange(kindOf(state.particle), state.particle.T)};
        checkParticlePhysics(physics, settings_);
        particlePhysics_ = physics;
        if (!physics_) {
            physics_.reset(new RadiationPhysics(radiationPhysicsKey(settings_), physics, {}, {},
                                                state.currentRangeTable));
        }
    }
    return *particlePhysics_;
}

// Each component is set up in turn (its microdosimetry along the range
// table the run holds), then its own physics is taken and its range table
// becomes the one the run holds, as the one-by-one computation leaves it.
const std::vector<ComponentRow>& SimulationRun::componentRows(const StopFlag& stop)
{
    if (rowsComplete_) {
        return rows_;
    }
    RunState& state = this->state();
    const RadiationField& field = settings_.field;
    const double d = settings_.nucleusDiameter;
    const std::vector<WorkedComponent> worked = physics_ ? componentsOf(*physics_, rows_.size())
                                                         : workOutComponents(rows_.size(), stop);
    for (const WorkedComponent& component : worked) {
        if (!component.workedOut) {
            return rows_;  // stopped: the rows so far, in order
        }
        const int position = static_cast<int>(rows_.size()) + 1;
        setUpParticle(state, settings_, field.component(position));
        ComponentRow row = rowOf(field.component(position), state);
        if (component.error) {
            std::rethrow_exception(component.error);
        }
        row.physics = component.physics;
        state.currentRangeTable = *component.table;
        requireFiniteMicrodosimetry(row.physics.dpuf, row.physics.yf, row.physics.zf, d);
        checkComponentRow(row, position, settings_);
        rows_.push_back(row);
        rowTables_.push_back(component.table);
    }
    checkComponentAverages(rows_, settings_);
    rowsComplete_ = true;
    if (!physics_) {
        std::vector<ComponentPhysics> physics;
        for (const ComponentRow& row : rows_) {
            physics.push_back(row.physics);
        }
        physics_.reset(new RadiationPhysics(radiationPhysicsKey(settings_), std::nullopt, std::move(physics),
                                            rowTables_, state.currentRangeTable));
    }
    return rows_;
}

// The components from the first not yet in a row on, from physics worked
// out before.
std::vector<WorkedComponent> SimulationRun::componentsOf(const RadiationPhysics& physics, std::size_t first)
{
    std::vector<WorkedComponent> worked;
    for (std::size_t i = first; i < physics.components().size(); ++i) {
        worked.push_back(WorkedComponent{physics.components()[i], physics.componentTables()[i], nullptr, true});
    }
    return worked;
}

// The components from the first not yet in a row on, worked out on the
// run's threads.
std::vector<WorkedComponent> SimulationRun::workOutComponents(std::size_t first, const StopFlag& stop)
{
    RunState& state = this->state();
    const RadiationField& field = settings_.field;
    std::vector<ParticleKind> kinds;
    for (int i = static_cast<int>(first) + 1; i <= field.componentCount(); ++i) {
        kinds.push_back(kindOfComponent(field.component(i), settings_));
    }
    return kesp::workOutComponents(kinds, settings_.nucleusDiameter, state.rangeTables, state.threads, stop);
}

std::shared_ptr<const RadiationPhysics> SimulationRun::radiationPhysics()
{
    if (settings_.field.singleParticle()) {
        static_cast<void>(particlePhysics());
    } else {
        static_cast<void>(componentRows());
    }
    return physics_;
}

RunResults SimulationRun::simulate(ProgressObserver& progress, const StopFlag& stop)
{
    if (simulated_) {
        stopRun(ErrorKind::usage, "This run has simulated its cells already; start a new run for more.");
    }
    simulated_ = true;
    RunResults results;
    RunState& state = this->state();
    results.singleParticle = settings_.field.singleParticle();
    if (results.singleParticle) {
        results.particle = particlePhysics();
        results.yields = state.yields;
    } else {
        results.components = componentRows(stop);
        if (!rowsComplete_) {  // stopped before the physics was done: no cell
            results.cellsRequested = settings_.cells;
            results.interrupted = true;
            results.seed = state.seed;
            return results;
        }
    }
    try {
        if (results.singleParticle) {
            results.cellsSimulated = runSingleParticle(settings_, state, progress, stop);
        } else {
            MixedFieldCells field = runMixedField(settings_, state, progress, stop);
            results.componentCells = std::move(field.cells);
            results.componentDsb = std::move(field.dsb);
            for (const std::int32_t cells : results.componentCells) {
                results.cellsSimulated += cells;
            }
        }
    } catch (const MissingDamage& missing) {
        throw RunError(missing.kind(), missing.what(), whyNoLesionIsLeft(state.yields, settings_));
    }
    results.cellsRequested = settings_.cells;
    results.interrupted = results.cellsSimulated < results.cellsRequested;
    if (results.cellsSimulated == 0) {
        results.seed = state.seed;
        return results;  // stopped before its first cell: no statistics
    }
    finaliseTally(state.cells.tally, results.cellsSimulated);
    results.tally = state.cells.tally;
    results.statistics = clusterStatistics(results.tally, settings_.dnaContent);
    checkStatistics(results.statistics, settings_);
    results.seed = state.seed;
    return results;
}

RunResults simulate(const RunSettings& settings, ProgressObserver& progress, const StopFlag& stop)
{
    SimulationRun run(settings);
    return run.simulate(progress, stop);
}

}  // namespace kesp
