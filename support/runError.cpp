#include "kesp/support/runError.h"

#include <array>

namespace kesp {

std::string_view errorKindWord(ErrorKind kind)
{
    constexpr std::array<std::string_view, 8> words{"input", "refused",   "physics", "non_finite_result",
                                                    "io",    "resources", "usage",   "internal"};
    return words.at(static_cast<std::size_t>(kind));
}

void stopRun(ErrorKind kind, const std::string& message)
{
    throw RunError(kind, message);
}

}  // namespace kesp
