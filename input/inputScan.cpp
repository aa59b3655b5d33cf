#include "kesp/input/inputScan.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "kesp/input/blockLine.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

constexpr std::size_t keptColumns = 1000;
constexpr std::string_view byteOrderMarkBytes = "\xEF\xBB\xBF";
constexpr std::array<std::string_view, 6> blockKeys{"SIMCON:", "EVO2:", "DMSO:", "CELL:", "KESP:", "RADX:"};

// The line without blanks, control characters and a leading byte-order
// mark, in capitals: what a block line begins with.
std::string blockStart(std::string_view line)
{
    if (line.starts_with(byteOrderMarkBytes)) {
        line.remove_prefix(byteOrderMarkBytes.size());
    }
    std::string text;
    for (const char c : line) {
        if (!isBlankOrControl(c)) {
            text += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        }
    }
    return text;
}

std::string whyNotRead(std::string_view key, std::string_view line)
{
    std::string withoutBlanks(line);
    std::erase(withoutBlanks, ' ');
    if (line.starts_with(byteOrderMarkBytes)) {
        return "a byte-order mark stands before the key";
    }
    if (key != "RADX:" && withoutBlanks.find(key) == std::string::npos) {
        return "the key is found only as written, in capitals: " + std::string(key);
    }
    return "a tab or other character breaks the key";
}

void checkBlockLines(const InputScan& scan, std::string_view key, InputDiagnostics& diagnostics)
{
    const int taken = diagnostics.takenLine(key);
    if (taken < 0) {
        return;  // a block the run does not read
    }
    const bool takenIsComment = taken > 0 && static_cast<std::size_t>(taken) <= scan.lines.size()
                                && blockStart(scan.lines[static_cast<std::size_t>(taken) - 1].start).starts_with("!");
    for (std::size_t i = 0; i < scan.lines.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        if (number == taken || !blockStart(scan.lines[i].start).starts_with(key)) {
            continue;
        }
        if (taken == 0) {
            diagnostics.warn(number, key,
                             "this line looks like a block line but is not read (" + whyNotRead(key, scan.lines[i].start)
                                 + "); the block's defaults are used");
        } else {
            diagnostics.warn(number, key,
                             "this block line is not read: the block is read from line " + std::to_string(taken)
                                 + (takenIsComment ? ", a comment that holds the key first, so its defaults are used"
                                                   : ", which holds the key first"));
        }
    }
}

void checkLongLine(const InputScan& scan, std::string_view key, InputDiagnostics& diagnostics)
{
    const int taken = diagnostics.takenLine(key);
    if (taken < 1 || static_cast<std::size_t>(taken) > scan.lines.size()) {
        return;
    }
    const RawLine& line = scan.lines[static_cast<std::size_t>(taken) - 1];
    const std::string_view beyond =
        line.start.size() > inputLineLength ? std::string_view(line.start).substr(inputLineLength) : "";
    const std::size_t text = beyond.find_first_not_of(' ');
    if (line.length > inputLineLength && text != std::string_view::npos) {
        diagnostics.warn(taken, key, "text beyond column " + std::to_string(inputLineLength) + " is ignored (\""
                                         + std::string(trimmed(beyond.substr(text, 20))) + "...\")");
    }
}

}  // namespace

InputScan scanInput(std::istream& input)
{
    input.clear();
    input.seekg(0);
    InputScan scan;
    std::streambuf* const buffer = input.rdbuf();
    std::string start;        // the line's first characters, one more than kept (a CR may end them)
    std::size_t length = 0;   // of the line so far
    std::size_t bytes = 0;
    std::string firstBytes;   // for the byte-order mark
    bool carriageReturn = false;
    bool lineFeed = false;
    char last = '\0';
    const auto endLine = [&] {
        const std::size_t withoutCr = length > 0 && last == '\r' ? length - 1 : length;
        if (scan.lines.size() < inputLineLimit) {
            scan.lines.push_back({start.substr(0, std::min(withoutCr, keptColumns)), withoutCr});
        }
        start.clear();
        length = 0;
        last = '\0';
    };
    for (int next = buffer != nullptr ? buffer->sbumpc() : std::char_traits<char>::eof();
         next != std::char_traits<char>::eof(); next = buffer->sbumpc()) {
        const char c = std::char_traits<char>::to_char_type(next);
        if (bytes++ < byteOrderMarkBytes.size()) {
            firstBytes += c;
        }
        carriageReturn = carriageReturn || c == '\r';
        if (c == '\n') {
            lineFeed = true;
            endLine();
            continue;
        }
        if (start.size() <= keptColumns) {
            start += c;
        }
        ++length;
        last = c;
    }
    if (length > 0) {
        endLine();
    }
    scan.byteOrderMark = firstBytes == byteOrderMarkBytes;
    scan.carriageReturnsOnly = carriageReturn && !lineFeed;
    return scan;
}

void checkScannedLines(const InputScan& scan, InputDiagnostics& diagnostics)
{
    if (scan.byteOrderMark) {
        diagnostics.warn(1, "", "the file begins with a UTF-8 byte-order mark; save it as plain ASCII text");
    }
    if (scan.carriageReturnsOnly) {
        diagnostics.warn(1, "", "the lines end in carriage returns only, so the file is read as one line; "
                                "save it with line feeds (Unix) or CR LF (Windows) line ends");
    }
    for (const std::string_view key : blockKeys) {
        checkBlockLines(scan, key, diagnostics);
        checkLongLine(scan, key, diagnostics);
    }
}

}  // namespace kesp
