#pragma once
// Building report and console lines.
//
// A line is a blank-padded text whose size() is its declared length (132 for
// the report); columns count from 1. Numbers and texts are placed at a column
// with a justification, or appended after the line's last non-blank
// character. Nothing is ever written past the line's declared length. The
// placing operations return 0 when the text went in whole and -1 when it was
// cut at an edge (or ends exactly in the last column), or the code was blank;
// -2 and -3 are the rendering failures of renderNumber.

#include <cstddef>
#include <string>
#include <string_view>

namespace kesp {

inline constexpr std::size_t reportLineLength = 132;

std::string blankLine(std::size_t length = reportLineLength);

// left: the text starts at the column; centre: it is centred on the column;
// right: it ends at the column; decimalPoint: a number's decimal point falls
// on the column (for texts the same as right).
enum class Justify { left = -1, centre = 0, right = 1, decimalPoint = 2 };

[[nodiscard]] int placeNumber(double value, int column, Justify justify, std::string_view code, std::string& line);

// Places the text up to its last non-blank character (a blank text places one blank).
[[nodiscard]] int placeText(std::string_view text, int column, Justify justify, std::string& line);

// Writes the label, with its full length, after the line's last non-blank
// character (from column 2 on a blank line) and the number directly after it.
void appendNumber(double value, std::string_view code, std::string_view label, std::string& line);

// Writes the whole text directly after the line's last non-blank character.
void appendText(std::string_view text, std::string& line);

// Replaces the first occurrence of oldText (up to its last non-blank
// character) by the whole of newText; 0 if one was replaced, -1 if none.
[[nodiscard]] int replaceText(std::string_view oldText, std::string_view newText, std::string& line);

}  // namespace kesp
