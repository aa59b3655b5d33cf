#pragma once
// Checking a row that a scan or merge takes up from a table on disk before
// keeping it: a table that was edited, mixed with another file or written
// by another system is refused rather than carried into the finished table.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kesp/report/scanDefinition.h"
#include "kesp/report/scanTable.h"

namespace kesp {

// The line without its line end, if it has one.
std::string_view withoutLineEnd(std::string_view line);

// Whether the path names something other than a regular file (a folder, a
// pipe, a device such as /dev/null): a table replaces only a regular file,
// as kesp replaces only a regular report file.
bool namesNonRegularFile(const std::filesystem::path& path);

// The fields of one line of a table (without its line end), read as
// csvLine writes them; nothing when the line is no such line, with the
// reason in `problem`.
std::optional<std::vector<std::string>> csvFields(std::string_view line, std::string& problem);

// The fields of a line (without its line end) that must be a row of
// `count` fields; nothing when it is not, with the reason in `problem`.
std::optional<std::vector<std::string>> rowFields(std::string_view line, std::size_t count, std::string& problem);

// What each row of a table must hold.
struct RowLayout {
    std::size_t fields = 0;     // in a row of the table
    std::size_t pairedFields = 0;  // of those, the ones a row waiting for the other runs they are formed from lacks
    // The fields that name the configuration of the row at a position of
    // the table: the varied items' values and the switches.
    std::function<std::vector<std::string>(std::size_t position)> leadingFields;
    // A row waiting for its turn keeps its DSB sources (a survival block's
    // columns are formed from them).
    bool keepsSources = false;
};

// What each row of the table of the configurations (indices, in the
// table's order) holds, to check rows taken up from a table on disk.
RowLayout tableRowLayout(const ScanDefinition& scan, ScanMode mode, std::vector<std::size_t> configurations);

enum class RowForm {
    complete,       // as in the table
    withoutPaired,  // as kept until the runs its last fields are formed from are done
};

// "p, 20 (switches: none)": the fields that name a configuration, the
// switches last, to name it in messages.
std::string configurationText(const std::vector<std::string>& leading);

// What is wrong with the line (without its line end) as the row at the
// position; empty when nothing is.
std::string rowProblem(std::string_view line, const RowLayout& layout, std::size_t position, RowForm form);

}  // namespace kesp
