#pragma once
// A scan as a structure: the items every configuration sets, the items that
// vary from one configuration to the next, the switches, the reference
// radiation of the RBE columns and the cell line of the survival columns
// (scanSurvival.h). kesp-scan builds it from its YAML file, the
// web page from its form; the plan, the rows and the table follow from it
// the same way for both.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kesp/input/runSwitches.h"
#include "kesp/report/scanItems.h"
#include "kesp/report/scanSurvival.h"
#include "kesp/support/runError.h"

namespace kesp {

/// A scan refused before anything runs; the message may hold several lines.
class ScanRefused : public RunError {
public:
    explicit ScanRefused(const std::string& message) : RunError(ErrorKind::refused, message) {}
};

/// One value of an item.
struct ScanValue {
    // As it goes into the input file and the table: a number in its shortest
    // form, a particle name as written, a field file as the scan file names it.
    std::string text;
    int line = 0;                     // in the scan file, counted from 1; 0 when built in code
    std::filesystem::path fieldFile;  // FN: the file, found from the scan file's folder
};

/// An item and the value it is set to.
struct ScanSetting {
    const ScanItem* item = nullptr;
    ScanValue value;
};

/// An item that varies, with its values.
struct ScanAxis {
    const ScanItem* item = nullptr;
    int line = 0;
    std::vector<ScanValue> values;  // in scan order
};

/// The scan: what its configurations set and what it runs them with.
struct ScanDefinition {
    std::filesystem::path path;          // the scan file; names the scan in messages and its input files
    std::string title;
    std::vector<std::string> switches;   // as written, in order
    RunSwitches runSwitches;              // the switches applied
    std::vector<ScanAxis> vary;          // in the order written; the last varies fastest
    std::vector<ScanSetting> fixed;      // `cells` and `seed` as NOCS and SEED
    std::vector<ScanSetting> reference;  // radiation items; empty without a reference
    std::optional<ScanSurvival> survival;  // the cell-survival columns; needs a reference

    bool hasReference() const { return !reference.empty(); }
};

/// The most configurations a scan may have.
inline constexpr std::size_t maxConfigurations = 1000000;

/// Applies a kesp switch (/no2, /nq, /2006, /strict, in any case) to the
/// switches; false for anything else.
bool applySwitch(std::string_view text, RunSwitches& switches);

}  // namespace kesp
