#include "report/componentPhysics.h"

#include "input/runConfig.h"
#include "physics/microdosimetry.h"
#include "physics/particleState.h"
#include "physics/rangeTable.h"

namespace kesp {

ComponentPhysicsTable& componentPhysics()
{
    static ComponentPhysicsTable table{};
    return table;
}

namespace {

void computeComponentPhysics(int position)
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
    entry.rangeCsda =
        csdaRange(radiationField().components[static_cast<std::size_t>(position)].kineticEnergy);
}

}  // namespace

void computePendingComponentPhysics(int position)
{
    RadiationField& field = radiationField();
    if (!field.physicsPending) {
        return;
    }
    computeComponentPhysics(position);
    field.physicsPending = position < field.componentCount;
}

}  // namespace kesp
