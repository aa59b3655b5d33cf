#include "scan/scanProgress.h"

#include <cmath>
#include <string>

#include <unistd.h>

namespace kesp {

namespace {

using namespace std::chrono_literals;

constexpr auto barRefresh = 500ms;
constexpr auto lineInterval = 30s;      // a line at least this often while a scan runs
constexpr auto shortestInterval = 5s;   // and not more often, but for the last row
constexpr std::size_t barWidth = 24;

std::string durationText(double seconds)
{
    const auto whole = static_cast<std::int64_t>(std::ceil(seconds));
    if (whole < 60) {
        return std::to_string(whole) + " s";
    }
    const std::int64_t minutes = (whole + 30) / 60;
    if (minutes < 60) {
        return std::to_string(minutes) + " min";
    }
    return std::to_string(minutes / 60) + " h " + std::to_string(minutes % 60) + " min";
}

// The time left: by the cells still to simulate at the rate so far, or by
// the rows still to run when there are no cells to count.
std::string timeLeftText(const ScanCounts& c)
{
    if (c.rowsDone >= c.rowsTotal) {
        return "";
    }
    const std::size_t rowsThisScan = c.rowsDone - c.rowsAtStart;
    if (c.cellsTotal > 0 && c.cellsDone > 0) {
        const double left = c.seconds * static_cast<double>(c.cellsTotal - c.cellsDone) / static_cast<double>(c.cellsDone);
        return ", about " + durationText(std::max(left, 0.0)) + " left";
    }
    if (c.cellsTotal == 0 && rowsThisScan > 0) {
        const double left = c.seconds * static_cast<double>(c.rowsTotal - c.rowsDone) / static_cast<double>(rowsThisScan);
        return ", about " + durationText(left) + " left";
    }
    return "";
}

std::string barText(const ScanCounts& c)
{
    const std::size_t filled = c.rowsTotal == 0 ? barWidth : barWidth * c.rowsDone / c.rowsTotal;
    return "[" + std::string(filled, '#') + std::string(barWidth - filled, '.') + "] ";
}

}  // namespace

std::string progressText(const ScanCounts& c)
{
    std::string text = std::to_string(c.rowsDone) + "/" + std::to_string(c.rowsTotal) + " configurations";
    if (c.cellsTotal > 0 && c.seconds > 0.0) {
        text += ", " + std::to_string(std::llround(static_cast<double>(c.cellsDone) / c.seconds)) + " cells/s";
    }
    return text + timeLeftText(c);
}

ScanProgress::ScanProgress(std::ostream& out, ProgressStyle style, std::size_t rowsTotal, std::size_t rowsDone,
                           std::int64_t cellsTotal)
    : out_(out), style_(style)
{
    counts_.rowsTotal = rowsTotal;
    counts_.rowsDone = rowsDone;
    counts_.rowsAtStart = rowsDone;
    counts_.cellsTotal = cellsTotal;
    ticker_ = std::jthread([this](std::stop_token stop) { tick(stop); });
}

ScanProgress::~ScanProgress()
{
    ticker_.request_stop();
    ticker_.join();
    if (style_ == ProgressStyle::bar) {
        std::unique_lock<std::mutex> lock(mutex_);
        show(lock);
        out_ << '\n';
        out_.flush();
    }
}

void ScanProgress::cellsSimulated(std::int64_t cells)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    counts_.cellsDone += cells;
}

void ScanProgress::rowFinished()
{
    std::unique_lock<std::mutex> lock(mutex_);
    ++counts_.rowsDone;
    const auto now = std::chrono::steady_clock::now();
    const bool last = counts_.rowsDone >= counts_.rowsTotal;
    if (style_ == ProgressStyle::lines && (last || now - lastShown_ >= shortestInterval)) {
        show(lock);
    }
}

void ScanProgress::show(std::unique_lock<std::mutex>&)
{
    const auto now = std::chrono::steady_clock::now();
    lastShown_ = now;
    counts_.seconds = std::chrono::duration<double>(now - start_).count();
    if (style_ == ProgressStyle::bar) {
        out_ << '\r' << barText(counts_) << progressText(counts_) << "\x1b[K";
    } else {
        out_ << "kesp-scan: " << progressText(counts_) << '\n';
    }
    out_.flush();
}

void ScanProgress::tick(std::stop_token stop)
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop.stop_requested()) {
        wake_.wait_for(lock, stop, style_ == ProgressStyle::bar ? std::chrono::milliseconds(barRefresh)
                                                                : std::chrono::milliseconds(lineInterval),
                       [] { return false; });
        const bool due = style_ == ProgressStyle::bar
                         || std::chrono::steady_clock::now() - lastShown_ >= lineInterval;
        if (!stop.stop_requested() && due) {
            show(lock);
        }
    }
}

ProgressStyle consoleProgressStyle()
{
    return isatty(STDOUT_FILENO) == 1 ? ProgressStyle::bar : ProgressStyle::lines;
}

}  // namespace kesp
