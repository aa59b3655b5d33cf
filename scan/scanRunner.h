#pragma once
// Running the configurations of a scan, several at once, each exactly the
// kesp run of its input file, and handing the finished rows on in scan order.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "kesp/report/scanPlan.h"
#include "kesp/report/scanTable.h"
#include "kesp/support/runError.h"
#include "kesp/support/stopFlag.h"

namespace kesp {

// What the runner tells as it goes, from any of its threads.
class ScanActivity {
public:
    virtual ~ScanActivity() = default;
    // More cells of some run are simulated.
    virtual void cellsSimulated(std::int64_t cells) = 0;
    // The run of a row is done.
    virtual void rowFinished() = 0;
};

struct ScanRunOptions {
    unsigned jobs = 1;                    // configurations run at once
    ScanMode mode = ScanMode::simulation;
    const StopFlag* stop = nullptr;       // once set, no further run starts; those under way finish
    ScanActivity* activity = nullptr;
};

// Receives each finished row as a CSV line, in the order the rows were asked
// for, as soon as it and every row before it are done.
using RowSink = std::function<void(std::size_t configuration, const std::string& line)>;
// Receives a row (by its position in `rows`) that is done but cannot be
// handed on yet: an earlier row or its reference run is still running.
using AheadSink = std::function<void(std::size_t position, const PendingRow& row)>;
// Rows done by an earlier scan, by position in `rows`.
using RowsDone = std::map<std::size_t, PendingRow>;

// The configurations outside `rows` that the OER of a row pairs it with,
// which a run of `rows` runs besides them (a shard's rows, or those of a
// resumed table still to do, need their partners' DSB yields).
std::vector<std::size_t> partnerRuns(const ScanPlan& plan, const std::vector<std::size_t>& rows, ScanMode mode);

// Runs the configurations `rows` (indices into the plan, in the order their
// rows are wanted) but those in `done`, and the reference runs they need,
// each reference just before the first row that needs it, and the
// partners of their OERs that are not among them (partnerRuns).
// Physics that several runs share (the same particle, energy, mass
// constants and nucleus diameter; range tables by particle and energy) is
// worked out once, by the first run that needs it; each row is handed on as
// soon as it and the rows before it are done. A run that stops throws RunError
// naming the configuration after the rows before it were handed on; the
// other runs under way finish, and no further run starts.
void runConfigurations(const ScanPlan& plan, const std::vector<std::size_t>& rows, const ScanRunOptions& options,
                       const RowSink& sink, const RowsDone& done = {}, const AheadSink& ahead = {});

}  // namespace kesp
