#pragma once
// The input files --emit-inputs writes: one per row and reference run of a
// scan, with copies of the field files they name, each of which kesp runs to
// the row's numbers.

#include <cstddef>
#include <filesystem>

#include "kesp/report/scanPlan.h"

namespace kesp {

// Refuses (ScanRefused) a folder that --emit-inputs may not write into, so
// that it never replaces a file it did not write: the folder must be
// missing, empty, or hold nothing but regular files of the names it writes
// for this scan, the input files among them headed as it heads them and the
// field files' copies the same as the field files (an earlier --emit-inputs
// of this scan).
void checkEmitFolder(const ScanPlan& plan, const std::filesystem::path& folder);

// Writes the input files of every row and reference into the folder (made
// when missing), and copies of the field files they name; nothing else.
// Returns the number of input files written; throws ScanRefused for a folder
// that checkEmitFolder refuses, RunError when a file cannot be written.
std::size_t emitInputs(const ScanPlan& plan, const std::filesystem::path& folder);

}  // namespace kesp
