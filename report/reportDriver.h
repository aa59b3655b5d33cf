#pragma once

#include <ostream>

#include "kesp/engine/runResults.h"
#include "kesp/input/runSettings.h"

namespace kesp {

// Everything of the report after the banner and the running time: the
// line of an interrupted run, the settings, the sections of the run's mode
// and the six cluster tables.
void writeReport(std::ostream& out, const RunSettings& settings, const RunResults& results);

// "Run interrupted after N of M cells" for a run stopped before all its
// cells; nothing for a complete run.
void writeInterruption(std::ostream& out, const RunResults& results);

}  // namespace kesp
