#pragma once
// Converting value texts of the input file to numbers.
//
// Accepted: leading and trailing blanks around an optional sign, digits with
// an optional decimal point (at least one digit) and an optional exponent
// written E or D (either case) with an optionally signed integer. Nothing else
// converts, in particular no special values (NaN, Inf) and no value that
// overflows a double; a text whose trimmed length exceeds 99 does not convert
// either. A failed conversion leaves the target as it was.

#include <cstdint>
#include <string_view>

namespace kesp {

// Converts the text and rounds it to the nearest integer, halves away from
// zero; a result outside the 32-bit range becomes -2147483648.
// Status 0 converted, -1 empty or not a number.
[[nodiscard]] int readInteger(std::string_view text, std::int32_t& target);

// Converts the text to a double, correctly rounded.
// Status 0 converted, -1 empty or not a number.
[[nodiscard]] int readReal(std::string_view text, double& target);

}  // namespace kesp
