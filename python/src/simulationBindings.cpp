// Running a run's cells, through the library's request (its checks and its
// strict refusal first), on a thread of the engine's own while the calling
// Python thread, without the GIL, waits for it: other Python threads go on,
// and every tenth of a second the caller takes the GIL back to pass the
// progress on and to see whether Ctrl-C was pressed. A KeyboardInterrupt
// (or an error of the progress callback) asks the run to stop after its
// current cell and is raised once the run has ended.

#include <pybind11/functional.h>
#include <pybind11/stl.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <ratio>
#include <thread>
#include <utility>
#include <vector>

#include "kesp/engine/engine.h"
#include "kesp/report/runRequest.h"
#include "kesp/survival/cellSurvival.h"
#include "python/src/pythonResults.h"
#include "python/src/runParts.h"

namespace kesp::python {

namespace py = pybind11;
using namespace py::literals;

namespace {

constexpr std::chrono::milliseconds pollInterval{100};

// Keeps the count of cells done for the polling thread to read.
class CellCount final : public ProgressObserver {
public:
    void tableStarted(ProgressTable) override {}
    void progressed(const ProgressUpdate& update) override { cells_.store(update.cellsDone); }
    int cells() const { return cells_.load(); }

private:
    std::atomic<int> cells_{0};
};

// The run of a request on a thread of its own; the destructor stops and
// joins it, so that no path out of simulateWithPython leaves it running.
class BackgroundRun {
public:
    explicit BackgroundRun(RequestRun& request)
        : worker_([this, &request] {
              try {
                  results_ = request.simulate(progress_, stop_).results;
              } catch (...) {
                  error_ = std::current_exception();
              }
              const std::lock_guard lock(mutex_);
              finished_ = true;
              ended_.notify_all();
          })
    {
    }
    ~BackgroundRun()
    {
        stop_.store(true);
        if (worker_.joinable()) {
            worker_.join();
        }
    }
    BackgroundRun(const BackgroundRun&) = delete;
    BackgroundRun& operator=(const BackgroundRun&) = delete;

    // Waits up to the interval; true once the run has ended.
    bool waitForEnd(std::chrono::milliseconds interval)
    {
        std::unique_lock lock(mutex_);
        return ended_.wait_for(lock, interval, [this] { return finished_; });
    }
    void stopAndWait()
    {
        stop_.store(true);
        worker_.join();
    }
    int cellsDone() const { return progress_.cells(); }
    // The results of an ended run; rethrows its error.
    RunResults results()
    {
        worker_.join();
        if (error_) {
            std::rethrow_exception(error_);
        }
        return std::move(*results_);
    }

private:
    CellCount progress_;
    StopFlag stop_{false};
    std::optional<RunResults> results_;
    std::exception_ptr error_;
    std::mutex mutex_;
    std::condition_variable ended_;
    bool finished_ = false;
    std::thread worker_;  // last: it starts once everything it uses is made
};

// Passes the cells done on; false once a Python exception is pending
// (Ctrl-C, or an error of the callback).
bool pollPython(const std::function<void(int)>& progress, int cells)
{
    if (PyErr_CheckSignals() != 0) {
        return false;
    }
    if (progress) {
        try {
            progress(cells);
        } catch (py::error_already_set& error) {
            error.restore();
            return false;
        }
    }
    return true;
}

// The request of the settings: those read from a file keep what the
// reader said of them, those made in code are checked; with a survival
// model, the run's cell survival is asked for too.
RunRequest requestOf(const PythonSettings& settings, bool strict, const std::optional<SurvivalModel>& survival)
{
    RunRequest request;
    std::optional<std::vector<Diagnostic>> read;
    if (settings.inputFile) {
        read = settings.diagnostics;
    }
    request.source = CodeSettings{settings.run, std::move(read)};
    request.switches.strict = strict;
    request.wording = OutcomeWording::library;
    request.survival = survival;
    return request;
}

// Runs the settings through the library's request. `checked` is called with
// the diagnostics and the refusal (or None) before any cell is simulated, so
// that the package warns or raises in its own terms; a refusal it lets pass
// is raised here.
PythonResults simulateWithPython(const PythonSettings& settings, const std::function<void(int)>& progress,
                                 bool strict, const py::object& checked, const std::optional<SurvivalModel>& survival)
{
    // The wall-clock time of this run: the process's CPU time would count the
    // runs going on beside it on other Python threads.
    const auto start = std::chrono::steady_clock::now();
    RequestRun request(requestOf(settings, strict, survival));
    const RunOutcome& outcome = request.outcome();
    if (outcome.error) {
        throw *outcome.error;
    }
    if (!checked.is_none()) {
        checked(outcome.diagnostics, outcome.refusal);
    }
    if (outcome.refusal) {
        throw RunError(ErrorKind::refused, *outcome.refusal);
    }
    BackgroundRun run(request);
    for (;;) {
        bool ended = false;
        {
            const py::gil_scoped_release release;
            ended = run.waitForEnd(pollInterval);
        }
        if (!pollPython(progress, run.cellsDone())) {
            const py::error_already_set pending;  // taken before the wait, given back on the way out
            {
                const py::gil_scoped_release release;
                run.stopAndWait();
            }
            throw pending;
        }
        if (ended) {
            break;
        }
    }
    RunResults simulated = run.results();
    // The survival is read once the run has ended: the outcome is the request's.
    PythonResults results{std::move(simulated), settings, 0.0, outcome.survival, outcome.survivalError};
    results.settings.diagnostics = outcome.diagnostics;
    results.runningMinutes = std::chrono::duration<double, std::ratio<60>>(std::chrono::steady_clock::now() - start).count();
    return results;
}

}  // namespace

void bindSimulation(py::module_& module)
{
    module.def("simulate", &simulateWithPython, "settings"_a, "progress"_a = nullptr, "strict"_a = false,
               "checked"_a = py::none(), "survival"_a = py::none());
}

}  // namespace kesp::python
