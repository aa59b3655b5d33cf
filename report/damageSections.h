#pragma once
// Report sections that state the damage model of a run: the damage-formation
// parameters of the current particle type, the DMSO scavenger model and the
// oxygen model with its chemical repair probability.

#include <ostream>

namespace kesp {

void writeDamageSection(std::ostream& out);
void writeDmsoSection(std::ostream& out);
void writeOxygenSection(std::ostream& out);

}  // namespace kesp
