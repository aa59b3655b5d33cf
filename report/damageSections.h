#pragma once
// Report sections that state the damage model of a run: the damage-formation
// parameters of the current particle type, the DMSO scavenger model and the
// oxygen model with its chemical repair probability.

#include <ostream>

#include "kesp/damage/damageYields.h"
#include "kesp/input/runSettings.h"

namespace kesp {

// What the oxygen section derives from the chemical repair probability pcr.
struct OxygenFactors {
    double repairProbability = 0.0;  // pcr
    double fixationProbability = 0.0;  // 1 - pcr
    double ssbHypoxiaReduction = 0.0;  // 1/(1-pcr), 1 where nothing is fixed
    double dsbHypoxiaReduction = 0.0;  // [1/(1-pcr)]^2
};
OxygenFactors oxygenFactors(double repairProbability);

void writeDamageSection(std::ostream& out, const DamageYields& yields, double fbl);
void writeDmsoSection(std::ostream& out, const RunSettings& settings);
void writeOxygenSection(std::ostream& out, const RunSettings& settings, double repairProbability);

}  // namespace kesp
