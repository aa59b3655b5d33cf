#include "physics/particleState.h"

namespace kesp {

namespace {
ParticleState theParticleState;
}

ParticleState& particleState()
{
    return theParticleState;
}

void resetParticleState()
{
    theParticleState = ParticleState{};
}

}  // namespace kesp
