#pragma once
// The exit statuses of the programs, and the one each kind of error ends a
// program with.

#include "kesp/support/runError.h"

namespace kesp {

inline constexpr int exitFailure = 1;
// The status of a run or scan that is refused as its input stands ("/strict"
// with warnings, a scan file or table kesp-scan will not run).
inline constexpr int exitRefused = 2;

// exitRefused for a refusal, exitFailure for every other kind.
int exitStatusFor(ErrorKind kind);

}  // namespace kesp
