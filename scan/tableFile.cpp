#include "scan/tableFile.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <vector>

#include "scan/scanFile.h"
#include "kesp/report/scanText.h"

namespace kesp {

namespace {

constexpr std::string_view programComment = "# kesp-scan ";
constexpr std::string_view noValue = "-";

std::string firstLineOf(const std::string& text)
{
    return text.substr(0, text.find('\n') + 1);
}

// The complete lines of the text, each with its line end; a last line
// without one was cut off and is left out.
std::vector<std::string_view> completeLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    for (std::size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n')) {
        lines.push_back(text.substr(0, end + 1));
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::string valueText(const std::optional<double>& value)
{
    return value ? shortestText(*value) : std::string(noValue);
}

bool readValue(std::string_view text, std::optional<double>& value)
{
    if (text == noValue) {
        value.reset();
        return true;
    }
    double number = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    value = number;
    return error == std::errc() && end == text.data() + text.size();
}

bool readPosition(std::string_view text, std::size_t& position)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), position);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

// The DSB sources of a row as one word: "-" for none, else "s" (every
// yield with its SEM) or "n", then each source as its dose fraction, yield,
// SEM and zF joined by ":", the sources joined by ";". Each number is the
// shortest text that reads back to it, so a row taken up gives the same
// fields as when it was run.
std::string sourcesText(const RowSources& row)
{
    if (row.sources.empty()) {
        return std::string(noValue);
    }
    std::string text = row.withSem ? "s" : "n";
    for (std::size_t i = 0; i < row.sources.size(); ++i) {
        const DsbSource& s = row.sources[i];
        text += (i == 0 ? "" : ";") + shortestText(s.doseFraction) + ":" + shortestText(s.dsbPerCellPerGy) + ":"
                + shortestText(s.dsbPerCellPerGySem) + ":" + shortestText(s.zFGy);
    }
    return text;
}

bool readNumber(std::string_view text, double& number)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

bool readSource(std::string_view text, DsbSource& source)
{
    double* const numbers[] = {&source.doseFraction, &source.dsbPerCellPerGy, &source.dsbPerCellPerGySem,
                               &source.zFGy};
    for (std::size_t k = 0; k < 4; ++k) {
        const std::size_t colon = k < 3 ? text.find(':') : text.size();
        if (colon == std::string_view::npos || !readNumber(text.substr(0, colon), *numbers[k])) {
            return false;
        }
        text.remove_prefix(k < 3 ? colon + 1 : colon);
    }
    return true;
}

bool readSources(std::string_view text, RowSources& row)
{
    row = RowSources{};
    if (text == noValue) {
        row.withSem = false;
        return true;
    }
    if (text.empty() || (text.front() != 's' && text.front() != 'n')) {
        return false;
    }
    row.withSem = text.front() == 's';
    text.remove_prefix(1);
    while (true) {
        const std::size_t end = std::min(text.find(';'), text.size());
        DsbSource source;
        if (!readSource(text.substr(0, end), source)) {
            return false;
        }
        row.sources.push_back(source);
        if (end == text.size()) {
            return true;
        }
        text.remove_prefix(end + 1);
    }
}

// A line of the pending file: the position, the DSB yield and its SEM
// ("-" for none), with a survival block the DSB sources, and the row's
// text, separated by single blanks.
std::string pendingLine(std::size_t position, const PendingRow& row, bool withSources)
{
    return std::to_string(position) + " " + valueText(row.dsb) + " " + valueText(row.dsbSem) + " "
           + (withSources ? sourcesText(row.dsbSources) + " " : std::string()) + row.text + "\n";
}

bool readPendingLine(std::string_view line, std::size_t& position, PendingRow& row, bool withSources)
{
    line.remove_suffix(1);
    std::string_view parts[4];
    const std::size_t count = withSources ? 4 : 3;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t blank = line.find(' ');
        if (blank == std::string_view::npos) {
            return false;
        }
        parts[k] = line.substr(0, blank);
        line.remove_prefix(blank + 1);
    }
    row.text = std::string(line);
    return readPosition(parts[0], position) && readValue(parts[1], row.dsb) && readValue(parts[2], row.dsbSem)
           && (!withSources || readSources(parts[3], row.dsbSources));
}

[[noreturn]] void refuseTable(const std::filesystem::path& path, const std::string& problem,
                              const std::string& detail = "")
{
    throw ScanRefused(path.string() + ": " + problem + "; remove it to start the table afresh, or name another "
                      "table with -o" + detail);
}

[[noreturn]] void refuseDamaged(const std::filesystem::path& path, std::size_t line, const std::string& problem)
{
    throw ScanRefused(path.string() + ":" + std::to_string(line) + ": a damaged row: " + problem
                      + "; remove the file to start the table afresh, or name another table with -o");
}

}  // namespace

