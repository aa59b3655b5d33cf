#include "kesp/support/checkedAllocation.h"

#include <string>

#include "kesp/support/runError.h"

namespace kesp {

void stopOutOfMemory(std::size_t count, std::string_view what)
{
    stopRun(ErrorKind::resources, "Out of memory: cannot allocate " + std::string(what) + " of " + std::to_string(count)
            + " entries; free memory or run on a larger machine.");
}

}  // namespace kesp
