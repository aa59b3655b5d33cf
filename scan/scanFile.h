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
//
// Whatever cannot be taken as written is refused before anything runs, with
// a message that names the file, the line and the item; so is an item that
// the scan's switches make meaningless (PO2 under /no2, Q under /nq).

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "kesp/input/runSwitches.h"
#include "kesp/support/runError.h"
#include "scan/scanItems.h"

namespace kesp {

// A scan refused before anything runs; the message may hold several lines.
class ScanRefused : public RunError {
public:
    explicit ScanRefused(const std::string& message) : RunError(ErrorKind::refused, message) {}
};

struct ScanValue {
    // As it goes into the input file and the table: a number in its shortest
    // form, a particle name as written, a field file as the scan file names it.
    std::string text;
    int line = 0;                     // in the scan file, counted from 1
    std::filesystem::path fieldFile;  // FN: the file, found from the scan file's folder
};

struct ScanSetting {
    const ScanItem* item = nullptr;
    ScanValue value;
};

struct ScanAxis {
    const ScanItem* item = nullptr;
    int line = 0;
    std::vector<ScanValue> values;  // in scan order
};

struct ScanFile {
    std::filesystem::path path;
    std::string title;
    std::vector<std::string> switches;   // as written, in order
    RunSwitches runSwitches;              // the switches applied
    std::vector<ScanAxis> vary;          // in the order written; the last varies fastest
    std::vector<ScanSetting> fixed;      // `cells` and `seed` as NOCS and SEED
    std::vector<ScanSetting> reference;  // radiation items; empty without a reference

    bool hasReference() const { return !reference.empty(); }
};

// The most configurations a scan may have.
inline constexpr std::size_t maxConfigurations = 1000000;

// The largest field file a scan takes: the scan reads every byte of it, for
// its fingerprint and for the copy --emit-inputs makes.
inline constexpr std::uintmax_t maxFieldFileBytes = 64ULL * 1024 * 1024;

// Reads and checks the scan file; throws ScanRefused.
ScanFile readScanFile(const std::filesystem::path& file);

// What leaves the scan's standard errors (SEM) undefined, one message each
// naming the scan file and line: NOCS not given at all (kesp's default is 1
// cell), or a value of it below 2. Empty when every run has 2 cells or more.
std::vector<std::string> fewCellProblems(const ScanFile& scan);

// Applies a kesp switch (/no2, /nq, /2006, /strict, in any case) to the
// switches; false for anything else.
bool applySwitch(std::string_view text, RunSwitches& switches);

}  // namespace kesp
