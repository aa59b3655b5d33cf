#include "kesp/support/contract.h"

#include <cstdio>
#include <cstdlib>

namespace kesp {

void failedPrecondition(const char* condition, const char* message, const char* file, int line)
{
    // Unbuffered and without allocating: the caller's state may be anything.
    std::fprintf(stderr, "%s:%d: precondition failed: %s (%s)\n", file, line, condition, message);
    std::abort();
}

}  // namespace kesp