TableFile::TableFile(const std::filesystem::path& path, const std::string& heading, std::size_t rowCount,
                     RowLayout layout)
    : path_(path), comment_(firstLineOf(heading)), rowCount_(rowCount), layout_(std::move(layout))
{
    std::error_code error;
    const bool exists = std::filesystem::exists(path, error);
    if (namesNonRegularFile(path)) {
        throw ScanRefused(path.string() + ": it exists and is not a regular file; name another table with -o");
    }
    openTable();
    if (!exists) {
        syncFolderOf(path);
    }
    const std::string content = table_->content();
    if (std::string_view(heading).starts_with(content) && content.size() < heading.size()) {
        // New, empty, or cut off while its heading was written.
        requireWritable();
        table_->truncate(0);
        table_->write(heading);
    } else {
        resume(content, heading);
    }
    if (rowsWritten_ < rowCount_) {
        requireWritable();
        readPending();
    }
}

TableFile::~TableFile() = default;

// Locked while the scan runs, so that two scans never write one table. A
// table that cannot be opened for writing is opened to be read: when it is
// complete, nothing needs writing.
void TableFile::openTable()
{
    try {
        table_ = std::make_unique<SyncedFile>(path_, SyncedFile::Lock::exclusive);
    } catch (const RunError& error) {
        std::error_code missing;
        if (!std::filesystem::exists(path_, missing)) {
            throw;
        }
        table_ = std::make_unique<SyncedFile>(path_, SyncedFile::Lock::exclusive, SyncedFile::Opening::read);
        unwritable_ = error;
    }
}

void TableFile::requireWritable() const
{
    if (unwritable_) {
        throw *unwritable_;
    }
}

void TableFile::resume(const std::string& content, const std::string& heading)
{
    const std::string comment = firstLineOf(content);
    if (comment != comment_) {
        if (!comment.starts_with(programComment)) {
            refuseTable(path_, "not a table of kesp-scan");
        }
        refuseTable(path_, "begun by another scan, another part of it, or before the scan file changed",
                    "\n  the table's first line: " + std::string(withoutLineEnd(comment)) + "\n  this scan's first line:  "
                        + std::string(withoutLineEnd(comment_)));
    }
    const std::vector<std::string_view> lines = completeLines(content);
    if (lines.size() < 2 || lines[1] != std::string_view(heading).substr(comment_.size())) {
        refuseTable(path_, "its columns are not the columns of this scan");
    }
    if (lines.size() - 2 > rowCount_) {
        refuseDamaged(path_, rowCount_ + 3, "a row beyond the " + std::to_string(rowCount_) + " of this scan");
    }
    std::size_t complete = lines[0].size() + lines[1].size();
    for (std::size_t i = 2; i < lines.size(); ++i) {
        const std::string problem = rowProblem(lines[i].substr(0, lines[i].size() - 1), layout_, i - 2,
                                               RowForm::complete);
        if (!problem.empty()) {
            refuseDamaged(path_, i + 1, problem);
        }
        complete += lines[i].size();
    }
    rowsWritten_ = lines.size() - 2;
    if (complete < content.size()) {
        requireWritable();
        table_->truncate(complete);
    }
}

std::filesystem::path TableFile::pendingPath() const
{
    std::filesystem::path pending = path_;
    pending += ".pending";
    return pending;
}

// Takes up the rows of the pending file that the table still needs, and
// writes the file anew with only those, so that a line an interruption cut
// off does not run into the next one.
void TableFile::readPending()
{
    const std::filesystem::path pending = pendingPath();
    std::error_code error;
    if (!std::filesystem::exists(pending, error)) {
        return;
    }
    const std::string content = fileContent(pending);
    if (firstLineOf(content) != comment_) {
        refuseTable(pending, "begun by another scan, or before the scan file changed");
    }
    const std::vector<std::string_view> lines = completeLines(content);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::size_t position = 0;
        PendingRow row;
        if (!readPendingLine(lines[i], position, row, layout_.keepsSources) || position >= rowCount_) {
            refuseDamaged(pending, i + 1, "not a row of this scan waiting for its turn");
        }
        if (position < rowsWritten_) {
            continue;  // written to the table since
        }
        const std::string problem = rowProblem(row.text, layout_, position, RowForm::withoutPaired);
        if (!problem.empty()) {
            refuseDamaged(pending, i + 1, problem);
        }
        rowsAhead_.emplace(position, std::move(row));
    }
    std::string kept = comment_;
    for (const auto& [position, row] : rowsAhead_) {
        kept += pendingLine(position, row, layout_.keepsSources);
    }
    replaceFileContent(pending, kept);
}

void TableFile::writeRow(const std::string& line)
{
    table_->write(line);
    ++rowsWritten_;
}

void TableFile::holdRow(std::size_t position, const PendingRow& row)
{
    if (!pending_) {
        const std::filesystem::path pending = pendingPath();
        std::error_code error;
        const bool started = std::filesystem::exists(pending, error);
        pending_ = std::make_unique<SyncedFile>(pending, SyncedFile::Opening::append);
        if (!started) {
            pending_->write(comment_);
            syncFolderOf(pending);
        }
    }
    pending_->write(pendingLine(position, row, layout_.keepsSources));
}

void TableFile::finish()
{
    pending_.reset();
    std::error_code error;
    std::filesystem::remove(pendingPath(), error);
}

}  // namespace kesp
