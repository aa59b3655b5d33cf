#pragma once
// The radiation field: one particle type, or a mixed field from a field file.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kesp {

inline constexpr int maxFieldComponents = 10000;
inline constexpr std::size_t particleNameLength = 5;

struct FieldComponent {
    std::string name = std::string(particleNameLength, ' ');  // 5-character particle name
    double kineticEnergy = 0.0;                                // whole particle, MeV
    double weight = 0.0;                                       // share of the field
    double cumulativeWeight = 0.0;                             // sum of weights 1..this one

    bool operator==(const FieldComponent&) const = default;
};

// A value: built by the input reader or directly by code. Without input it
// is a 1 MeV electron.
struct RadiationField {
    // Entries 1..componentCount() are the components; entry 0 only carries
    // cumulativeWeight 0.
    std::vector<FieldComponent> components{FieldComponent{}, FieldComponent{"e    ", 1.0, 0.0, 0.0}};
    std::string fieldFileName;  // the field file the components came from; empty if none

    int componentCount() const { return static_cast<int>(components.size()) - 1; }
    // One particle type; two or more components make a mixed-field run.
    bool singleParticle() const { return componentCount() == 1; }
    const FieldComponent& component(int position) const
    {
        return components[static_cast<std::size_t>(position)];
    }

    bool operator==(const RadiationField&) const = default;
};

// A field of one particle type: the blank-padded 5-character name of `name`
// (cut to 5 characters) at kinetic energy kineticEnergy (MeV).
RadiationField singleParticleField(std::string_view name, double kineticEnergy);

// A mixed field of the (name, kinetic energy, weight) components in this
// order, with the weights normalised to a sum of 1 and accumulated as the
// field file reader does it.
struct ComponentEntry {
    std::string_view name;
    double kineticEnergy;
    double weight;
};
RadiationField mixedField(const std::vector<ComponentEntry>& components);

// Normalises the weights of components 1..count to a sum of 1 and forms the
// cumulative weights.
void normaliseWeights(RadiationField& field);

}  // namespace kesp
