#include "engine/radiationPhysics.h"

#include <bit>

namespace kesp {

RadiationPhysicsKey radiationPhysicsKey(const RunSettings& settings)
{
    RadiationPhysicsKey key;
    const RadiationField& field = settings.field;
    for (int i = 1; i <= field.componentCount(); ++i) {
        const FieldComponent& component = field.component(i);
        key.components.emplace_back(component.name, std::bit_cast<std::uint64_t>(component.kineticEnergy));
    }
    key.masses2006 = settings.options.masses2006;
    key.diameterBits = std::bit_cast<std::uint64_t>(settings.config.ndia);
    return key;
}

}  // namespace kesp
