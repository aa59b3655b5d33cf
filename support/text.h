#pragma once
// Fixed-length texts.
//
// The program handles every text as a blank-padded field of a declared length,
// the way the input file and the report lay out their columns. A field is a
// std::string whose size() is the declared length; columns are counted from 1.
// The trimmed length of a field is the column of its last non-blank character.

#include <cstddef>
#include <string>
#include <string_view>

namespace kesp {

// A field of the given length holding the text, cut or padded with blanks.
std::string makeField(std::string_view text, std::size_t length);

// Column of the last non-blank character, 0 for an all-blank or empty text.
std::size_t trimmedLength(std::string_view text);

// The text up to its last non-blank character.
std::string_view trimmed(std::string_view text);

// Letters a-z become A-Z (toUpper) or the reverse (toLower) in the first
// `length` columns; columns beyond the field are left alone.
void toUpper(std::string& text, std::size_t length);
void toLower(std::string& text, std::size_t length);

// Deletes every character with code 32 or below and the byte 255, closing the
// gaps to the left and appending blanks. A field of length 1 is left unchanged.
void squeezeBlanks(std::string& text);

// True for the characters that squeezeBlanks deletes.
bool isBlankOrControl(char c);

// True when the characters are equal or are the same letter a-z in the other case.
bool equalIgnoringCase(char a, char b);

// Deletes every occurrence of c, closing the gaps to the left and appending blanks.
void removeChar(char c, std::string& text);

// Copies the source into the target from the given column on (a column below
// 1 counts as 1), up to the target's last column; other columns keep their
// characters. Nothing happens when the source or the target is empty.
void copyInto(int column, std::string_view source, std::string& target);

// Blanks the field `value`, then copies the text up to its trimmed length into
// it and deletes the quote and bracket characters ' " ( ) [ ] { } ` < >.
void cleanValue(std::string_view text, std::string& value);

}  // namespace kesp
