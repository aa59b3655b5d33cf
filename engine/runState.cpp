#include "kesp/engine/runState.h"

#include "kesp/support/combinedGenerator.h"

namespace kesp {

RunState::RunState(const RunSettings& settings) : seed(resolveSeed(settings.seed))
{
    cells.generator = seededCombined(seed);
    cells.streams.seed(0, seed);
    setUpParticle(*this, settings, settings.field.component(1));
}

void setUpParticle(RunState& state, const RunSettings& settings, const FieldComponent& component)
{
    const ParticleStatus status =
        setParticle(state.particle, component.nameField(), component.kineticEnergy, state.currentRangeTable,
                    settings.nucleusDiameter, massConstantsFor(settings.masses2006));
    if (status != ParticleStatus::notUsable) {
        state.yields = computeDamageYields(state.particle.zeb, settings);
    }
}

void buildOwnRangeTable(RunState& state)
{
    state.currentRangeTable = *state.rangeTables.tableFor(kindOf(state.particle));
}

}  // namespace kesp
