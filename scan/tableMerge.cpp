#include "scan/tableMerge.h"

#include <charconv>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "scan/scanFile.h"
#include "scan/shard.h"
#include "scan/syncedFile.h"

namespace kesp {

namespace {

constexpr std::string_view programComment = "# kesp-scan ";
constexpr std::string_view rowsField = " | rows: ";
constexpr std::string_view shardField = " | shard: ";

// A part's table, split into what all parts share and what is its own.
struct Part {
    std::filesystem::path path;
    std::string comment;  // the first line without its shard field: the whole table's first line
    std::string columns;  // the second line
    std::size_t scanRows = 0;
    Shard shard;
    std::vector<std::string> rows;  // each with its line end
};

[[noreturn]] void refusePart(const std::filesystem::path& path, const std::string& problem)
{
    throw ScanRefused("kesp-scan merge: " + path.string() + ": " + problem);
}

// The text of a " | name: value" field of the comment, up to the next field.
std::optional<std::string> fieldOf(const std::string& comment, std::string_view field, std::size_t& at)
{
    at = comment.find(field);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t start = at + field.size();
    return comment.substr(start, comment.find(" | ", start) - start);
}

std::optional<std::size_t> wholeNumber(const std::string& text)
{
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

void readHeading(Part& part, const std::string& firstLine)
{
    std::size_t at = 0;
    const std::optional<std::string> rows = fieldOf(firstLine, rowsField, at);
    const std::optional<std::size_t> scanRows = rows ? wholeNumber(*rows) : std::nullopt;
    if (!firstLine.starts_with(programComment) || !scanRows) {
        refusePart(part.path, "not a table of kesp-scan");
    }
    part.scanRows = *scanRows;
    const std::optional<std::string> shard = fieldOf(firstLine, shardField, at);
    const std::optional<Shard> parsed = shard ? shardOf(*shard) : std::nullopt;
    if (!parsed) {
        refusePart(part.path, "the table of a whole scan, not a part made with --shard");
    }
    part.shard = *parsed;
    part.comment = firstLine.substr(0, at) + firstLine.substr(at + shardField.size() + shard->size());
}

Part readPart(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        refusePart(path, std::filesystem::exists(path, error) ? "not a regular file" : "not found");
    }
    Part part;
    part.path = path;
    const std::string content = fileContent(path);
    std::string_view text(content);
    std::vector<std::string_view> lines;
    for (std::size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n')) {
        lines.push_back(text.substr(0, end + 1));
        text.remove_prefix(end + 1);
    }
    if (lines.size() < 2) {
        refusePart(path, "not a table of kesp-scan");
    }
    readHeading(part, std::string(lines[0]));
    part.columns = lines[1];
    part.rows.assign(lines.begin() + 2, lines.end());
    const std::size_t expected = rowsOf(part.shard, part.scanRows).size();
    const std::string name = std::to_string(part.shard.index) + "/" + std::to_string(part.shard.count);
    if (part.rows.size() < expected || !text.empty()) {
        refusePart(path, "unfinished: it holds " + std::to_string(part.rows.size()) + " of the "
                             + std::to_string(expected) + " rows of part " + name
                             + "; run kesp-scan --shard " + name + " again to finish it");
    }
    if (part.rows.size() > expected) {
        refusePart(path, "damaged: it holds more rows than part " + name + " of the scan has");
    }
    return part;
}

// Every part once, all of one scan split the same way.
void checkParts(const std::map<std::size_t, Part>& parts, const Part& first)
{
    std::string missing;
    for (std::size_t index = 1; index <= first.shard.count; ++index) {
        if (!parts.contains(index)) {
            missing += (missing.empty() ? "" : ", ") + std::to_string(index);
        }
    }
    if (!missing.empty()) {
        throw ScanRefused("kesp-scan merge: part " + missing + " of " + std::to_string(first.shard.count)
                          + " missing; give the tables of all parts");
    }
}

void addPart(std::map<std::size_t, Part>& parts, Part part)
{
    if (!parts.empty()) {
        const Part& first = parts.begin()->second;
        if (part.comment != first.comment || part.columns != first.columns) {
            refusePart(part.path, "a part of another scan than " + first.path.string()
                                      + " (its first two lines differ)");
        }
        if (part.shard.count != first.shard.count) {
            refusePart(part.path, "a part of " + std::to_string(part.shard.count) + ", but "
                                      + first.path.string() + " of " + std::to_string(first.shard.count));
        }
    }
    const auto found = parts.find(part.shard.index);
    if (found != parts.end()) {
        refusePart(part.path, "part " + std::to_string(part.shard.index) + " again, as "
                                  + found->second.path.string() + " is");
    }
    const std::size_t index = part.shard.index;
    parts.emplace(index, std::move(part));
}

}  // namespace

std::size_t mergeTables(const std::filesystem::path& out, const std::vector<std::filesystem::path>& paths)
{
    if (paths.empty()) {
        throw ScanRefused("kesp-scan merge: no part given");
    }
    std::map<std::size_t, Part> parts;
    for (const std::filesystem::path& path : paths) {
        addPart(parts, readPart(path));
    }
    const Part& first = parts.begin()->second;
    checkParts(parts, first);
    std::string table = first.comment + first.columns;
    for (std::size_t row = 0; row < first.scanRows; ++row) {
        const std::size_t count = first.shard.count;
        table += parts.at(row % count + 1).rows[row / count];
    }
    replaceFileContent(out, table);
    return first.scanRows;
}

}  // namespace kesp
