#pragma once
// Chemical repair: removes again the share of a cell's strand breaks and
// removable base damages that the repair probability gives, picking sites at
// random (stream 1) from the list of lesions.

#include <cstdint>

#include "kesp/damage/damageYields.h"
#include "kesp/damage/dnaSegment.h"
#include "kesp/support/randomStream.h"

namespace kesp {

inline constexpr int chemicalRepairStream = 1;

// Number of lesions to remove out of `placed`: placed less the rounded
// number kept; never negative.
std::int32_t repairCount(std::int32_t placed, double repairProbability);

// Removes repairCount(strandBreaks) strand breaks, then repairCount(baseDamages)
// base damages of code 2. A removal stops early once no lesion of its kind is
// left on the segment, so it always ends.
void applyChemicalRepair(DnaSegment& segment, const DamageYields& yields, RandomStreams& streams);

}  // namespace kesp
