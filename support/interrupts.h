#pragma once
// SIGINT (Ctrl-C) and SIGTERM during a run. The first one asks the run to
// stop after the cell it is simulating, so that the cells done so far are
// reported. Signals that arrive within a second of the first are the same
// request: `timeout` and batch systems signal the process and then its whole
// process group, so one request often comes twice within microseconds. A
// signal a second or more after the first is a second request and ends the
// process at once, by the signal's default action, after removing the files
// named by removeOnAbort (the unfinished report and JSON document).

#include <signal.h>

#include <chrono>
#include <filesystem>

#include "kesp/support/stopFlag.h"

namespace kesp {

// Signals this soon after the first one are taken as the same request.
inline constexpr std::chrono::milliseconds sameRequestWindow{1000};

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
    // The exit status of an interrupted run: 128 plus the first signal, 130
    // for SIGINT and 143 for SIGTERM.
    int exitStatus() const;

private:
    struct sigaction previousInterrupt_ {};
    struct sigaction previousTerminate_ {};
};

// How many files a second request can remove: the report and the JSON
// document beside it.
inline constexpr int abortFileSlots = 2;

// Names a file that a second request removes before it ends the process;
// returns its slot, or -1 when every slot is taken or the path is longer
// than any the system opens (the file is then not removed).
int removeOnAbort(const std::filesystem::path& path);
// The slot's file is not removed any more (it was renamed into place or
// removed); -1 does nothing.
void keepOnAbort(int slot);

}  // namespace kesp
