#include "kesp/support/numberReader.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "kesp/support/text.h"

namespace kesp {

namespace {

constexpr std::size_t maximumNumberLength = 99;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Appends the digits starting at `index` to `number`; returns how many there were.
std::size_t takeDigits(std::string_view text, std::size_t& index, std::string& number)
{
    const std::size_t start = index;
    while (index < text.size() && isDigit(text[index])) {
        number += text[index++];
    }
    return index - start;
}

void takeSign(std::string_view text, std::size_t& index, std::string& number)
{
    if (index < text.size() && (text[index] == '+' || text[index] == '-')) {
        number += text[index++];
    }
}

// Checks the syntax of the number and returns it without blanks and with a D
// exponent written as E, ready for the library conversion; nothing when the
// text is not a number.
std::optional<std::string> validatedNumber(std::string_view text)
{
    std::string number;
    std::size_t index = text.find_first_not_of(' ');
    if (index == std::string_view::npos) {
        return std::nullopt;
    }
    takeSign(text, index, number);
    std::size_t digits = takeDigits(text, index, number);
    if (index < text.size() && text[index] == '.') {
        number += text[index++];
        digits += takeDigits(text, index, number);
    }
    if (digits == 0) {
        return std::nullopt;
    }
    if (index < text.size() && std::string_view("EeDd").find(text[index]) != std::string_view::npos) {
        number += 'E';
        ++index;
        takeSign(text, index, number);
        if (takeDigits(text, index, number) == 0) {
            return std::nullopt;
        }
    }
    if (text.find_first_not_of(' ', index) != std::string_view::npos) {
        return std::nullopt;
    }
    return number;
}

// The value of the text, or nothing when it does not convert to a finite double.
std::optional<double> convertedValue(std::string_view text)
{
    const std::string_view field = trimmed(text);
    if (field.empty() || field.size() > maximumNumberLength) {
        return std::nullopt;
    }
    const std::optional<std::string> number = validatedNumber(field);
    if (!number) {
        return std::nullopt;
    }
    // The text holds only digits, signs, one point and E, so strtod in the
    // "C" locale the program keeps reads all of it; an underflow gives a
    // finite value (zero or subnormal) and is accepted, an overflow is not.
    char* end = nullptr;
    const double value = std::strtod(number->c_str(), &end);
    if (end != number->c_str() + number->size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

int readReal(std::string_view text, double& target)
{
    const std::optional<double> value = convertedValue(text);
    if (!value) {
        return -1;
    }
    target = *value;
    return 0;
}

int readInteger(std::string_view text, std::int32_t& target)
{
    const std::optional<double> value = convertedValue(text);
    if (!value) {
        return -1;
    }
    const double rounded = std::round(*value);  // halves away from zero
    const bool inRange = rounded >= static_cast<double>(std::numeric_limits<std::int32_t>::min())
                         && rounded <= static_cast<double>(std::numeric_limits<std::int32_t>::max());
    target = inRange ? static_cast<std::int32_t>(rounded) : std::numeric_limits<std::int32_t>::min();
    return 0;
}

}  // namespace kesp
