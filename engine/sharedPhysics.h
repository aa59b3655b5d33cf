#pragma once
// Physics that several runs of the same particle type may share, so that a
// caller running many configurations works each piece out once: the range
// tables, by particle and kinetic energy, and a single particle's physics,
// by particle name, kinetic energy, mass constants and nucleus diameter.
// Every entry is exactly what a run of its own computes from the same
// inputs, so a run that takes its physics from here gives the numbers of a
// run of its own, bit for bit. Safe to use from several threads at once.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "engine/runResults.h"
#include "physics/rangeTable.h"

namespace kesp {

// What a single particle's physics is computed from.
struct ParticlePhysicsKey {
    std::string name;               // 5-character particle name
    std::uint64_t energyBits = 0;   // kinetic energy (MeV) as a bit pattern
    bool masses2006 = false;        // the mass constants
    std::uint64_t diameterBits = 0; // nucleus diameter (um) as a bit pattern

    auto operator<=>(const ParticlePhysicsKey&) const = default;
};

class SharedPhysics {
public:
    const std::shared_ptr<RangeTableCache>& rangeTables() const { return rangeTables_; }

    // The physics kept for the key; nothing when no run has kept it yet.
    std::optional<ParticlePhysics> particlePhysics(const ParticlePhysicsKey& key) const;
    // Keeps the physics a run computed; the first one kept for a key stays.
    void keep(const ParticlePhysicsKey& key, const ParticlePhysics& physics);

private:
    std::shared_ptr<RangeTableCache> rangeTables_ = std::make_shared<RangeTableCache>();
    mutable std::mutex mutex_;
    std::map<ParticlePhysicsKey, ParticlePhysics> physics_;
};

}  // namespace kesp
