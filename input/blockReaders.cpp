#include "kesp/input/blockReaders.h"

#include <algorithm>
#include <cmath>
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "kesp/input/blockItems.h"
#include "kesp/input/blockLine.h"
#include "kesp/input/plausibleRanges.h"
#include "kesp/support/keyLine.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

enum class NumberKind { integer, real };

// One keyword of a block: how its value is converted and applied, what it
// accepts, and the value in use afterwards (for the diagnostics).
struct BlockItem {
    std::string_view keyword;
    NumberKind kind;
    std::string_view rule;            // the values taken as written
    bool (*accepts)(double value);    // null: every value (see readSimconBlock)
    void (*apply)(RunSettings& settings, double value);
    double (*used)(const RunSettings& settings);
    const PlausibleRange* plausible = nullptr;  // where the value makes sense; null: wherever accepted
};

bool isFraction(double value)
{
    return value >= 0.0 && value <= 1.0;
}

bool isPositive(double value)
{
    return value > 0.0;
}

// Integer values arrive already rounded and within the 32-bit range. SIMCON's
// range rules come after the whole line (see readSimconBlock).
constexpr std::array simconItems = {
    BlockItem{"NOCS=", NumberKind::integer, "", nullptr,
              [](RunSettings& c, double v) { c.cells = static_cast<std::int32_t>(v); },
              [](const RunSettings& c) { return static_cast<double>(c.cells); }},
    BlockItem{"SEED=", NumberKind::integer, "", nullptr,
              [](RunSettings& c, double v) { c.seed = static_cast<std::int32_t>(v); },
              [](const RunSettings& c) { return static_cast<double>(c.seed); }},
};

constexpr std::array evo2Items = {
    BlockItem{"PO2=", NumberKind::real, "0 to 100 % O2", [](double v) { return v >= 0.0 && v <= 100.0; },
              [](RunSettings& c, double v) { c.oxygenPercent = std::clamp(v, 0.0, 100.0); },
              [](const RunSettings& c) { return c.oxygenPercent; }},
    // Partial pressure in mmHg: 760 mmHg is 100 percent O2.
    BlockItem{"MMHG=", NumberKind::real, "0 to 760 mmHg", [](double v) { return v >= 0.0 && v <= 760.0; },
              [](RunSettings& c, double v) { c.oxygenPercent = std::clamp(v * 100.0 / 760.0, 0.0, 100.0); },
              [](const RunSettings& c) { return c.oxygenPercent * 760.0 / 100.0; }},
    BlockItem{"M0=", NumberKind::real, "above 0", isPositive,
              [](RunSettings& c, double v) { if (v > 0.0) { c.oxygenModel.maximumEnhancement = v; } },
              [](const RunSettings& c) { return c.oxygenModel.maximumEnhancement; }},
    BlockItem{"K=", NumberKind::real, "2.2E-16 to 100 % O2", [](double v) { return v >= smallestK && v <= 100.0; },
              [](RunSettings& c, double v) {
                  if (v > 0.0) { c.oxygenModel.halfEffectOxygen = std::clamp(v, smallestK, 100.0); }
              },
              [](const RunSettings& c) { return c.oxygenModel.halfEffectOxygen; }},
    BlockItem{"Q=", NumberKind::real, "above 0", isPositive,
              [](RunSettings& c, double v) { if (v > 0.0) { c.oxygenModel.halfEffectZeb = v; } },
              [](const RunSettings& c) { return c.oxygenModel.halfEffectZeb; }},
    BlockItem{"R=", NumberKind::real, "above 0", isPositive,
              [](RunSettings& c, double v) { if (v > 0.0) { c.oxygenModel.steepness = v; } },
              [](const RunSettings& c) { return c.oxygenModel.steepness; }},
};

