#include "physics/componentPhysics.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

#include "physics/microdosimetry.h"

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
    std::atomic<std::size_t> next{0};
    const auto worker = [&] {
        for (std::size_t i = next++; i < components.size() && !stopRequested(stop); i = next++) {
            work(kinds[i], d, tables, components[i]);
        }
    };
    const auto size = static_cast<unsigned>(std::max<std::size_t>(kinds.size(), 1));
    {
        std::vector<std::jthread> helpers;  // joined at the end of this block
        for (unsigned t = 1; t < std::clamp(threads, 1U, size); ++t) {
            // Without another thread (the system refuses one) the components
            // left are worked out here all the same, only more slowly.
            try {
                helpers.emplace_back(worker);
            } catch (const std::system_error&) {
                break;
            }
        }
        worker();
    }
    return components;
}

}  // namespace kesp
