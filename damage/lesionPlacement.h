#pragma once
// Random placement of one cell's lesions on the DNA segment, drawn from the
// combined generator.

#include <cstdint>
#include <vector>

#include "kesp/damage/damageYields.h"
#include "kesp/damage/dnaSegment.h"

namespace kesp {

// Advances the combined generator past the cell's base-type draws, one per
// position, as if they had been made.
void skipBaseTypes(const DnaSegment& segment, CombinedState& generator);

// Clears both strands, then places the strand breaks and after them the base
// damages of the yields on free sites; a base damage becomes a Bl with
// probability fbl. Stops the run when the segment has fewer sites than lesions.
// With a strand-break map, copies the occupancy into it once the strand
// breaks are placed.
void placeLesions(DnaSegment& segment, const DamageYields& yields, double fbl,
                  CombinedState& generator, std::vector<std::uint64_t>* strandBreakMap = nullptr);

}  // namespace kesp
