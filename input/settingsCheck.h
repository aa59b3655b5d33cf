#pragma once
// The checks of settings made in code (C++, Python, a scan's configurations),
// with the texts the input reader gives for the same values in an input file.

#include <vector>

#include "kesp/input/diagnostics.h"
#include "kesp/input/runSettings.h"

namespace kesp {

/// What a run of these settings would draw as warnings or notes, for
/// settings that did not come from an input file: every diagnostic has no
/// file and no line, and names the input item it concerns in its block.
/// Throws RunError of kind input for what would run another particle than
/// the settings name.
std::vector<Diagnostic> checkSettings(const RunSettings& settings);

}  // namespace kesp
