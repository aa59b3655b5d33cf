#include "scan/scanDocument.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "scan/scanFile.h"
#include "kesp/report/scanText.h"

namespace kesp {

namespace {

[[noreturn]] void refuse(const std::filesystem::path& file, int line, const std::string& what,
                         const std::string& message)
{
    std::string text = file.string();
    if (line > 0) {
        text += ":" + std::to_string(line);
    }
    text += ": ";
    if (!what.empty()) {
        text += what + ": ";
    }
    throw ScanRefused(text + message);
}

std::string byteText(unsigned char byte)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", static_cast<unsigned>(byte));
    return text;
}

// The length of the UTF-8 sequence that starts the text, or 0 when none
// does (a stray continuation byte, an overlong form, a surrogate, a code
// point above U+10FFFF, or a sequence cut short).
std::size_t utf8SequenceLength(std::string_view text)
{
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = lead >= 0xc2 && lead <= 0xdf ? 2 : lead >= 0xe0 && lead <= 0xef ? 3
                         : lead >= 0xf0 && lead <= 0xf4                                   ? 4
                                                                                          : 0;
    if (length == 0 || text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xc0) != 0x80) {
            return 0;
        }
    }
    // The second byte's range rules out overlong forms, surrogates and code
    // points above U+10FFFF.
    const unsigned char second = byte(1);
    const bool outOfRange = (lead == 0xe0 && second < 0xa0) || (lead == 0xed && second > 0x9f)
                            || (lead == 0xf0 && second < 0x90) || (lead == 0xf4 && second > 0x8f);
    return outOfRange ? 0 : length;
}

// Every byte belongs to UTF-8 text, and no control character other than a
// tab or a line end stands in it.
void checkText(std::string_view text, const std::filesystem::path& file)
{
    int line = 1;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\n') {
            ++line;
        } else if ((byte < 0x20 && byte != '\t' && byte != '\r') || byte == 0x7f) {
            refuse(file, line, "", "the control character " + byteText(byte)
                                       + " stands in the text; a scan file is plain text");
        }
        const std::size_t length = utf8SequenceLength(text.substr(i));
        if (length == 0) {
            refuse(file, line, "", "not UTF-8 text (the byte " + byteText(byte)
                                       + " starts no UTF-8 character); save the scan file as UTF-8");
        }
        i += length;
    }
}

std::string readText(const std::filesystem::path& file)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        refuse(file, 0, "", "the scan file is not found or not a regular file");
    }
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size > maxScanFileBytes) {
        refuse(file, 0, "", "the scan file is " + std::to_string(size) + " bytes long; a scan file holds at most "
                                + std::to_string(maxScanFileBytes) + " bytes");
    }
    std::ifstream input(file, std::ios::binary);
    std::ostringstream text;
    const bool empty = input && input.peek() == std::ifstream::traits_type::eof();
    if (!input || (!empty && !(text << input.rdbuf()))) {
        refuse(file, 0, "", "the scan file cannot be read");
    }
    return text.str();
}

// The line, from 1, where the second document begins: its "---" line, or
// where yaml-cpp places it (a document after "..." needs no "---").
int secondDocumentLine(std::string_view text, const std::vector<YAML::Node>& documents)
{
    const int firstStart = documents[0].Mark().line;
    std::istringstream lines{std::string(text)};
    int index = 0;
    for (std::string line; std::getline(lines, line); ++index) {
        const bool marker = line.starts_with("---") && (line.size() == 3 || line[3] == ' ' || line[3] == '\t'
                                                        || line[3] == '\r');
        if (marker && index > firstStart) {
            return index + 1;
        }
    }
    return std::max(documents[1].Mark().line, 0) + 1;
}

// No mapping holds a key twice and no value holds a NUL (a quoted "\0").
// `owner` is the key under which the node stands; empty for the document.
void checkNode(const YAML::Node& node, const std::string& owner, const std::filesystem::path& file)
{
    if (node.IsScalar() && node.Scalar().find('\0') != std::string::npos) {
        refuse(file, node.Mark().line + 1, owner,
               "a value holds a NUL character (\\0) after " + quotedText(node.Scalar().c_str()) + "; remove it");
    }
    if (node.IsSequence()) {
        for (const YAML::Node& child : node) {
            checkNode(child, owner, file);
        }
    }
    if (!node.IsMap()) {
        return;
    }
    std::map<std::string, int> keys;
    for (const auto& entry : node) {
        checkNode(entry.first, owner, file);
        const std::string key = entry.first.IsScalar() ? entry.first.Scalar() : std::string();
        const int line = entry.first.Mark().line + 1;
        const auto [first, added] = keys.try_emplace(key, line);
        if (entry.first.IsScalar() && !added) {
            const std::string twice = "given twice (first on line " + std::to_string(first->second) + ")";
            owner.empty() ? refuse(file, line, key, twice) : refuse(file, line, owner, quotedText(key) + " " + twice);
        }
        checkNode(entry.second, key, file);
    }
}

}  // namespace

YAML::Node loadScanDocument(const std::filesystem::path& file)
{
    const std::string text = readText(file);
    checkText(text, file);
    std::vector<YAML::Node> documents;
    try {
        documents = YAML::LoadAll(text);
    } catch (const YAML::ParserException& problem) {
        refuse(file, problem.mark.line + 1, "", "not a YAML document: " + problem.msg);
    }
    if (documents.empty()) {
        return YAML::Node();
    }
    if (documents.size() > 1) {
        refuse(file, secondDocumentLine(text, documents), "",
               "a second YAML document begins here; a scan file is one document (remove the \"---\" line and what"
               " follows, or make it a scan file of its own)");
    }
    checkNode(documents[0], "", file);
    return documents[0];
}

}  // namespace kesp
