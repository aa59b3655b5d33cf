#pragma once
// SIGINT (Ctrl-C) and SIGTERM during a run. The first one asks the run to
// stop after the cell it is simulating, so that the cells done so far are
// reported; a second one ends the process at once, by the signal's default
// action.

#include <signal.h>

#include "support/stopFlag.h"

namespace kesp {

// Catches SIGINT and SIGTERM while it lives; one at a time in a process.
// A signal that was ignored when it was made (a run started in the
// background by a script) stays ignored.
class InterruptCatcher {
public:
    InterruptCatcher();
    // Puts back the actions it found.
    ~InterruptCatcher();
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;

    // Set by the first signal; the run looks at it between cells.
    const StopFlag& stopFlag() const;
    // The exit status of an interrupted run: 128 plus the signal, 130 for
    // SIGINT and 143 for SIGTERM.
    int exitStatus() const;

private:
    struct sigaction previousInterrupt_ {};
    struct sigaction previousTerminate_ {};
};

}  // namespace kesp
