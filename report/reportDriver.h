#pragma once

#include <ostream>

namespace kesp {

// Everything of the report after the banner and the running time: the
// settings, the sections of the run's mode and the six cluster tables.
void writeReport(std::ostream& out);

}  // namespace kesp
