#pragma once
// The one way the program ends a run early: the message goes to the given
// stream, everything written so far is flushed, and the process exits with
// the given status.

#include <ostream>
#include <string_view>

namespace kesp {

inline constexpr int exitFailure = 1;

[[noreturn]] void stopRun(std::ostream& out, std::string_view message, int exitStatus = exitFailure);

// The common case: the message goes to the console.
[[noreturn]] void stopRun(std::string_view message, int exitStatus = exitFailure);

// A test harness that must survive an orderly stop (a fuzzer) can install a
// handler: stopRun calls it after writing and flushing the message, just
// before the process would exit, and the handler may leave by throwing.
// If it returns, the process exits as usual. The default is no handler.
using StopHandler = void (*)(std::string_view message, int exitStatus);
void setStopHandler(StopHandler handler);

}  // namespace kesp
