#pragma once
// Splitting a fixed-length text into tokens.
//
// A character set (delimiters for nextToken, members for nextRun) is made of
// its characters up to its trimmed length, but at least its first character:
// a set of one blank means the blank alone, and ", :;" holds its inner blank
// while trailing blanks of a longer set are padding. Positions are columns
// counted from 1 and carry the scan state from one call to the next.

#include <string>
#include <string_view>

namespace kesp {

// How a character of the text is compared with the characters of a set.
enum class CaseMatch {
    exact,       // byte for byte
    eitherCase,  // a letter also matches the same letter in the other case
};

// Returns the next token of `text` from `position` on: skips delimiters, then
// takes everything up to the next delimiter or the end of the text. The token
// goes into the field `token` (blanked first, the token cut to its length) and
// `position` moves to the delimiter that ended it, or one past the last column.
// Status 0 when a token was found; -1 when none is left, with position reset to 1.
[[nodiscard]] int nextToken(CaseMatch mode, std::string_view delimiters, std::string_view text, int& position,
              std::string& token);

// As nextToken with the roles swapped: skips characters that are not in the
// set and returns the following run of characters that are.
[[nodiscard]] int nextRun(CaseMatch mode, std::string_view characterSet, std::string_view text, int& position,
            std::string& run);

}  // namespace kesp
