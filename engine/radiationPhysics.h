#pragma once
/// \file
/// The physics of a radiation crossing a cell nucleus: what depends on
/// nothing but the particles, their energies, the mass constants and the
/// nucleus diameter. A run works it out once and then only reads it, so runs
/// of the same radiation (a scan over oxygen levels, say) can take it from
/// one that did, instead of working it out again, and give the numbers of
/// runs of their own, bit for bit.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "kesp/engine/runResults.h"
#include "kesp/input/runSettings.h"
#include "kesp/physics/rangeTable.h"

namespace kesp {

/// What the physics is worked out from: two runs of equal keys have the
/// same physics, bit for bit.
struct RadiationPhysicsKey {
    std::vector<std::pair<std::string, std::uint64_t>> components;  ///< particle name, kinetic energy (MeV) as bits
    bool masses2006 = false;                                        ///< the mass constants: the older (2006) set
    std::uint64_t diameterBits = 0;                                 ///< nucleus diameter (um) as bits

    /// Equal when the components, mass constants and diameter are equal.
    bool operator==(const RadiationPhysicsKey&) const = default;
    /// An order of keys, so that they can key a map of shared physics.
    bool operator<(const RadiationPhysicsKey& other) const
    {
        return std::tie(components, masses2006, diameterBits)
               < std::tie(other.components, other.masses2006, other.diameterBits);
    }
};

/// The key of the physics a run of these settings works out: its field's
/// particles and energies, its mass constants and its nucleus diameter.
RadiationPhysicsKey radiationPhysicsKey(const RunSettings& settings);

/// The physics of a radiation, as one run worked it out for others to share.
/// Complete once made, and never changed: runs share it through a pointer
/// to const, from any number of threads. Only a run makes one
/// (SimulationRun::radiationPhysics), so that its parts always belong
/// together.
class RadiationPhysics {
public:
    /// What the physics was worked out from.
    const RadiationPhysicsKey& key() const { return key_; }
    /// A single particle: its physics with its own range table.
    const std::optional<ParticlePhysics>& particle() const { return particle_; }
    /// A mixed field: each component's physics, in order; empty for a single
    /// particle.
    const std::vector<ComponentPhysics>& components() const { return components_; }
    /// A mixed field: each component's own range table, in the order of
    /// components(); empty for a single particle.
    const std::vector<std::shared_ptr<const RangeTable>>& componentTables() const { return componentTables_; }
    /// The range table a run holds once its physics is done: the particle's
    /// own, or the last component's.
    const RangeTable& heldTable() const { return heldTable_; }

private:
    friend class SimulationRun;
    RadiationPhysics(RadiationPhysicsKey key, std::optional<ParticlePhysics> particle,
                     std::vector<ComponentPhysics> components,
                     std::vector<std::shared_ptr<const RangeTable>> componentTables, const RangeTable& heldTable)
        : key_(std::move(key)), particle_(std::move(particle)), components_(std::move(components)),
          componentTables_(std::move(componentTables)), heldTable_(heldTable)
    {
    }

    RadiationPhysicsKey key_;
    std::optional<ParticlePhysics> particle_;
    std::vector<ComponentPhysics> components_;
    std::vector<std::shared_ptr<const RangeTable>> componentTables_;
    RangeTable heldTable_;
};

}  // namespace kesp
