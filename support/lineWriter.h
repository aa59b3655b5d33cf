#pragma once
// Writing finished lines as records; '\n' ends a record.

#include <cstddef>
#include <ostream>
#include <string_view>

namespace kesp {

// plain: the text; blankLineFirst: an empty record, then the text;
// indented: one blank, then the text.
enum class RecordForm { plain, blankLineFirst, indented };

// Writes the line up to its last non-blank character as one record.
void writeLine(std::ostream& out, RecordForm form, std::string_view line);

// One record of `length` copies of the character.
void writeRule(std::ostream& out, char c, std::size_t length = 115);

// One record holding the text exactly, trailing blanks included.
void writeRecord(std::ostream& out, std::string_view text);

}  // namespace kesp
