#include "kesp/support/numberFormat.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <system_error>

#include "kesp/support/text.h"

namespace kesp {

namespace {

constexpr int maxDigits = 70;
constexpr int unreadableDigits = 7;

// Column (1-based) of the last occurrence of the letter in either case, 0 if absent.
std::size_t lastLetter(std::string_view code, char upper)
{
    const char lower = static_cast<char>(upper - 'A' + 'a');
    const std::size_t found = code.find_last_of(std::string{upper, lower});
    return found == std::string_view::npos ? 0 : found + 1;
}

#if defined(__cpp_lib_to_chars)
// The value of a decimal number that fills the whole text, as std::from_chars
// reads it; nothing when the text is not one.
std::optional<double> decimalValue(std::string_view text)
{
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// Correctly rounded decimal text of a non-negative finite value, "%.*e" or
// "%.*f" as printf writes it; empty when it does not fit the buffer.
std::string roundedText(double magnitude, bool scientific, int decimals)
{
    std::array<char, 512> buffer{};
    const auto format = scientific ? std::chars_format::scientific : std::chars_format::fixed;
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, format, decimals);
    if (result.ec != std::errc{}) {
        return {};
    }
    return std::string(buffer.data(), result.ptr);
}
#else
// For standard libraries without the floating-point forms of std::from_chars
// and std::to_chars (Emscripten's): the C library's strtod and snprintf,
// which round correctly as well, kept to the texts std::from_chars takes
// (no blanks, no sign but a leading minus, no hexadecimal form).
std::optional<double> decimalValue(std::string_view text)
{
    const std::string copy(text);
    if (copy.empty() || copy.find_first_of(" \t\n\v\f\r+xXpP") != std::string::npos) {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(copy.c_str(), &end);
    if (errno == ERANGE || end != copy.c_str() + copy.size()) {
        return std::nullopt;
    }
    return value;
}

std::string roundedText(double magnitude, bool scientific, int decimals)
{
    std::array<char, 512> buffer{};
    const int length = std::snprintf(buffer.data(), buffer.size(), scientific ? "%.*e" : "%.*f", decimals, magnitude);
    if (length < 0 || static_cast<std::size_t>(length) >= buffer.size()) {
        return {};
    }
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}
#endif

// Reads the digit count: a decimal number taken to the nearest whole number,
// at most 70; 7 when the text is not a number. A negative count is returned
// as it is and makes the rendering fail.
int readDigitCount(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return unreadableDigits;
    }
    text = trimmed(text.substr(first));
    if (text.front() == '+') {
        text.remove_prefix(1);
    }
    const std::optional<double> count = decimalValue(text);
    if (!count || !std::isfinite(*count)) {
        return unreadableDigits;
    }
    return static_cast<int>(std::lround(std::clamp(*count, -1.0, double(maxDigits))));
}

enum class Notation { scientific, fixed };

// Correctly rounded decimal text of a non-negative finite value.
std::string decimalText(double magnitude, Notation notation, int decimals)
{
    return roundedText(magnitude, notation == Notation::scientific, decimals);
}

// "E+05" for small exponents; "+100" (sign and three digits, no letter) for
// magnitudes from 100 on.
std::string exponentText(int exponent)
{
    const char sign = exponent < 0 ? '-' : '+';
    const int magnitude = std::abs(exponent);
    std::string digits = std::to_string(magnitude);
    if (magnitude <= 99) {
        digits.insert(0, 2 - digits.size(), '0');
        return std::string("E") + sign + digits;
    }
    return sign + digits;
}

struct MantissaAndExponent {
    std::string mantissa;  // "d.ddd", always with a point
    int exponent = 0;
};

// The magnitude with one digit before the point and the given decimals,
// rounded; a mantissa that rounds up to 10 has already moved to the exponent.
MantissaAndExponent splitScientific(double magnitude, int decimals)
{
    const std::string text = decimalText(magnitude, Notation::scientific, decimals);
    const std::size_t e = text.find('e');
    MantissaAndExponent result{text.substr(0, e), std::atoi(text.c_str() + e + 1)};
    if (decimals == 0) {
        result.mantissa += '.';
    }
    return result;
}

std::string signOf(double value)
{
    return value < 0.0 ? "-" : "";
}

std::string scientificText(double value, int decimals)
{
    const MantissaAndExponent parts = splitScientific(std::fabs(value), decimals);
    return signOf(value) + parts.mantissa + exponentText(parts.exponent);
}

std::string fixedText(double value, int decimals)
{
    std::string text = signOf(value) + decimalText(std::fabs(value), Notation::fixed, decimals);
    if (decimals == 0) {
        text += '.';
    }
    return text;
}

// Whole number, halves away from zero, followed by the point.
std::string integerText(double value)
{
    const double whole = std::round(value);
    return fixedText(whole == 0.0 ? 0.0 : whole, 0);
}

// Fixed form with `digits` significant digits when the rounded magnitude lies
// in [0.1, 10^digits); otherwise a mantissa in [0.1, 1) and an exponent.
// Zero shows in fixed form with digits - 1 decimals.
std::string generalText(double value, int digits)
{
    digits = std::max(digits, 1);
    if (value == 0.0) {
        return fixedText(0.0, digits - 1);
    }
    const MantissaAndExponent parts = splitScientific(std::fabs(value), digits - 1);
    if (parts.exponent >= -1 && parts.exponent < digits) {
        return fixedText(value, digits - 1 - parts.exponent);
    }
    std::string fraction = parts.mantissa;
    fraction.erase(1, 1);  // the point after the leading digit
    return signOf(value) + "0." + fraction + exponentText(parts.exponent + 1);
}

std::string nonFiniteText(double value)
{
    if (std::isnan(value)) {
        return "NaN";
    }
    return value < 0.0 ? "-Inf" : "Inf";
}

std::string formattedText(double value, const NumberFormat& format)
{
    switch (format.rule) {
    case FormatRule::scientific:
        return scientificText(value, format.digits);
    case FormatRule::fixed:
        return fixedText(value, format.digits);
    case FormatRule::integer:
        return integerText(value);
    case FormatRule::general:
        return generalText(value, format.digits);
    }
    return {};
}

int pointColumn(std::string_view text)
{
    const std::size_t point = text.find('.');
    return point == std::string_view::npos ? 0 : static_cast<int>(point) + 1;
}

}  // namespace

NumberFormat buildNumberFormat(std::string_view code)
{
    NumberFormat format;
    const std::size_t last = trimmedLength(code);
    if (last == 0) {
        format.status = -1;
        return format;
    }
    const std::size_t e = lastLetter(code, 'E');
    const std::size_t f = lastLetter(code, 'F');
    const std::size_t i = lastLetter(code, 'I');
    const std::size_t g = lastLetter(code, 'G');
    const std::size_t digitStart = std::min(std::max({e, f, i, g}) + 1, last);
    format.digits = readDigitCount(code.substr(digitStart - 1));
    if (e > 0) {
        format.rule = FormatRule::scientific;
    } else if (f > 0) {
        format.rule = FormatRule::fixed;
    } else if (i > 0) {
        format.rule = FormatRule::integer;
        format.integer = true;
        format.status = 1;
    } else if (g > 0) {
        format.rule = FormatRule::general;
    } else {
        format.rule = FormatRule::scientific;
        format.digits = unreadableDigits;
    }
    return format;
}

RenderedNumber renderNumber(double value, std::string_view code)
{
    RenderedNumber rendered;
    const NumberFormat format = buildNumberFormat(code);
    if (format.status < 0) {
        rendered.status = -1;
        return rendered;
    }
    if (!std::isfinite(value)) {
        rendered.text = nonFiniteText(value);
        return rendered;
    }
    if (format.digits < 0) {
        rendered.status = -2;
        return rendered;
    }
    if (value == 0.0) {
        value = 0.0;  // a negative zero prints as zero
    }
    rendered.text = formattedText(value, format);
    if (rendered.text.size() > numberFieldWidth) {
        rendered.text.assign(numberFieldWidth, '*');
    }
    rendered.pointPosition = pointColumn(rendered.text);
    if (format.integer && rendered.pointPosition > 0) {
        rendered.text.erase(static_cast<std::size_t>(rendered.pointPosition) - 1);
    }
    if (rendered.text.empty()) {
        rendered.status = -3;
    }
    return rendered;
}

std::string numberField(double value, std::string_view code, std::size_t width)
{
    const RenderedNumber rendered = renderNumber(value, code);
    if (rendered.text.size() > width) {
        return std::string(width, '*');
    }
    return std::string(width - rendered.text.size(), ' ') + rendered.text;
}

}  // namespace kesp
