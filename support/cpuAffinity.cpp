#include "kesp/support/cpuAffinity.h"

#include <algorithm>
#include <thread>

#include <sched.h>

namespace kesp {

// WebAssembly has no affinity mask: there the count is what the runtime offers.
unsigned affinityCpuCount()
{
#if !defined(__EMSCRIPTEN__)
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof(set), &set) == 0) {
        const int count = CPU_COUNT(&set);
        if (count > 0) {
            return static_cast<unsigned>(count);
        }
    }
#endif
    return std::max(1U, std::thread::hardware_concurrency());
}

}  // namespace kesp
