#pragma once
/// \file
/// A scan as a structure: the items every configuration sets, the items that
/// vary from one configuration to the next, the switches, the reference
/// radiation of the RBE columns and the cell line of the survival columns
/// (scanSurvival.h). kesp-scan builds it from its YAML file, the
/// web page from its form; the plan, the rows and the table follow from it
/// the same way for both.

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
    /// A refusal (ErrorKind::refused) with this message.
    explicit ScanRefused(const std::string& message) : RunError(ErrorKind::refused, message) {}
};

/// One value of an item.
struct ScanValue {
    /// As it goes into the input file and the table: a number in its shortest
    /// form, a particle name as written, a field file as the scan file names it.
    std::string text;
    int line = 0;                     ///< its line in the scan file, counted from 1; 0 when built in code
    std::filesystem::path fieldFile;  ///< FN: the file, found from the scan file's folder
};

/// An item and the value it is set to.
struct ScanSetting {
    const ScanItem* item = nullptr;  ///< the item, one of scanItems()
    ScanValue value;                 ///< the value it is set to
};

/// An item that varies, with its values.
struct ScanAxis {
    const ScanItem* item = nullptr;  ///< the item, one of scanItems()
    int line = 0;                    ///< its line in the scan file, counted from 1; 0 when built in code
    std::vector<ScanValue> values;   ///< the values it takes, in scan order
};

/// The scan: what its configurations set and what it runs them with.
struct ScanDefinition {
    std::filesystem::path path;          ///< the scan file; names the scan in messages and its input files
    std::string title;                   ///< the scan's title, shown in the comment line of its table; may be empty
    std::vector<std::string> switches;   ///< the switches as written, in order
    RunSwitches runSwitches;             ///< the switches applied
    std::vector<ScanAxis> vary;          ///< the varied items in the order written; the last varies fastest
    std::vector<ScanSetting> fixed;      ///< the items every configuration sets; `cells` and `seed` as NOCS and SEED
    std::vector<ScanSetting> reference;  ///< the reference radiation's items; empty without a reference
    std::optional<ScanSurvival> survival;  ///< the cell-survival columns; needs a reference

    /// Whether the scan has a reference radiation (and so RBE columns).
    bool hasReference() const { return !reference.empty(); }
};

/// The most configurations a scan may have.
inline constexpr std::size_t maxConfigurations = 1000000;

/// Applies a kesp switch (/no2, /nq, /2006, /strict, in any case) to the
/// switches; false for anything else.
bool applySwitch(std::string_view text, RunSwitches& switches);

}  // namespace kesp
