#pragma once
// `kesp-scan merge`: joins the tables of the N parts of a scan (made with
// --shard I/N) into the table of the whole scan, row for row and byte for
// byte the table that one kesp-scan run of the scan writes.

#include <cstddef>
#include <filesystem>
#include <vector>

#include "kesp/report/scanPlan.h"

namespace kesp {

// Writes the whole table to `out` (replacing it at once, never partly).
// Throws ScanRefused, and writes nothing, when a part is missing, unfinished,
// given twice, of another scan or no part at all, when a row is damaged
// (not a whole CSV line of the table's columns) or out of the scan's order,
// and when `out` exists and is not a regular file; RunError when `out`
// cannot be written. Returns the number of rows.
std::size_t mergeTables(const std::filesystem::path& out, const std::vector<std::filesystem::path>& parts);

// The same, with the scan the parts were made of: the parts must also be of
// this very scan (their fingerprint), and every row must hold its own
// configuration's values of the varied items and switches.
std::size_t mergeTables(const std::filesystem::path& out, const std::vector<std::filesystem::path>& parts,
                        const ScanPlan& plan);

}  // namespace kesp
