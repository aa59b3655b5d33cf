#include "kesp/input/settingsCheck.h"

namespace kesp {

std::vector<Diagnostic> checkSettings(const RunSettings& /*settings*/)
{
    return {};
}

}  // namespace kesp
