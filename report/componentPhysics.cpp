#include "report/componentPhysics.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "input/runConfig.h"
#include "physics/microdosimetry.h"
#include "physics/particleIdentification.h"
#include "physics/particleState.h"
#include "physics/rangeTable.h"

namespace kesp {

ComponentPhysicsTable& componentPhysics()
{
    static ComponentPhysicsTable table{};
    return table;
}

namespace {

// One component's results and what its computation leaves in ParticleState.
struct WorkedComponent {
    ParticleKind particle;
    double kineticEnergy = 0.0;
    ComponentPhysics physics;
    std::shared_ptr<const BuiltRangeTable> table;
    LastEffectiveCharge last;  // after the range integral of the kinetic energy
};

// Components first .. first + size - 1, worked out ahead.
struct Precomputed {
    int first = 0;
    std::vector<WorkedComponent> components;

    const WorkedComponent* find(int position) const
    {
        const int i = position - first;
        if (i < 0 || i >= static_cast<int>(components.size())) {
            return nullptr;
        }
        return &components[static_cast<std::size_t>(i)];
    }
};

Precomputed& precomputed()
{
    static Precomputed ahead;
    return ahead;
}

const FieldComponent& fieldComponent(int position)
{
    return radiationField().components[static_cast<std::size_t>(position)];
}

// The particle kind setParticle makes of a component, or false when
// setParticle would refuse it (unknown name, or an energy without speed).
bool usableKind(const FieldComponent& component, ParticleKind& kind)
{
    const ParticleIdentity identity = identifyParticle(component.name);
    const double T = component.kineticEnergy;
    if (identity.status < 0 || !std::isfinite(T) || !(T > 0.0)) {
        return false;
    }
    const double gamma = T / identity.restEnergy + 1.0;
    if (!(1.0 - 1.0 / (gamma * gamma) > 0.0)) {
        return false;
    }
    kind = ParticleKind{identity.Z, identity.A, identity.restEnergy, T};
    return true;
}

// What the one-by-one sequence does for a component: its range table, then
// stopping power and microdosimetry with that table, then the range of its
// kinetic energy.
void work(WorkedComponent& c, double diameter)
{
    c.table = rangeTableFor(c.particle);
    const StoppingAndMicrodosimetry result =
        stoppingAndMicrodosimetry(c.particle, c.table->table, diameter);
    c.physics.sElectronic = result.sElectronic;
    c.physics.sRadiative = result.sRadiative;
    c.physics.sTotal = result.sTotal;
    c.physics.dpuf = result.dpuf;
    c.physics.yf = result.yf;
    c.physics.zf = result.zf;
    c.last = c.table->last;
    LastEffectiveCharge rangeLast;
    c.physics.rangeCsda = csdaRange(c.particle, c.kineticEnergy, rangeLast);
    if (rangeLast.written) {
        c.last = rangeLast;
    }
}

void workInParallel(std::vector<WorkedComponent>& components, unsigned threads, double diameter)
{
    std::atomic<std::size_t> next{0};
    const auto worker = [&components, &next, diameter] {
        for (std::size_t i = next++; i < components.size(); i = next++) {
            work(components[i], diameter);
        }
    };
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads; ++t) {
        // Without another thread (the system refuses one) the components left
        // are worked out here all the same, only more slowly.
        try {
            helpers.emplace_back(worker);
        } catch (const std::system_error&) {
            break;
        }
    }
    worker();
    for (std::thread& helper : helpers) {
        helper.join();
    }
}

unsigned availableThreads()
{
    return std::max(1U, std::thread::hardware_concurrency());
}

// The one-by-one computation on the current particle, for a component whose
// set-up failed and whose kind therefore depends on the particle before it.
void computeCurrentComponent(int position)
{
    const ParticleState& particle = particleState();
    buildRangeTable();
    const StoppingAndMicrodosimetry result =
        stoppingAndMicrodosimetry(particle.Z, particle.restEnergy, particle.T, runConfig().ndia);
    ComponentPhysics& entry = componentPhysics()[static_cast<std::size_t>(position)];
    entry.sElectronic = result.sElectronic;
    entry.sRadiative = result.sRadiative;
    entry.sTotal = result.sTotal;
    entry.dpuf = result.dpuf;
    entry.yf = result.yf;
    entry.zf = result.zf;
    entry.rangeCsda = csdaRange(fieldComponent(position).kineticEnergy);
}

bool sameKind(const ParticleKind& a, const ParticleKind& b)
{
    return a.Z == b.Z && a.A == b.A && a.restEnergy == b.restEnergy && a.T == b.T;
}

// The worked-out results for the component, if they are for the particle the
// caller has set up (not left over from another field).
const WorkedComponent* workedFor(int position)
{
    const WorkedComponent* worked = precomputed().find(position);
    if (worked == nullptr || !sameKind(worked->particle, currentParticleKind())
        || worked->kineticEnergy != fieldComponent(position).kineticEnergy) {
        return nullptr;
    }
    return worked;
}

void handOut(const WorkedComponent& worked, int position)
{
    componentPhysics()[static_cast<std::size_t>(position)] = worked.physics;
    installRangeTable(*worked.table);
    if (worked.last.written) {
        particleState().zeff = worked.last.zeff;
    }
}

}  // namespace

void precomputeComponentPhysics(int first, unsigned threads)
{
    Precomputed& ahead = precomputed();
    ahead.first = first;
    ahead.components.clear();
    const int count = radiationField().componentCount;
    for (int k = first; k <= count; ++k) {
        WorkedComponent c;
        if (!usableKind(fieldComponent(k), c.particle)) {
            break;
        }
        c.kineticEnergy = fieldComponent(k).kineticEnergy;
        ahead.components.push_back(c);
    }
    const auto size = static_cast<unsigned>(ahead.components.size());
    workInParallel(ahead.components, std::clamp(threads, 1U, std::max(size, 1U)),
                   runConfig().ndia);
}

void discardPrecomputedPhysics()
{
    precomputed() = Precomputed{};
}

void computePendingComponentPhysics(int position)
{
    RadiationField& field = radiationField();
    if (!field.physicsPending) {
        return;
    }
    if (workedFor(position) == nullptr) {
        precomputeComponentPhysics(position, availableThreads());
    }
    const WorkedComponent* worked = workedFor(position);
    if (worked != nullptr) {
        handOut(*worked, position);
    } else {
        computeCurrentComponent(position);
    }
    const ComponentPhysics& entry = componentPhysics()[static_cast<std::size_t>(position)];
    requireFiniteMicrodosimetry(entry.dpuf, entry.yf, entry.zf, runConfig().ndia);
    field.physicsPending = position < field.componentCount;
    if (!field.physicsPending) {
        discardPrecomputedPhysics();
    }
}

}  // namespace kesp
