#pragma once
// Rendering of numbers from short format codes.
//
// A format code is a letter (E, F, I or G, either case) and a digit count:
// "E5" is scientific with five decimals, "F3" fixed with three decimals,
// "I " a whole number, "G4" general with four significant digits. A code
// without any of these letters means scientific with seven decimals.

#include <cstddef>
#include <string>
#include <string_view>

namespace kesp {

enum class FormatRule { scientific, fixed, integer, general };

struct NumberFormat {
    FormatRule rule = FormatRule::scientific;
    int digits = 7;        // decimals (scientific, fixed) or significant digits (general)
    bool integer = false;  // drop the decimal point and what follows it
    int status = 0;        // 0; 1 for an integer code; -1 for a blank code
};

// Every rendering is worked out in a field of this many columns; a text that
// needs more shows as this many asterisks.
inline constexpr std::size_t numberFieldWidth = 80;

NumberFormat buildNumberFormat(std::string_view code);

struct RenderedNumber {
    std::string text;       // the shortest text of the value, without blanks
    int pointPosition = 0;  // column of the decimal point in text (for the integer
                            // form where it stood before removal), 0 if none
    int status = 0;         // 0; -1 blank code; -2 formatting failed; -3 blank result
};

// Non-finite values render as "NaN", "Inf" or "-Inf" whatever the code.
RenderedNumber renderNumber(double value, std::string_view code);

// The rendered number right-justified in `width` columns, or `width`
// asterisks when it does not fit.
std::string numberField(double value, std::string_view code, std::size_t width);

}  // namespace kesp
