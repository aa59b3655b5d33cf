#include "kesp/support/cpuClock.h"

#include <ctime>

namespace kesp {

double cpuSeconds()
{
    timespec now{};
    // Where the process's CPU time is not kept (WebAssembly in a browser or
    // Node), the clock of elapsed time stands in for it.
    if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now) != 0) {
        clock_gettime(CLOCK_MONOTONIC, &now);
    }
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace kesp
