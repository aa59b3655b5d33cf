#pragma once
// The radiation field: one particle type, or a mixed field from a field file.

#include <array>
#include <cstdint>
#include <string>

namespace kesp {

inline constexpr int maxFieldComponents = 10000;
inline constexpr std::size_t particleNameLength = 5;

struct FieldComponent {
    std::string name = std::string(particleNameLength, ' ');  // 5-character particle name
    double kineticEnergy = 0.0;                                // whole particle, MeV
    double weight = 0.0;                                       // share of the field
    double cumulativeWeight = 0.0;                             // sum of weights 1..this one
};

struct RadiationField {
    std::int32_t componentCount = 1;
    // Positions 1..10000; position 0 only carries cumulativeWeight 0.
    std::array<FieldComponent, maxFieldComponents + 1> components{};
    bool singleParticle = true;
    bool physicsPending = true;
    std::string fieldFileName;  // the field file the components came from; empty if none
};

// The run's one instance; written by the "RADX:" reader (and the fallback of
// the input reader), read by the drivers and the mixed-field tables.
RadiationField& radiationField();
// Back to the state before any input: a 1 MeV electron, single-particle run.
void resetRadiationField();

}  // namespace kesp
