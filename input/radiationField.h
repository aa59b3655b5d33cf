#pragma once
/// \file
/// The radiation field: one particle type, or a mixed field of weighted
/// components (from a field file or built in code).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kesp {

/// The most components a radiation field may have.
inline constexpr int maxFieldComponents = 10000;
/// The longest particle name; the physics reads names in a field this wide.
inline constexpr std::size_t particleNameLength = 5;

/// One component of a radiation field, its weight normalised.
struct FieldComponent {
    std::string name;               ///< particle name as given ("e", "p", "12C")
    double kineticEnergy = 0.0;     ///< kinetic energy of the whole particle, MeV
    double weight = 1.0;            ///< share of the field; the weights add up to 1
    double cumulativeWeight = 1.0;  ///< sum of the weights of the components up to this one

    /// The name blank-padded to particleNameLength characters, as the physics
    /// and the report take it.
    std::string nameField() const;

    /// Equal when name, energy and both weights are equal.
    bool operator==(const FieldComponent&) const = default;
};

/// How a field takes its particle names.
enum class ParticleNames {
    /// For settings made in code: a name the run would simulate as another
    /// particle than it says is refused with a RunError of kind input (see
    /// requireNamedParticle in input/particleNames.h: "Pb" would be the
    /// proton, "Eu" the electron).
    named,
    /// As the input reader takes names from a file, which keeps reading them
    /// as it always did and says in its diagnostics what it made of them.
    asRead
};

/// A component as a caller gives it: weights need not add up to 1.
struct ComponentEntry {
    std::string_view name;  ///< particle name ("e", "p", "12C"), at most particleNameLength characters
    double kineticEnergy;   ///< kinetic energy of the whole particle, MeV
    double weight;          ///< share of the field before normalisation; finite and >= 0
};

/// The particle types of a run and their shares. A value whose invariants
/// hold from construction: 1 to maxFieldComponents components, particle names of at most particleNameLength characters
/// (trailing blanks aside), finite weights >= 0 normalised to a sum of 1 with
/// their cumulative sums. Whether a particle can be set up at its energy
/// depends on the mass constants of the run, so the run checks that.
class RadiationField {
public:
    /// A 1 MeV electron.
    RadiationField();
    /// One particle type at a kinetic energy in MeV; throws RunError for a
    /// name that is too long, or (`named`) that names another particle than
    /// the run would simulate.
    RadiationField(std::string_view particle, double kineticEnergy, ParticleNames names = ParticleNames::named);
    /// A field of these components in this order, its weights normalised;
    /// `fileName` names the field file it came from (empty if none). Throws
    /// RunError for no components or more than maxFieldComponents, a name
    /// that is too long, a weight that is negative or not finite, or weights
    /// whose sum is not positive or cannot be normalised, and (`named`) for a
    /// name that names another particle than the run would simulate.
    explicit RadiationField(const std::vector<ComponentEntry>& components, std::string fileName = {},
                            ParticleNames names = ParticleNames::named);

    /// The number of components; 0 only for a field that was moved from,
    /// which no run takes.
    int componentCount() const { return static_cast<int>(components_.size()); }
    /// One particle type; two or more components make a mixed-field run.
    bool singleParticle() const { return componentCount() == 1; }
    /// The component at a position counted from 1, as the report numbers
    /// them; 1 <= position <= componentCount() (a contract check).
    const FieldComponent& component(int position) const;
    /// All components in their order, the first at index 0.
    const std::vector<FieldComponent>& components() const { return components_; }
    /// The same field with the particle of one component (counted from 1,
    /// 1 <= position <= componentCount())
    /// replaced; the weights stay as they are. Throws RunError for a name
    /// that is too long or (`named`) names another particle than it would be.
    RadiationField withParticle(int position, std::string_view particle, double kineticEnergy,
                                ParticleNames names = ParticleNames::named) const;
    /// The field file the components came from; empty if none.
    const std::string& fileName() const { return fileName_; }

    /// Equal when the components and the field file's name are equal.
    bool operator==(const RadiationField&) const = default;

private:
    std::vector<FieldComponent> components_;
    std::string fileName_;
};

/// A field of one particle type (see the constructor).
RadiationField singleParticleField(std::string_view name, double kineticEnergy);

/// A mixed field of the (name, kinetic energy, weight) components in this
/// order (see the constructor).
RadiationField mixedField(const std::vector<ComponentEntry>& components);

}  // namespace kesp
