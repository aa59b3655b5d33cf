#include "engine/sharedPhysics.h"

namespace kesp {

std::optional<ParticlePhysics> SharedPhysics::particlePhysics(const ParticlePhysicsKey& key) const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto found = physics_.find(key);
    if (found == physics_.end()) {
        return std::nullopt;
    }
    return found->second;
}

void SharedPhysics::keep(const ParticlePhysicsKey& key, const ParticlePhysics& physics)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    physics_.try_emplace(key, physics);
}

}  // namespace kesp
