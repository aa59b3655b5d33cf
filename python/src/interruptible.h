#pragma once
// Long work of the engine that Ctrl-C stops: the work goes on on a thread of
// its own while the calling Python thread, without the GIL, waits for it and
// every tenth of a second takes the GIL back to see whether a signal came.
// On Ctrl-C the work is asked to stop (it ends at its next stopping point),
// and once it has ended KeyboardInterrupt is raised.

#include <pybind11/pybind11.h>

#include <chrono>
#include <future>
#include <optional>
#include <utility>

#include "kesp/support/stopFlag.h"

namespace kesp::python {

/// The result of `work(stop)`, done on a thread of its own. Every tenth of
/// a second `poll()` is called with the GIL held (to show progress, say);
/// a Python error it raises, or a signal handler's (KeyboardInterrupt), asks
/// the work to stop and is raised once the work has ended. Call with the GIL
/// held.
template <typename Work, typename Poll>
auto runInterruptibly(Work work, Poll poll) -> decltype(work(std::declval<const StopFlag&>()))
{
    namespace py = pybind11;
    constexpr std::chrono::milliseconds pollInterval{100};
    StopFlag stop{false};
    auto done = std::async(std::launch::async, [&work, &stop] { return work(stop); });
    for (;;) {
        std::future_status status = std::future_status::timeout;
        {
            const py::gil_scoped_release release;
            status = done.wait_for(pollInterval);
        }
        if (status == std::future_status::ready) {
            return done.get();
        }
        try {
            poll();
            if (PyErr_CheckSignals() != 0) {
                throw py::error_already_set();
            }
        } catch (py::error_already_set& error) {
            const py::error_already_set pending = std::move(error);  // raised once the work has ended
            stop.store(true);
            {
                const py::gil_scoped_release release;
                done.wait();
            }
            throw pending;
        }
    }
}

/// The same without anything to do between the waits.
template <typename Work>
auto runInterruptibly(Work work) -> decltype(work(std::declval<const StopFlag&>()))
{
    return runInterruptibly(std::move(work), [] {});
}

}  // namespace kesp::python
