#pragma once
// How far a scan has come, shown while it runs: on a terminal a bar that is
// redrawn in place, otherwise (a log file, a batch job's output) a plain
// line now and then. Both give the configurations done of all, the cells
// simulated per second and an estimate of the time left.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <thread>

#include "scan/scanRunner.h"

namespace kesp {

enum class ProgressStyle {
    bar,    // a terminal: one line redrawn in place
    lines,  // anything else: plain lines
};

// What the display shows, at one moment.
struct ScanCounts {
    std::size_t rowsDone = 0;
    std::size_t rowsTotal = 0;
    std::int64_t cellsDone = 0;   // since this scan started
    std::int64_t cellsTotal = 0;  // to simulate in this scan; 0 without simulation
    double seconds = 0.0;         // since this scan started
    std::size_t rowsAtStart = 0;  // done by an earlier scan
};

// "12/24 configurations, 3456 cells/s, about 2 min left"
std::string progressText(const ScanCounts& counts);

class ScanProgress final : public ScanActivity {
public:
    ScanProgress(std::ostream& out, ProgressStyle style, std::size_t rowsTotal, std::size_t rowsDone,
                 std::int64_t cellsTotal);
    // Ends the bar's line.
    ~ScanProgress() override;
    ScanProgress(const ScanProgress&) = delete;
    ScanProgress& operator=(const ScanProgress&) = delete;

    void cellsSimulated(std::int64_t cells) override;
    void rowFinished() override;

private:
    void show(std::unique_lock<std::mutex>& lock);
    void tick(std::stop_token stop);

    std::ostream& out_;
    ProgressStyle style_;
    std::mutex mutex_;
    std::condition_variable_any wake_;
    ScanCounts counts_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point lastShown_ = start_;
    std::jthread ticker_;
};

// Whether the standard output is a terminal.
ProgressStyle consoleProgressStyle();

}  // namespace kesp
