#pragma once
// The scan's table: a tidy CSV with one row per configuration, in scan
// order. Numbers are written with the shortest text that reads back to the
// same double; a field is empty where a quantity does not exist (the
// particle columns of a mixed field's Z and A, its damage model) or where no
// simulated cell produced a cluster of a category (the report prints
// -1.00000E+00 there). The SEM fields are empty for a run of fewer than 2
// cells, which has no standard error (the report prints 0 there).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "kesp/engine/runResults.h"
#include "kesp/input/runSettings.h"
#include "scan/configuration.h"
#include "scan/scanFile.h"
#include "scan/tableRow.h"

namespace kesp {

enum class ScanMode {
    simulation,   // every column
    physicsOnly,  // the physics and damage-model columns only (--physics-only)
};

// The header: the varied items, `switches`, the particle, physics and
// damage-model columns, then (when simulating) TABLE 2's "Total" row, the
// yields per Gy and Gbp, TABLE 1, `cells`, `seed` and, with a reference,
// `rbe_dsb` and `rbe_dsb_sem`.
std::vector<std::string> tableColumns(const ScanFile& scan, ScanMode mode);

// What each row of the table of the configurations (indices, in the
// table's order) holds, to check rows taken up from a table on disk.
RowLayout tableRowLayout(const ScanFile& scan, ScanMode mode, std::vector<std::size_t> configurations);

// A row without its RBE fields, and the DSB yield those are formed from.
struct RowValues {
    std::vector<std::string> fields;
    std::optional<double> dsb;     // per cell per Gy
    std::optional<double> dsbSem;
};

// The row of a configuration: what it sets, the settings it ran with and
// what the run gave (with ScanMode::physicsOnly only the physics and the
// damage model of `results` are read).
RowValues rowValues(const ScanFile& scan, const Configuration& configuration, const RunSettings& settings,
                    const RunResults& results, ScanMode mode);

// A finished row waiting for its place in the table: its fields as CSV
// text (without the RBE fields and the line end) and its DSB yield.
struct PendingRow {
    std::string text;
    std::optional<double> dsb;
    std::optional<double> dsbSem;
};

PendingRow pendingRowOf(const RowValues& row);

// The row's line in the table, with its RBE fields when it has a reference.
std::string tableLine(const PendingRow& row, const PendingRow* reference);

// rbe_dsb and rbe_dsb_sem: the row's DSB yield over its reference's, with
// the SEM propagated from both; empty fields where either yield is missing
// or the reference's is 0, and an empty SEM where either SEM is missing.
std::vector<std::string> rbeFields(const PendingRow& row, const PendingRow& reference);

// The fields as one CSV line (RFC 4180 quoting), with its line end.
std::string csvLine(const std::vector<std::string>& fields);

// What the table's first line, a comment, says: the program, the scan file,
// the scan's fingerprint, its number of rows, which part of it the table
// holds (a shard: part `shardIndex` of `shardCount`; 0 of 0 for the whole
// scan) and its title.
struct TableHeading {
    std::string version;
    std::string scanFileName;
    std::uint64_t fingerprint = 0;
    std::size_t rows = 0;
    std::size_t shardIndex = 0;
    std::size_t shardCount = 0;
    std::string title;
};

std::string tableComment(const TableHeading& heading);

}  // namespace kesp
