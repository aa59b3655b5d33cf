#pragma once
// The console progress display of the simulation.

#include <ostream>
#include <string>
#include <string_view>

#include "kesp/engine/progressObserver.h"

namespace kesp {

// The two header records; the last column is "sim/s" for a single particle
// and "Scoll" for a mixed field.
void writeProgressHeader(std::ostream& out, std::string_view lastColumn);

// One progress line: times in minutes, then the mean numbers of DSB, SSB and
// all clusters per cell so far (divided by 6), the cells done and the last
// column's value.
std::string progressLine(double elapsedMinutes, double remainingMinutes,
                         const ProgressCounts& counts, int cellsDone, double lastColumn);

// The progress table on a console stream.
class ConsoleProgress final : public ProgressObserver {
public:
    explicit ConsoleProgress(std::ostream& out) : out_(out) {}
    void tableStarted(ProgressTable table) override;
    void progressed(const ProgressUpdate& update) override;

private:
    std::ostream& out_;
};

}  // namespace kesp
