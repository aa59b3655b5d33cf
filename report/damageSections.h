#pragma once
// Report sections that state the damage model of a run: the damage-formation
// parameters of the current particle type, the DMSO scavenger model and the
// oxygen model with its chemical repair probability.

#include <ostream>

#include "damage/damageYields.h"
#include "input/runSettings.h"

namespace kesp {

void writeDamageSection(std::ostream& out, const DamageYields& yields, double fbl);
void writeDmsoSection(std::ostream& out, const RunSettings& settings);
void writeOxygenSection(std::ostream& out, const RunSettings& settings, double repairProbability);

}  // namespace kesp
