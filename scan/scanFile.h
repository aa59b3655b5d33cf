#pragma once
// The scan file: a YAML document that names input items exactly as the input
// file does.
//
//     title: DSB yields of protons and carbon ions   # free text
//     cells: 2000          # NOCS of every configuration
//     seed: 12345          # SEED of every configuration
//     switches: [/nq]      # command-line switches of every configuration
//     vary:                # every combination, the last item varying fastest
//       PAR: [p, 12C]
//       MEV/A: {from: 1, to: 100, points: 10, spacing: log}
//     fixed:               # items shared by every configuration
//       DNA: 6
//     reference:           # the radiation the RBE columns divide by
//       PAR: e
//       KE: 1
//     survival:            # cell-survival columns (needs reference)
//       alpha: 0.2         # alpha_R, Gy^-1, measured for the reference radiation
//       beta: 0.02         # beta_R, Gy^-2 (or alpha_beta: 10, in Gy)
//       doses: [2]         # reference doses of the RBE columns, Gy
//       survival: [0.1]    # survival levels of the RBE and OER columns
//
// Whatever cannot be taken as written is refused before anything runs, with
// a message that names the file, the line and the item; so is an item that
// the scan's switches make meaningless (PO2 under /no2, Q under /nq).

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "kesp/report/scanDefinition.h"

namespace kesp {

// The largest field file a scan takes: the scan reads every byte of it, for
// its fingerprint and for the copy --emit-inputs makes.
inline constexpr std::uintmax_t maxFieldFileBytes = 64ULL * 1024 * 1024;

// Reads and checks the scan file; throws ScanRefused.
ScanDefinition readScanFile(const std::filesystem::path& file);

// What leaves the scan's standard errors (SEM) undefined, one message each
// naming the scan file and line: NOCS not given at all (kesp's default is 1
// cell), or a value of it below 2. Empty when every run has 2 cells or more.
std::vector<std::string> fewCellProblems(const ScanDefinition& scan);


}  // namespace kesp
