#pragma once
// Damage parameters of the particle type being simulated.

#include <cstdint>

namespace kesp {

struct DamageYields {
    std::int32_t segmentLength = 0;  // bp of DNA one simulated cell receives per Gy
    std::int32_t strandBreaks = 0;   // Sb per cell per Gy
    std::int32_t baseDamages = 0;    // Bd per cell per Gy
    double repairProbability = 0.0;  // probability that chemical repair removes a lesion
};

// The process's one instance.
DamageYields& damageYields();
void resetDamageYields();

}  // namespace kesp
