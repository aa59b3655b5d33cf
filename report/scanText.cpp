#include "kesp/report/scanText.h"

#include <array>
#include <charconv>

#include "kesp/support/text.h"

namespace kesp {

std::string shortestText(double value)
{
    std::array<char, 32> buffer{};
    const std::to_chars_result result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

std::string quotedText(std::string_view text)
{
    std::string result;
    result.reserve(text.size() + 2);
    result += '"';
    result += text;
    result += '"';
    return result;
}

bool fitsInputItem(std::string_view text)
{
    constexpr std::string_view itemBreakers = ",:;!\"'()[]{}`<>";
    for (const char c : text) {
        if (isBlankOrControl(c) || itemBreakers.find(c) != std::string_view::npos) {
            return false;
        }
    }
    return !text.empty();
}

}  // namespace kesp
