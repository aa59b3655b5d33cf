#include "kesp/engine/radiationPhysics.h"

#include "kesp/support/bitCast.h"

namespace kesp {

RadiationPhysicsKey radiationPhysicsKey(const RunSettings& settings)
{
    RadiationPhysicsKey key;
    const RadiationField& field = settings.field;
    for (int i = 1; i <= field.componentCount(); ++i) {
        const FieldComponent& component = field.component(i);
        key.components.emplace_back(component.name, bitCast<std::uint64_t>(component.kineticEnergy));
    }
    key.masses2006 = settings.masses2006;
    key.diameterBits = bitCast<std::uint64_t>(settings.nucleusDiameter);
    return key;
}

}  // namespace kesp
