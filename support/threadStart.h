#pragma once
// Starting threads on a system that may refuse some: a process may meet its
// limit of threads or of memory at any time, and whoever asked for threads
// goes on with those it got.

#include <functional>
#include <vector>

#include "kesp/support/joiningThread.h"

namespace kesp {

// Starts body(0), body(1) ... up to body(count - 1), each on a thread of its
// own, as many as the system gives: after its first refusal no further thread
// is asked for. The size of the result is the number started, perhaps 0; its
// threads are joined when it is destroyed, so a body must return by then.
// The threads block every signal: a signal sent to the process (Ctrl-C,
// SIGTERM) goes to the caller's threads, whose handlers then see the signals
// one at a time and in the order sent, as in a process of one thread.
std::vector<JoiningThread> startThreads(unsigned count, const std::function<void(unsigned)>& body);

}  // namespace kesp
