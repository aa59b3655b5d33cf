#include "kesp/report/scanText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "kesp/support/text.h"

namespace kesp {

#if defined(__cpp_lib_to_chars)
std::string shortestText(double value)
{
    std::array<char, 32> buffer{};
    const std::to_chars_result result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}
#else
namespace {

// The value's decimal digits and the power of ten of the first, read from
// printf's "%.*e" text ("-1.2345e-05").
struct DecimalDigits {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

DecimalDigits digitsOf(const std::string& text)
{
    DecimalDigits result;
    std::size_t at = 0;
    if (text[at] == '-') {
        result.negative = true;
        ++at;
    }
    const std::size_t e = text.find('e');
    for (; at < e; ++at) {
        if (text[at] != '.') {
            result.digits += text[at];
        }
    }
    result.exponent = std::atoi(text.c_str() + e + 1);
    return result;
}

}  // namespace

// For standard libraries without the floating-point form of std::to_chars
// (Emscripten's): the fewest "%.*e" digits that strtod reads back to the
// value, written in fixed or scientific form, whichever is shorter (fixed
// on a tie), as std::to_chars writes them.
std::string shortestText(double value)
{
    if (std::isnan(value)) {
        return std::signbit(value) ? "-nan" : "nan";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-inf" : "inf";
    }
    if (value == 0.0) {
        return std::signbit(value) ? "-0" : "0";
    }
    std::array<char, 64> buffer{};
    for (int precision = 0; precision <= 17; ++precision) {
        std::snprintf(buffer.data(), buffer.size(), "%.*e", precision, value);
        if (std::strtod(buffer.data(), nullptr) == value) {
            break;
        }
    }
    const DecimalDigits d = digitsOf(buffer.data());
    const std::string sign = d.negative ? "-" : "";
    const std::string power = std::to_string(d.exponent < 0 ? -d.exponent : d.exponent);
    const std::string scientific = sign + d.digits.substr(0, 1) + (d.digits.size() > 1 ? "." + d.digits.substr(1) : "")
                                   + "e" + (d.exponent < 0 ? "-" : "+") + (power.size() < 2 ? "0" : "") + power;
    std::string fixed = sign;
    if (d.exponent < 0) {
        fixed += "0." + std::string(static_cast<std::size_t>(-d.exponent - 1), '0') + d.digits;
    } else if (d.digits.size() <= static_cast<std::size_t>(d.exponent) + 1) {
        // A whole number is written with all its digits, as "%.0f" does, not
        // with zeros after the shortest ones.
        std::array<char, 320> whole{};
        std::snprintf(whole.data(), whole.size(), "%.0f", value);
        fixed = whole.data();
    } else {
        fixed += d.digits.substr(0, static_cast<std::size_t>(d.exponent) + 1) + "."
                 + d.digits.substr(static_cast<std::size_t>(d.exponent) + 1);
    }
    return fixed.size() <= scientific.size() ? fixed : scientific;
}
#endif

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
