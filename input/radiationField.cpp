#include "input/radiationField.h"

#include "support/text.h"

namespace kesp {

namespace {
void setDefaults(RadiationField& field)
{
    for (FieldComponent& component : field.components) {
        component = FieldComponent{};
    }
    field.components[1].name = makeField("e", particleNameLength);
    field.components[1].kineticEnergy = 1.0;
    field.componentCount = 1;
    field.singleParticle = true;
    field.physicsPending = true;
    field.fieldFileName.clear();
}
}  // namespace

RadiationField& radiationField()
{
    static RadiationField field = [] {
        RadiationField initial;
        setDefaults(initial);
        return initial;
    }();
    return field;
}

void resetRadiationField()
{
    setDefaults(radiationField());
}

}  // namespace kesp
