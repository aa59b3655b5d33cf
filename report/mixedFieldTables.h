#pragma once

#include <ostream>
#include <vector>

#include "kesp/engine/runResults.h"

namespace kesp {

// The full table of a mixed radiation field (report file); po2 in percent O2.
void writeMixedFieldTable(std::ostream& out, double po2, const std::vector<ComponentRow>& rows);

// The summary table of a mixed radiation field (console, before the simulation).
void writeMixedFieldSummary(std::ostream& out, double po2, const std::vector<ComponentRow>& rows);

// The summary table's heading and the rows given, without the averages: what
// the console shows when the physics of a later component fails.
void writeMixedFieldSummaryRows(std::ostream& out, double po2, const std::vector<ComponentRow>& rows);

}  // namespace kesp
