#pragma once
// The whole text of a run's report file, as one string: the program and the
// Python module both take it from here, so that the two cannot drift apart.

#include <string>

#include "kesp/engine/runResults.h"
#include "kesp/input/runSettings.h"

namespace kesp {

// The banner, the running time (CPU minutes) and everything writeReport
// writes after them.
std::string reportText(const RunSettings& settings, const RunResults& results, double runningMinutes);

}  // namespace kesp
