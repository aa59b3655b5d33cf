#include "kesp/input/blockLine.h"

#include "kesp/support/numberReader.h"
#include "kesp/support/text.h"
#include "kesp/support/tokenizer.h"

namespace kesp {

void blankComment(std::string& line)
{
    const std::size_t bang = line.find('!');
    if (bang != std::string::npos) {
        line.replace(bang, line.size() - bang, line.size() - bang, ' ');
    }
}

std::vector<ItemCandidate> itemCandidates(std::string_view line)
{
    std::vector<ItemCandidate> items;
    int position = 1;
    std::string token(inputLineLength, ' ');
    if (nextToken(CaseMatch::exact, blockDelimiters, line, position, token) != 0) {
        return items;
    }
    while (nextToken(CaseMatch::exact, blockDelimiters, line, position, token) == 0) {
        const std::size_t equals = token.find('=');
        if (equals != std::string::npos) {
            items.push_back({token, equals + 1});
        }
    }
    return items;
}

SqueezedItem squeezeItem(const ItemCandidate& item)
{
    std::string text = item.token;
    toUpper(text, trimmedLength(text));
    squeezeBlanks(text);
    // Trailing blanks are insignificant when the keyword is compared.
    return {std::string(trimmed(text.substr(0, item.equalsColumn))), text.substr(item.equalsColumn)};
}

bool readItemInteger(std::string_view value, std::int32_t& number)
{
    std::string cleaned(value.size(), ' ');
    cleanValue(value, cleaned);
    return readInteger(cleaned, number) == 0;
}

bool readItemReal(std::string_view value, double& number)
{
    std::string cleaned(value.size(), ' ');
    cleanValue(value, cleaned);
    return readReal(cleaned, number) == 0;
}

bool rewindInput(std::istream& input)
{
    input.clear();
    input.seekg(0);
    return !input.fail();
}

}  // namespace kesp
