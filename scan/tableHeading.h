#pragma once
// The first line of a table on disk, a comment that names the scan it
// belongs to, and the fingerprint by which a resumed or merged table is
// known to be of the same scan.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "kesp/report/scanPlan.h"

namespace kesp {

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

// A 64-bit fingerprint of everything that decides the table's content: the
// emitted input texts, the field files' contents, the switches, the
// columns and a survival block's measured alpha and beta.
std::uint64_t fingerprintOf(const ScanPlan& plan, const std::vector<std::string>& columns);

}  // namespace kesp
