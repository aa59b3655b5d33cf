#include "support/processorFeatures.h"

namespace kesp {

// Asked at first use, not while the program is loaded, so that the checks
// also run under the sanitizers, which must start before any other code.
bool hasWideVectors()
{
    static const bool wide = __builtin_cpu_supports("avx2") != 0;
    return wide;
}

bool hasBitCount()
{
    static const bool count = __builtin_cpu_supports("popcnt") != 0;
    return count;
}

}  // namespace kesp
