#pragma once
// The table on disk while a scan runs, and how a scan resumes it.
//
// The table holds its heading and then the rows in their order, each one
// written and synced as soon as every row before it is there; so after any
// interruption it is a table whose last rows are missing, never a mixed
// one. A row that finishes before its turn (another job is still running an
// earlier one) is kept, synced, in the table's pending file ("rbe.csv"
// keeps "rbe.csv.pending") until its turn comes. Running the scan again
// takes up the rows of both, and the pending file goes once the table is
// complete.

#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "kesp/report/scanTable.h"
#include "scan/syncedFile.h"
#include "scan/tableRow.h"
#include "kesp/support/runError.h"

namespace kesp {

class TableFile {
public:
    // Opens the table for `rowCount` rows under the heading (the comment line
    // and the line of column names). A table that is missing or empty is
    // started; one begun by this very scan is resumed: its rows are kept,
    // each checked against the layout, and a last line cut off by an
    // interruption is dropped. Throws ScanRefused when the file holds
    // anything else (another scan, a scan file changed since, another
    // program's file, a damaged row, which it names by its line), RunError
    // when it cannot be written. A complete table that cannot be written is
    // taken as it is: nothing needs writing.
    TableFile(const std::filesystem::path& path, const std::string& heading, std::size_t rowCount,
              RowLayout layout);
    ~TableFile();
    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;

    // The rows in the table; the next row written is the row of this position.
    std::size_t rowsWritten() const { return rowsWritten_; }
    // The rows finished before their turn, by position, as read at opening.
    const std::map<std::size_t, PendingRow>& rowsAhead() const { return rowsAhead_; }

    // Writes the next row (a line of the table).
    void writeRow(const std::string& line);
    // Keeps a row that finished before its turn.
    void holdRow(std::size_t position, const PendingRow& row);
    // Once every row is written: the pending file goes.
    void finish();

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path pendingPath() const;

private:
    void openTable();
    void resume(const std::string& content, const std::string& heading);
    void readPending();
    void requireWritable() const;

    std::filesystem::path path_;
    std::string comment_;
    std::size_t rowCount_;
    RowLayout layout_;
    std::size_t rowsWritten_ = 0;
    std::optional<RunError> unwritable_;  // why the table, opened to be read only, cannot be written
    std::map<std::size_t, PendingRow> rowsAhead_;
    std::unique_ptr<SyncedFile> table_;
    std::unique_ptr<SyncedFile> pending_;
};

}  // namespace kesp
