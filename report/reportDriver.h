#pragma once

#include <ostream>

#include "damage/runResults.h"
#include "input/runSettings.h"

namespace kesp {

// Everything of the report after the banner and the running time: the
// settings, the sections of the run's mode and the six cluster tables.
void writeReport(std::ostream& out, const RunSettings& settings, const RunResults& results);

}  // namespace kesp
