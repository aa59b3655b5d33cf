#include "support/runError.h"

namespace kesp {

void stopRun(const std::string& message, int exitStatus)
{
    throw RunError(message, exitStatus);
}

}  // namespace kesp
