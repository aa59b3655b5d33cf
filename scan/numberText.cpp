#include "scan/numberText.h"

#include <array>
#include <charconv>

namespace kesp {

std::string shortestText(double value)
{
    std::array<char, 32> buffer{};
    const std::to_chars_result result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

}  // namespace kesp
