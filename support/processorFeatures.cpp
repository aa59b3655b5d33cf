#include "kesp/support/processorFeatures.h"

namespace kesp {

// Asked at first use, not while the program is loaded, so that the checks
// also run under the sanitizers, which must start before any other code.
#if defined(__x86_64__) || defined(__i386__)
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
#else
bool hasWideVectors()
{
    return false;
}

bool hasBitCount()
{
    return false;
}
#endif

}  // namespace kesp