constexpr std::array dmsoItems = {
    BlockItem{"CONC=", NumberKind::real, "0 or above (mol dm^-3)", [](double v) { return v >= 0.0; },
              [](RunSettings& c, double v) { if (v > 0.0) { c.dmso.concentration = v; } },
              [](const RunSettings& c) { return c.dmso.concentration; }},
    BlockItem{"FNSD=", NumberKind::real, "0 to 1", isFraction,
              [](RunSettings& c, double v) { if (isFraction(v)) { c.dmso.nonScavengeableFraction = v; } },
              [](const RunSettings& c) { return c.dmso.nonScavengeableFraction; }},
    BlockItem{"CHMX=", NumberKind::real, "0 to 1 (mol dm^-3)", isFraction,
              [](RunSettings& c, double v) { if (isFraction(v)) { c.dmso.halfLevelConcentration = v; } },
              [](const RunSettings& c) { return c.dmso.halfLevelConcentration; }},
};

constexpr std::array cellItems = {
    BlockItem{"DNA=", NumberKind::real, "above 0 (Gbp)", isPositive,
              [](RunSettings& c, double v) { if (v > 0.0) { c.dnaContent = v; } },
              [](const RunSettings& c) { return c.dnaContent; }, &dnaContentRange},
    BlockItem{"NDIA=", NumberKind::real, "above 0 (um)", isPositive,
              [](RunSettings& c, double v) { if (v > 0.0) { c.nucleusDiameter = v; } },
              [](const RunSettings& c) { return c.nucleusDiameter; }, &nucleusDiameterRange},
};

constexpr std::array kespItems = {
    BlockItem{"FBL=", NumberKind::real, "0 to 1", isFraction,
              [](RunSettings& c, double v) { if (isFraction(v)) { c.unrepairableBaseFraction = v; } },
              [](const RunSettings& c) { return c.unrepairableBaseFraction; }},
};

// Converts the value as its keyword asks; false when it does not convert.
bool convertValue(std::string_view value, NumberKind kind, double& number)
{
    if (kind == NumberKind::integer) {
        std::int32_t whole = 0;
        if (!readItemInteger(value, whole)) {
            return false;
        }
        number = whole;
        return true;
    }
    return readItemReal(value, number);
}

// Where a block line came from, for its diagnostics.
struct LineContext {
    std::string_view block;
    int lineNumber;
    InputDiagnostics* diagnostics;
};

std::string writtenItem(const ItemCandidate& candidate)
{
    return "\"" + std::string(trimmed(candidate.token)) + "\"";
}

// What became of a known item that was not taken as written.
void diagnoseItem(const ItemCandidate& candidate, const SqueezedItem& item, const BlockItem& known,
                  bool converted, double number, const RunSettings& settings, const LineContext& where)
{
    const std::string used = formatValue(known.used(settings));
    if (!converted) {
        where.diagnostics->warn(where.lineNumber, where.block,
                                writtenItem(candidate) + ": \"" + std::string(trimmed(item.value)) + "\" is not "
                                    + (known.kind == NumberKind::integer ? "a whole number" : "a number")
                                    + "; " + used + " is used");
        return;
    }
    double written = number;
    if (known.kind == NumberKind::integer && readItemReal(item.value, written) && written != number) {
        const bool inRange = std::abs(written) < 2147483647.5;
        where.diagnostics->warn(where.lineNumber, where.block,
                                writtenItem(candidate)
                                    + (inRange ? " is rounded to " : " is beyond the whole numbers and read as ")
                                    + std::to_string(static_cast<std::int32_t>(number)));
    } else if (known.accepts != nullptr && !known.accepts(number)) {
        where.diagnostics->warn(where.lineNumber, where.block,
                                writtenItem(candidate) + " is outside " + std::string(known.rule) + "; "
                                    + used + " is used");
    } else if (known.plausible != nullptr) {
        if (std::optional<std::string> why = outsideRange(trimmed(candidate.token), known.keyword, number,
                                                          *known.plausible)) {
            where.diagnostics->warn(where.lineNumber, where.block, std::move(*why));
        }
    }
}

void applyItem(const ItemCandidate& candidate, std::span<const BlockItem> items, RunSettings& settings,
               const LineContext& where)
{
    const SqueezedItem item = squeezeItem(candidate);
    for (const BlockItem& known : items) {
        if (item.keyword != known.keyword) {
            continue;
        }
        double number = 0.0;
        const bool converted = convertValue(item.value, known.kind, number);
        if (converted) {
            known.apply(settings, number);
        }
        if (where.diagnostics != nullptr) {
            diagnoseItem(candidate, item, known, converted, number, settings, where);
        }
    }
}

