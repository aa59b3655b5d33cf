#pragma once

#include <ostream>

namespace kesp {

// The full table of a mixed radiation field (report file).
void writeMixedFieldTable(std::ostream& out);

// The summary table of a mixed radiation field (console, before the simulation).
void writeMixedFieldSummary(std::ostream& out);

}  // namespace kesp
