#pragma once
// Taking a block line of the input file apart into KEY=value items.
//
// A block line is split at blanks, commas, colons and semicolons; its first
// token (normally the block key) is never an item. Every later token that
// holds "=" is an item candidate; the column of its first "=" is fixed on the
// token as written, before blanks and control characters are squeezed out.

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace kesp {

// Every line of the input file is taken as this many columns.
inline constexpr std::size_t inputLineLength = 240;

// Delimiters between the tokens of a block line.
inline constexpr std::string_view blockDelimiters = ", :;";

struct ItemCandidate {
    std::string token;          // the token as written, blank-padded
    std::size_t equalsColumn;   // column of its first "=", counted from 1
};

// Blanks the line from its first "!" to its end.
void blankComment(std::string& line);

// The tokens after the first one that hold "=", in their order on the line.
std::vector<ItemCandidate> itemCandidates(std::string_view line);

// The keyword part of an item (the token upper-cased and squeezed as a whole,
// its first equalsColumn columns without trailing blanks) and the value part
// (the rest of that text).
struct SqueezedItem {
    std::string keyword;
    std::string value;
};
SqueezedItem squeezeItem(const ItemCandidate& item);

// The value text with quotes and brackets deleted (cleanValue), converted as a
// number; false, with the number unchanged, when it does not convert.
[[nodiscard]] bool readItemInteger(std::string_view value, std::int32_t& number);
[[nodiscard]] bool readItemReal(std::string_view value, double& number);

// Back to the start of the file; false when the stream cannot be repositioned.
[[nodiscard]] bool rewindInput(std::istream& input);

}  // namespace kesp
