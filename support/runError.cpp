#include "support/runError.h"

namespace kesp {

void stopRun(ErrorKind kind, const std::string& message)
{
    throw RunError(kind, message);
}

}  // namespace kesp
