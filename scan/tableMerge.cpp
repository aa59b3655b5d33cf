#include "scan/tableMerge.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "scan/scanFile.h"
#include "kesp/report/scanConfiguration.h"
#include "scan/shard.h"
#include "scan/syncedFile.h"
#include "scan/tableHeading.h"
#include "scan/tableRow.h"

namespace kesp {

namespace {

constexpr std::string_view programComment = "# kesp-scan ";
constexpr std::string_view rowsField = " | rows: ";
constexpr std::string_view shardField = " | shard: ";
constexpr std::string_view fingerprintField = " | fingerprint: ";
constexpr std::size_t maxListed = 200;  // characters of a list of missing parts

// A part's table, split into what all parts share and what is its own.
struct Part {
    std::filesystem::path path;
    std::string comment;  // the first line without its shard field: the whole table's first line
    std::string columns;  // the second line
    std::size_t scanRows = 0;
    Shard shard;
    std::vector<std::string> rows;  // each with its line end
    using Key = std::vector<std::string>;
    std::vector<Key> keys;  // of each row, the fields that name its configuration, up to its switches
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
    if (*scanRows > maxConfigurations) {
        refusePart(part.path, "damaged: its first line claims " + *rows + " rows, more than a scan may have ("
                                  + std::to_string(maxConfigurations) + ")");
    }
    part.scanRows = *scanRows;
    const std::optional<std::string> shard = fieldOf(firstLine, shardField, at);
    if (!shard) {
        refusePart(part.path, "the table of a whole scan, not a part made with --shard");
    }
    const std::optional<Shard> parsed = shardOf(*shard);
    if (!parsed) {
        refusePart(part.path, "damaged: its first line names part " + *shard
                                  + ", not a part I of N with 1 <= I <= N <= " + std::to_string(maxConfigurations));
    }
    part.shard = *parsed;
    part.comment = firstLine.substr(0, at) + firstLine.substr(at + shardField.size() + shard->size());
}

[[noreturn]] void refuseRow(const std::filesystem::path& path, std::size_t line, const std::string& problem)
{
    throw ScanRefused("kesp-scan merge: " + path.string() + ":" + std::to_string(line) + ": a damaged row: "
                      + problem + "; run the part again to write it afresh");
}

// Checks that every row is a whole CSV line of as many fields as there are
// columns, and keeps the fields that name each row's configuration: those
// up to the column `switches`.
void readKeys(Part& part)
{
    std::string problem;
    const std::optional<std::vector<std::string>> columns = csvFields(withoutLineEnd(part.columns), problem);
    if (!columns || std::find(columns->begin(), columns->end(), "switches") == columns->end()) {
        refusePart(part.path, "not a table of kesp-scan");
    }
    const auto keyFields = std::find(columns->begin(), columns->end(), "switches") - columns->begin() + 1;
    for (std::size_t i = 0; i < part.rows.size(); ++i) {
        const std::optional<std::vector<std::string>> fields =
            rowFields(withoutLineEnd(part.rows[i]), columns->size(), problem);
        if (!fields) {
            refuseRow(part.path, i + 3, problem);
        }
        part.keys.emplace_back(fields->begin(), fields->begin() + keyFields);
    }
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
    readKeys(part);
    return part;
}

// The table replaces only a regular file, as kesp replaces only a regular
// report file: never a device, a pipe or a folder.
void refuseReplacingOther(const std::filesystem::path& out)
{
    if (namesNonRegularFile(out)) {
        throw ScanRefused("kesp-scan merge: " + out.string()
                          + ": it exists and is not a regular file; name another table to write");
    }
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
        if (missing.size() > maxListed) {
            missing = missing.substr(0, missing.rfind(", ", maxListed)) + ", ...";
        }
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

// Whether the values of item k repeat every `period` blocks of `block` rows.
bool repeatsEvery(const std::vector<const Part::Key*>& keys, std::size_t k, std::size_t block, std::size_t period)
{
    for (std::size_t row = period * block; row < keys.size(); row += block) {
        if ((*keys[row])[k] != (*keys[row - period * block])[k]) {
            return false;
        }
    }
    return true;
}

// Two rows (in scan order) that cannot both stand where they do in the
// scan's order, the later first.
struct RowsOutOfOrder {
    std::size_t row;
    std::size_t before;
};

// The first row (in scan order) that does not fit the scan's order: every
// combination of the varied items' values once, the last item varying
// fastest, under the same switches. The values each item runs through are
// not known here; they are those the rows show. So each item, from the
// last, must keep its value within blocks of rows in which the items after
// it run through their values, and repeat its values with a period of
// whole blocks, which makes the blocks of the item before it.
std::optional<RowsOutOfOrder> rowOutOfOrder(const std::vector<const Part::Key*>& keys)
{
    const std::size_t rows = keys.size();
    if (rows == 0) {
        return std::nullopt;
    }
    const std::size_t switches = keys[0]->size() - 1;
    std::size_t block = 1;
    for (std::size_t k = switches + 1; k-- > 0;) {
        const std::size_t keepsFor = k == switches ? rows : block;
        for (std::size_t row = 0; row < rows; ++row) {
            if ((*keys[row])[k] != (*keys[row - row % keepsFor])[k]) {
                return RowsOutOfOrder{row, row - row % keepsFor};
            }
        }
        if (k == switches) {
            continue;
        }
        const std::size_t blocks = rows / block;
        std::size_t period = 1;
        while (period < blocks && (blocks % period != 0 || !repeatsEvery(keys, k, block, period))) {
            ++period;
        }
        block *= period;
    }
    return std::nullopt;
}

std::string hexText(std::uint64_t value)
{
    std::string text(16, '0');
    for (std::size_t i = 0; i < 16; ++i) {
        text[15 - i] = "0123456789abcdef"[(value >> (4 * i)) & 0xfU];
    }
    return text;
}

// The parts are of the scan as it is now: their fingerprint is the plan's
// for their columns.
void checkScan(const Part& part, const ScanPlan& plan)
{
    std::size_t at = 0;
    std::string problem;
    const std::optional<std::string> fingerprint = fieldOf(part.comment, fingerprintField, at);
    const std::optional<std::vector<std::string>> columns = csvFields(withoutLineEnd(part.columns), problem);
    if (!fingerprint || !columns || *fingerprint != hexText(fingerprintOf(plan, *columns))) {
        refusePart(part.path, "a part of another scan than " + plan.scan.path.string()
                                  + ", or of it before it changed (its fingerprint differs)");
    }
}

// Every row holds its own configuration's values of the varied items and
// switches.
void checkRows(const std::map<std::size_t, Part>& parts, const ScanPlan& plan)
{
    const std::size_t count = parts.begin()->second.shard.count;
    for (std::size_t row = 0; row < plan.configurations; ++row) {
        const Part& part = parts.at(row % count + 1);
        Part::Key expected = configurationAt(plan.scan, row).varied;
        expected.push_back(switchText(plan.scan));
        if (part.keys[row / count] != expected) {
            refuseRow(part.path, row / count + 3,
                      "it holds the row of " + configurationText(part.keys[row / count]) + " where the row of "
                          + configurationText(expected) + " belongs (a row out of place, repeated or edited)");
        }
    }
}

std::size_t mergeParts(const std::filesystem::path& out, const std::vector<std::filesystem::path>& paths,
                       const ScanPlan* plan)
{
    if (paths.empty()) {
        throw ScanRefused("kesp-scan merge: no part given");
    }
    refuseReplacingOther(out);
    std::map<std::size_t, Part> parts;
    for (const std::filesystem::path& path : paths) {
        addPart(parts, readPart(path));
    }
    const Part& first = parts.begin()->second;
    checkParts(parts, first);
    if (plan != nullptr) {
        checkScan(first, *plan);
        checkRows(parts, *plan);
    }
    const std::size_t count = first.shard.count;
    std::vector<const Part::Key*> keys;
    std::string table = first.comment + first.columns;
    for (std::size_t row = 0; row < first.scanRows; ++row) {
        const Part& part = parts.at(row % count + 1);
        table += part.rows[row / count];
        keys.push_back(&part.keys[row / count]);
    }
    if (const std::optional<RowsOutOfOrder> rows = rowOutOfOrder(keys)) {
        const auto place = [&](std::size_t row) {
            return parts.at(row % count + 1).path.string() + ":" + std::to_string(row / count + 3) + " ("
                   + configurationText(*keys[row]) + ")";
        };
        throw ScanRefused("kesp-scan merge: rows out of the scan's order: " + place(rows->row)
                          + " cannot follow " + place(rows->before)
                          + " in one scan (a row out of place, repeated or edited); run the parts again to write "
                            "them afresh");
    }
    replaceFileContent(out, table);
    return first.scanRows;
}

}  // namespace

std::size_t mergeTables(const std::filesystem::path& out, const std::vector<std::filesystem::path>& paths)
{
    return mergeParts(out, paths, nullptr);
}

std::size_t mergeTables(const std::filesystem::path& out, const std::vector<std::filesystem::path>& paths,
                        const ScanPlan& plan)
{
    return mergeParts(out, paths, &plan);
}

}  // namespace kesp
