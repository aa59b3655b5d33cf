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

}  // namespace kesp
