#pragma once
/// \file
/// The checks of settings made in code (C++, Python, a scan's configurations),
/// with the texts the input reader gives for the same values in an input file.
/// The input reader runs the same checks (input/valueChecks.h), so a value
/// draws one message whichever way it came in.

#include <vector>

#include "kesp/input/diagnostics.h"
#include "kesp/input/runSettings.h"

namespace kesp {

/// What a run of these settings would draw as warnings or notes, for
/// settings that did not come from an input file: every diagnostic has no
/// file and line 0, and names the block of the input item it concerns
/// ("RADX:", "CELL:", "SIMCON:", "EVO2:"); the messages are those an input
/// file of the same values draws. Throws RunError of kind input for a
/// particle name the run would simulate as another particle (see
/// requireNamedParticle), and of kind usage for a field without components
/// (one that was moved from).
std::vector<Diagnostic> checkSettings(const RunSettings& settings);

/// Throws RunError of kind usage when the settings' field has no
/// components: a field or settings that were moved from, which no run may
/// take to its physics.
void requireComponents(const RunSettings& settings);

}  // namespace kesp
