#include "kesp/support/exitStatus.h"

namespace kesp {

int exitStatusFor(ErrorKind kind)
{
    switch (kind) {
        case ErrorKind::refused:
            return exitRefused;
        case ErrorKind::input:
        case ErrorKind::physics:
        case ErrorKind::nonFiniteResult:
        case ErrorKind::io:
        case ErrorKind::resources:
        case ErrorKind::usage:
        case ErrorKind::internal:
            break;
    }
    return exitFailure;
}

}  // namespace kesp
