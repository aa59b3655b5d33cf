#include "kesp/input/radiationField.h"

#include <cmath>

#include "kesp/input/particleNames.h"
#include "kesp/support/contract.h"
#include "kesp/support/numberFormat.h"
#include "kesp/support/runError.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

// The text the input reader ends an unknown single particle's message
// with; a mixed field has no fallback.
constexpr std::string_view singleFallback = "using the 1 MeV electron";

// `count` is the number of components of the field: the position is named
// only in a field of several.
std::string checkedName(std::string_view name, int position, int count, ParticleNames names)
{
    if (trimmedLength(name) > particleNameLength) {
        stopRun(ErrorKind::input, "Component " + std::to_string(position)
                                      + " of the radiation field: the particle name \"" + std::string(trimmed(name))
                                      + "\" is longer than " + std::to_string(particleNameLength) + " characters.");
    }
    if (names == ParticleNames::named) {
        if (count == 1) {
            requireNamedParticle(name, singleFallback);
        } else {
            requireNamedParticle(name, {}, "component " + std::to_string(position) + ": ");
        }
    }
    return std::string(trimmed(name));
}

// The sum of the weights; stops for a weight or a sum the field cannot use.
double weightSum(const std::vector<ComponentEntry>& components)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < components.size(); ++i) {
        const double weight = components[i].weight;
        if (!(weight >= 0.0 && std::isfinite(weight))) {
            stopRun(ErrorKind::input, "Component " + std::to_string(i + 1) + " of the radiation field has the weight "
                    + renderNumber(weight, "E5").text + "; weights must be finite and >= 0.");
        }
        sum += weight;
    }
    if (!(sum > 0.0 && std::isfinite(sum))) {
        stopRun(ErrorKind::input, "The weights of the radiation field add up to " + renderNumber(sum, "E5").text
                + "; they must add up to a positive finite number.");
    }
    if (!std::isfinite(1.0 / sum)) {
        stopRun(ErrorKind::input, "The weights of the radiation field are too small to be normalised (their sum "
                                  "is below 2.2E-308); give them as shares or percentages.");
    }
    return sum;
}

}  // namespace

std::string FieldComponent::nameField() const
{
    return makeField(name, particleNameLength);
}

RadiationField::RadiationField() : RadiationField("e", 1.0) {}

RadiationField::RadiationField(std::string_view particle, double kineticEnergy, ParticleNames names)
    : components_{FieldComponent{checkedName(particle, 1, 1, names), kineticEnergy, 1.0, 1.0}}
{
}

RadiationField::RadiationField(const std::vector<ComponentEntry>& components, std::string fileName,
                               ParticleNames names)
    : fileName_(std::move(fileName))
{
    const std::size_t count = components.size();
    if (count < 1 || count > static_cast<std::size_t>(maxFieldComponents)) {
        stopRun(ErrorKind::input, "The radiation field has " + std::to_string(count) + " components; give 1 to "
                + std::to_string(maxFieldComponents) + ".");
    }
    const double scale = 1.0 / weightSum(components);
    double cumulative = 0.0;
    components_.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const ComponentEntry& entry = components[i];
        const double weight = entry.weight * scale;
        cumulative += weight;
        components_.push_back(
            FieldComponent{checkedName(entry.name, static_cast<int>(i) + 1, static_cast<int>(count), names),
                           entry.kineticEnergy, weight, cumulative});
    }
}

const FieldComponent& RadiationField::component(int position) const
{
    KESP_EXPECTS(position >= 1 && position <= componentCount(),
                 "a component's position counts from 1 to componentCount()");
    return components_[static_cast<std::size_t>(position - 1)];
}

RadiationField RadiationField::withParticle(int position, std::string_view particle, double kineticEnergy,
                                            ParticleNames names) const
{
    KESP_EXPECTS(position >= 1 && position <= componentCount(),
                 "a component's position counts from 1 to componentCount()");
    RadiationField field = *this;
    FieldComponent& component = field.components_.at(static_cast<std::size_t>(position - 1));
    component.name = checkedName(particle, position, componentCount(), names);
    component.kineticEnergy = kineticEnergy;
    return field;
}

RadiationField singleParticleField(std::string_view name, double kineticEnergy)
{
    return RadiationField(name, kineticEnergy);
}

RadiationField mixedField(const std::vector<ComponentEntry>& components)
{
    return RadiationField(components);
}

}  // namespace kesp
