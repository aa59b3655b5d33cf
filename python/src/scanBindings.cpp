// kesp._core.run_scan_table: the configurations of a scan file run as
// kesp-scan runs them, their table handed back as the CSV text kesp-scan
// writes under its comment line. The scan runs on a thread of its own
// while the calling thread, without the GIL, wakes now and then to report
// progress and to see whether Python has a KeyboardInterrupt to deliver.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "python/src/bindings.h"
#include "python/src/interruptible.h"
#include "scan/scanFile.h"
#include "kesp/report/scanPlan.h"
#include "scan/scanRunner.h"
#include "kesp/report/scanTable.h"
#include "kesp/support/cpuAffinity.h"
#include "kesp/support/stopFlag.h"

namespace py = pybind11;

namespace kesp::python {

namespace {

// The most configurations kesp-scan runs at once (its --jobs range).
constexpr unsigned maxJobs = 4096;

// Counts of what the scan's threads have done, read by the waiting thread.
class ScanCounter final : public ScanActivity {
public:
    void cellsSimulated(std::int64_t cells) override { cells_.fetch_add(cells, std::memory_order_relaxed); }
    void rowFinished() override { rows_.fetch_add(1, std::memory_order_relaxed); }

    std::size_t rows() const { return rows_.load(std::memory_order_relaxed); }
    std::int64_t cells() const { return cells_.load(std::memory_order_relaxed); }

private:
    std::atomic<std::size_t> rows_{0};
    std::atomic<std::int64_t> cells_{0};
};

struct ScanRequest {
    std::string scanFile;
    unsigned jobs = 1;
    ScanMode mode = ScanMode::simulation;
    Leniency leniency = Leniency::strict;
};

// What the Python side gets: the table (its header line and rows), the
// scan's title and what a lenient scan let through.
struct ScanTableText {
    std::string table;
    std::string title;
    std::vector<std::string> warnings;
};

// The scan file read and planned as kesp-scan plans it: too few cells for
// standard errors refuse the scan unless it is lenient (and not /strict).
ScanPlan planRequest(const ScanRequest& request, std::vector<std::string>& warnings)
{
    ScanDefinition scan = readScanFile(request.scanFile);
    const std::vector<std::string> cellProblems =
        request.mode == ScanMode::physicsOnly ? std::vector<std::string>() : fewCellProblems(scan);
    if (!cellProblems.empty() && (request.leniency == Leniency::strict || scan.runSwitches.strict)) {
        std::string message;
        for (const std::string& problem : cellProblems) {
            message += (message.empty() ? "" : "\n") + problem;
        }
        throw ScanRefused(message + (scan.runSwitches.strict ? "" : "\n(lenient=True runs the scan as written)"));
    }
    ScanPlan plan = planScan(std::move(scan), request.leniency);
    warnings = cellProblems;
    warnings.insert(warnings.end(), plan.warnings.begin(), plan.warnings.end());
    return plan;
}

// The cells every run of the scan simulates, its reference runs included.
std::int64_t cellsToSimulate(const ScanPlan& plan, ScanMode mode)
{
    if (mode == ScanMode::physicsOnly) {
        return 0;
    }
    std::int64_t cells = 0;
    for (std::size_t row = 0; row < plan.configurations; ++row) {
        cells += settingsOf(plan, plan.row(row)).cells;
    }
    for (std::size_t reference = 0; reference < plan.references.size(); ++reference) {
        cells += settingsOf(plan, plan.referenceRun(reference)).cells;
    }
    return cells;
}

// The totals the progress display counts towards, known once the scan is planned.
struct ScanTotals {
    std::atomic<std::size_t> rows{0};
    std::atomic<std::int64_t> cells{0};
    std::atomic<bool> known{false};
};

ScanTableText runScan(const ScanRequest& request, ScanCounter& counter, ScanTotals& totals, const StopFlag& stop)
{
    ScanTableText result;
    const ScanPlan plan = planRequest(request, result.warnings);
    result.title = plan.scan.title;
    totals.rows = plan.configurations;
    totals.cells = cellsToSimulate(plan, request.mode);
    totals.known = true;
    std::vector<std::size_t> rows(plan.configurations);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        rows[row] = row;
    }
    result.table = csvLine(tableColumns(plan.scan, request.mode));
    const ScanRunOptions options{request.jobs, request.mode, &stop, &counter};
    runConfigurations(plan, rows, options,
                      [&result](std::size_t, const std::string& line) { result.table += line; });
    return result;
}

void reportProgress(const py::object& progress, const ScanCounter& counter, const ScanTotals& totals)
{
    if (!progress.is_none() && totals.known) {
        progress(counter.rows(), totals.rows.load(), counter.cells(), totals.cells.load());
    }
}

// Runs the scan while the caller waits without the GIL; a KeyboardInterrupt
// starts no further run, and is raised once the runs under way are done.
py::tuple runScanTable(const std::string& scanFile, unsigned jobs, bool physicsOnly, bool lenient,
                       const py::object& progress)
{
    if (jobs > maxJobs) {
        throw py::value_error("jobs: at most " + std::to_string(maxJobs) + " configurations run at once");
    }
    const ScanRequest request{scanFile, jobs > 0 ? jobs : affinityCpuCount(),
                              physicsOnly ? ScanMode::physicsOnly : ScanMode::simulation,
                              lenient ? Leniency::lenient : Leniency::strict};
    ScanCounter counter;
    ScanTotals totals;
    // A KeyboardInterrupt, or an error of the progress function, stops the scan.
    ScanTableText result = runInterruptibly(
        [&](const StopFlag& stop) { return runScan(request, counter, totals, stop); },
        [&] { reportProgress(progress, counter, totals); });
    // A refusal (ScanRefused) reaches Python as kesp.InputError, a run that
    // stopped as kesp.RunError.
    reportProgress(progress, counter, totals);
    return py::make_tuple(result.table, result.title, result.warnings);
}

}  // namespace

void bindScans(py::module_& module)
{
    module.def("run_scan_table", &runScanTable, py::arg("scan_file"), py::arg("jobs"), py::arg("physics_only"),
               py::arg("lenient"), py::arg("progress"),
               "Runs the scan file as kesp-scan runs it and returns (table, title, warnings): the CSV text of\n"
               "its table (the line of column names and one line per configuration, in scan order), the\n"
               "scan's title and what a lenient scan let through. jobs: configurations run at once (0: the\n"
               "CPUs this process may run on). progress(rows_done, rows_total, cells_done, cells_total) is\n"
               "called now and then while it runs. Raises kesp.InputError when the scan is refused before\n"
               "anything runs, kesp.RunError when a run stops, KeyboardInterrupt on Ctrl-C once the runs\n"
               "under way are done.");
}

}  // namespace kesp::python
