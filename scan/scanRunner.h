#pragma once
// Running the configurations of a scan, several at once, each exactly the
// kesp run of its input file, and handing the finished rows on in scan order.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "scan/scanPlan.h"
#include "scan/scanTable.h"
#include "support/runError.h"

namespace kesp {

struct ScanRunOptions {
    unsigned jobs = 1;                  // configurations run at once
    ScanMode mode = ScanMode::simulation;
};

// Receives each finished row as a CSV line, in the order the rows were asked
// for, as soon as it and every row before it are done.
using RowSink = std::function<void(std::size_t configuration, const std::string& line)>;

// Runs the configurations `rows` (indices into the plan, in the order their
// rows are wanted) and the reference runs they need. Physics that several
// runs share (the same particle, energy, mass constants and nucleus
// diameter; range tables by particle and energy) is worked out once, first,
// on all the jobs. A run that stops throws RunError naming the
// configuration after the rows before it were handed on; the other runs
// under way finish, and no further run starts.
void runConfigurations(const ScanPlan& plan, const std::vector<std::size_t>& rows, const ScanRunOptions& options,
                       const RowSink& sink);

// The CPUs of the process's affinity mask, at least one.
unsigned affinityCpuCount();

}  // namespace kesp