std::vector<std::string_view> keywordsOf(std::span<const BlockItem> items)
{
    std::vector<std::string_view> keywords;
    for (const BlockItem& item : items) {
        keywords.push_back(item.keyword);
    }
    return keywords;
}

// Finds the block line and applies its items from left to right.
BlockStatus readBlockLine(std::istream& input, std::string_view key, std::span<const BlockItem> items,
                          RunSettings& settings, InputDiagnostics* diagnostics)
{
    std::string line(inputLineLength, ' ');
    int lineCount = 0;
    if (findKeyLine(input, "101", key, lineCount, line) != 0) {
        return BlockStatus::absent;
    }
    blankComment(line);
    const LineContext where{key, lineCount, diagnostics};
    if (diagnostics != nullptr) {
        diagnostics->blockTaken(key, lineCount);
        checkLineTokens(line, keywordsOf(items), key, lineCount, *diagnostics);
    }
    for (const ItemCandidate& candidate : itemCandidates(line)) {
        applyItem(candidate, items, settings, where);
    }
    return BlockStatus::read;
}

}  // namespace

BlockStatus readSimconBlock(std::istream& input, RunSettings& settings, InputDiagnostics* diagnostics)
{
    const RunSettings defaults;
    settings.cells = defaults.cells;
    settings.seed = defaults.seed;
    const BlockStatus status = readBlockLine(input, "SIMCON:", simconItems, settings, diagnostics);
    if (status != BlockStatus::read) {
        return status;
    }
    BlockStatus checked = BlockStatus::read;
    const int line = diagnostics != nullptr ? diagnostics->takenLine("SIMCON:") : 0;
    if (settings.seed < 0) {
        if (diagnostics != nullptr) {
            diagnostics->warn(line, "SIMCON:", "SEED=" + std::to_string(settings.seed)
                                                   + " is negative; the default seed "
                                                   + std::to_string(defaultSeed) + " is used");
        }
        settings.seed = defaultSeed;
        checked = BlockStatus::seedReplaced;
    }
    if (settings.cells < 1) {
        if (diagnostics != nullptr) {
            diagnostics->warn(line, "SIMCON:",
                              "NOCS=" + std::to_string(settings.cells) + " is below 1; 1 cell is simulated");
        }
        settings.cells = 1;
        checked = BlockStatus::cellCountReplaced;
    }
    return checked;
}

BlockStatus readEvo2Block(std::istream& input, RunSettings& settings, InputDiagnostics* diagnostics)
{
    const RunSettings defaults;
    settings.oxygenPercent = defaults.oxygenPercent;
    settings.oxygenModel.maximumEnhancement = defaults.oxygenModel.maximumEnhancement;
    settings.oxygenModel.halfEffectOxygen = defaults.oxygenModel.halfEffectOxygen;
    settings.oxygenModel.halfEffectZeb = defaults.oxygenModel.halfEffectZeb;
    settings.oxygenModel.steepness = defaults.oxygenModel.steepness;
    return readBlockLine(input, "EVO2:", evo2Items, settings, diagnostics);
}

BlockStatus readDmsoBlock(std::istream& input, RunSettings& settings, InputDiagnostics* diagnostics)
{
    settings.dmso = DmsoModel{};
    return readBlockLine(input, "DMSO:", dmsoItems, settings, diagnostics);
}

BlockStatus readCellBlock(std::istream& input, RunSettings& settings, InputDiagnostics* diagnostics)
{
    const RunSettings defaults;
    settings.dnaContent = defaults.dnaContent;
    settings.nucleusDiameter = defaults.nucleusDiameter;
    return readBlockLine(input, "CELL:", cellItems, settings, diagnostics);
}

BlockStatus readKespBlock(std::istream& input, RunSettings& settings, InputDiagnostics* diagnostics)
{
    const RunSettings defaults;
    settings.unrepairableBaseFraction = defaults.unrepairableBaseFraction;
    return readBlockLine(input, "KESP:", kespItems, settings, diagnostics);
}

}  // namespace kesp
