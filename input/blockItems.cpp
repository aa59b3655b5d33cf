#include "kesp/input/blockItems.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "kesp/input/blockLine.h"
#include "kesp/support/text.h"
#include "kesp/support/tokenizer.h"

namespace kesp {

namespace {

// The tokens after the first, as written.
std::vector<std::string> tokensAfterKey(std::string_view line)
{
    std::vector<std::string> tokens;
    int position = 1;
    std::string token(inputLineLength, ' ');
    if (nextToken(CaseMatch::exact, blockDelimiters, line, position, token) != 0) {
        return tokens;
    }
    while (nextToken(CaseMatch::exact, blockDelimiters, line, position, token) == 0) {
        tokens.emplace_back(trimmed(token));
    }
    return tokens;
}

bool holdsControl(std::string_view token)
{
    return std::any_of(token.begin(), token.end(), [](char c) { return c != ' ' && isBlankOrControl(c); });
}

bool isDigits(std::string_view token)
{
    return !token.empty() && token.find_first_not_of("0123456789") == std::string_view::npos;
}

std::string keywordList(std::span<const std::string_view> keywords)
{
    std::string list;
    for (const std::string_view keyword : keywords) {
        list += (list.empty() ? "" : ", ") + std::string(keyword);
    }
    return list;
}


// An item written with blanks around "=": "NOCS = 100" or "NOCS =100".
std::size_t checkSplitItem(const std::vector<std::string>& tokens, std::size_t i, std::string_view block,
                           int lineNumber, InputDiagnostics& diagnostics)
{
    std::string written = tokens[i] + " " + tokens[i + 1];
    std::string joined = tokens[i] + tokens[i + 1];
    std::size_t used = 2;
    if (tokens[i + 1] == "=" && i + 2 < tokens.size()) {
        written += " " + tokens[i + 2];
        joined += tokens[i + 2];
        used = 3;
    }
    diagnostics.warn(lineNumber, block,
                     inQuotes(written) + ": blanks around \"=\" keep the item from being read; write "
                         + joined);
    return used;
}

void checkItemToken(std::string_view token, std::span<const std::string_view> keywords,
                    std::string_view block, int lineNumber, InputDiagnostics& diagnostics)
{
    if (holdsControl(token)) {
        diagnostics.warn(lineNumber, block,
                         inQuotes(token) + " holds a tab or other control character, so it is not read "
                                         "as an item; separate items with blanks");
        return;
    }
    const std::string padded = makeField(token, inputLineLength);
    const SqueezedItem item = squeezeItem({padded, token.find('=') + 1});
    if (item.keyword == "=") {
        diagnostics.warn(lineNumber, block, inQuotes(token) + " has no keyword before \"=\" and is ignored");
    } else if (std::find(keywords.begin(), keywords.end(), item.keyword) == keywords.end()) {
        diagnostics.warn(lineNumber, block,
                         inQuotes(token) + ": " + item.keyword + " is not an item of this block ("
                             + keywordList(keywords) + "); ignored");
    }
}

}  // namespace

void checkLineTokens(std::string_view line, std::span<const std::string_view> keywords,
                     std::string_view block, int lineNumber, InputDiagnostics& diagnostics)
{
    const std::vector<std::string> tokens = tokensAfterKey(line);
    for (std::size_t i = 0; i < tokens.size();) {
        const std::string& token = tokens[i];
        if (token.find('=') != std::string::npos) {
            checkItemToken(token, keywords, block, lineNumber, diagnostics);
            ++i;
        } else if (i + 1 < tokens.size() && tokens[i + 1].front() == '=') {
            i += checkSplitItem(tokens, i, block, lineNumber, diagnostics);
        } else {
            const bool afterNumber = i > 0 && tokens[i - 1].find('=') != std::string::npos
                                     && std::isdigit(static_cast<unsigned char>(tokens[i - 1].back()));
            diagnostics.warn(lineNumber, block,
                             inQuotes(token) + " is not an item (KEY=value) and is ignored"
                                 + (afterNumber && isDigits(token)
                                        ? " (a decimal comma? numbers take a point, as in 0.5)"
                                        : ""));
            ++i;
        }
    }
}

}  // namespace kesp
