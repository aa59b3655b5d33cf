#include "input/radiationField.h"

#include "support/text.h"

namespace kesp {

RadiationField singleParticleField(std::string_view name, double kineticEnergy)
{
    RadiationField field;
    field.components[1].name = makeField(name, particleNameLength);
    field.components[1].kineticEnergy = kineticEnergy;
    return field;
}

RadiationField mixedField(const std::vector<ComponentEntry>& components)
{
    RadiationField field;
    field.components.resize(1);
    for (const ComponentEntry& entry : components) {
        field.components.push_back(
            FieldComponent{makeField(entry.name, particleNameLength), entry.kineticEnergy, entry.weight, 0.0});
    }
    normaliseWeights(field);
    return field;
}

void normaliseWeights(RadiationField& field)
{
    const int count = field.componentCount();
    double sum = 0.0;
    for (int i = 1; i <= count; ++i) {
        sum += field.components[static_cast<std::size_t>(i)].weight;
    }
    const double scale = 1.0 / sum;
    for (int i = 1; i <= count; ++i) {
        FieldComponent& component = field.components[static_cast<std::size_t>(i)];
        component.weight *= scale;
        component.cumulativeWeight =
            field.components[static_cast<std::size_t>(i - 1)].cumulativeWeight + component.weight;
    }
}

}  // namespace kesp
