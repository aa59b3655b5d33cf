#pragma once
/// \file
/// Asking a run to stop between cells. The caller sets the flag from another
/// thread or from a signal handler (it is lock-free, so a handler may set
/// it); the run looks at it before each cell and ends with the cells done.

#include <atomic>

namespace kesp {

/// The flag that asks a run to stop: true once a stop is asked for. Set it
/// with `stop = true` from any thread or a signal handler.
using StopFlag = std::atomic<bool>;
static_assert(StopFlag::is_always_lock_free, "a signal handler must be able to set the stop flag");

/// The flag of runs that nobody stops: always false.
inline const StopFlag neverStopped{false};

/// Whether a stop has been asked for on this flag; safe from any thread.
inline bool stopRequested(const StopFlag& stop)
{
    return stop.load(std::memory_order_relaxed);
}

}  // namespace kesp
