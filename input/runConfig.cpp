#include "input/runConfig.h"

namespace kesp {

namespace {
RunConfig theRunConfig;
}

RunConfig& runConfig()
{
    return theRunConfig;
}

void resetRunConfig()
{
    theRunConfig = RunConfig{};
}

}  // namespace kesp
