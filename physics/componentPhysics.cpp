#include "kesp/physics/componentPhysics.h"

#include "kesp/physics/microdosimetry.h"
#include "kesp/support/parallelFor.h"

namespace kesp {

namespace {

// What the one-by-one sequence does for a component: its range table, then
// stopping power and microdosimetry with that table, then the range of its
// kinetic energy.
void work(const ParticleKind& particle, double d, RangeTableCache& tables, WorkedComponent& c)
{
    try {
        c.table = tables.tableFor(particle);
        const StoppingAndMicrodosimetry result = stoppingAndMicrodosimetry(particle, *c.table, d);
        c.physics.sElectronic = result.sElectronic;
        c.physics.sRadiative = result.sRadiative;
        c.physics.sNuclear = result.sNuclear;
        c.physics.sTotal = result.sTotal;
        c.physics.dpuf = result.dpuf;
        c.physics.yf = result.yf;
        c.physics.zf = result.zf;
        c.physics.rangeCsda = csdaRange(particle, particle.T);
    } catch (...) {
        c.error = std::current_exception();
    }
    c.workedOut = true;
}

}  // namespace

std::vector<WorkedComponent> workOutComponents(std::span<const ParticleKind> kinds, double d,
                                               RangeTableCache& tables, unsigned threads, const StopFlag& stop)
{
    std::vector<WorkedComponent> components(kinds.size());
    parallelFor(
        components.size(), threads, [&](std::size_t i) { work(kinds[i], d, tables, components[i]); },
        [&stop] { return stopRequested(stop); });
    return components;
}

}  // namespace kesp
