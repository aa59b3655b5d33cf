#include "input/blockReaders.h"

#include <algorithm>
#include <cmath>
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "input/blockItems.h"
#include "input/blockLine.h"
#include "input/plausibleRanges.h"
#include "support/keyLine.h"
#include "support/text.h"

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
    void (*apply)(RunConfig& config, double value);
    double (*used)(const RunConfig& config);
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
              [](RunConfig& c, double v) { c.nocs = static_cast<std::int32_t>(v); },
              [](const RunConfig& c) { return static_cast<double>(c.nocs); }},
    BlockItem{"SEED=", NumberKind::integer, "", nullptr,
              [](RunConfig& c, double v) { c.seed = static_cast<std::int32_t>(v); },
              [](const RunConfig& c) { return static_cast<double>(c.seed); }},
};

constexpr std::array evo2Items = {
    BlockItem{"PO2=", NumberKind::real, "0 to 100 % O2", [](double v) { return v >= 0.0 && v <= 100.0; },
              [](RunConfig& c, double v) { c.po2 = std::clamp(v, 0.0, 100.0); },
              [](const RunConfig& c) { return c.po2; }},
    // Partial pressure in mmHg: 760 mmHg is 100 percent O2.
    BlockItem{"MMHG=", NumberKind::real, "0 to 760 mmHg", [](double v) { return v >= 0.0 && v <= 760.0; },
              [](RunConfig& c, double v) { c.po2 = std::clamp(v * 100.0 / 760.0, 0.0, 100.0); },
              [](const RunConfig& c) { return c.po2 * 760.0 / 100.0; }},
    BlockItem{"M0=", NumberKind::real, "above 0", isPositive,
              [](RunConfig& c, double v) { if (v > 0.0) { c.m0 = v; } },
              [](const RunConfig& c) { return c.m0; }},
    BlockItem{"K=", NumberKind::real, "2.2E-16 to 100 % O2", [](double v) { return v >= smallestK && v <= 100.0; },
              [](RunConfig& c, double v) { if (v > 0.0) { c.k = std::clamp(v, smallestK, 100.0); } },
              [](const RunConfig& c) { return c.k; }},
    BlockItem{"Q=", NumberKind::real, "above 0", isPositive,
              [](RunConfig& c, double v) { if (v > 0.0) { c.q = v; } },
              [](const RunConfig& c) { return c.q; }},
    BlockItem{"R=", NumberKind::real, "above 0", isPositive,
              [](RunConfig& c, double v) { if (v > 0.0) { c.r = v; } },
              [](const RunConfig& c) { return c.r; }},
};

constexpr std::array dmsoItems = {
    BlockItem{"CONC=", NumberKind::real, "0 or above (mol dm^-3)", [](double v) { return v >= 0.0; },
              [](RunConfig& c, double v) { if (v > 0.0) { c.conc = v; } },
              [](const RunConfig& c) { return c.conc; }},
    BlockItem{"FNSD=", NumberKind::real, "0 to 1", isFraction,
              [](RunConfig& c, double v) { if (isFraction(v)) { c.fnsd = v; } },
              [](const RunConfig& c) { return c.fnsd; }},
    BlockItem{"CHMX=", NumberKind::real, "0 to 1 (mol dm^-3)", isFraction,
              [](RunConfig& c, double v) { if (isFraction(v)) { c.chmx = v; } },
              [](const RunConfig& c) { return c.chmx; }},
};

constexpr std::array cellItems = {
    BlockItem{"DNA=", NumberKind::real, "above 0 (Gbp)", isPositive,
              [](RunConfig& c, double v) { if (v > 0.0) { c.dna = v; } },
              [](const RunConfig& c) { return c.dna; }, &dnaContentRange},
    BlockItem{"NDIA=", NumberKind::real, "above 0 (um)", isPositive,
              [](RunConfig& c, double v) { if (v > 0.0) { c.ndia = v; } },
              [](const RunConfig& c) { return c.ndia; }, &nucleusDiameterRange},
};

constexpr std::array kespItems = {
    BlockItem{"FBL=", NumberKind::real, "0 to 1", isFraction,
              [](RunConfig& c, double v) { if (isFraction(v)) { c.fbl = v; } },
              [](const RunConfig& c) { return c.fbl; }},
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
                  bool converted, double number, const RunConfig& config, const LineContext& where)
{
    const std::string used = formatValue(known.used(config));
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

void applyItem(const ItemCandidate& candidate, std::span<const BlockItem> items, RunConfig& config,
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
            known.apply(config, number);
        }
        if (where.diagnostics != nullptr) {
            diagnoseItem(candidate, item, known, converted, number, config, where);
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
                          RunConfig& config, InputDiagnostics* diagnostics)
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
        applyItem(candidate, items, config, where);
    }
    return BlockStatus::read;
}

}  // namespace

BlockStatus readSimconBlock(std::istream& input, RunConfig& config, InputDiagnostics* diagnostics)
{
    const RunConfig defaults;
    config.nocs = defaults.nocs;
    config.seed = defaults.seed;
    const BlockStatus status = readBlockLine(input, "SIMCON:", simconItems, config, diagnostics);
    if (status != BlockStatus::read) {
        return status;
    }
    BlockStatus checked = BlockStatus::read;
    const int line = diagnostics != nullptr ? diagnostics->takenLine("SIMCON:") : 0;
    if (config.seed < 0) {
        if (diagnostics != nullptr) {
            diagnostics->warn(line, "SIMCON:", "SEED=" + std::to_string(config.seed)
                                                   + " is negative; the default seed "
                                                   + std::to_string(defaultSeed) + " is used");
        }
        config.seed = defaultSeed;
        checked = BlockStatus::seedReplaced;
    }
    if (config.nocs < 1) {
        if (diagnostics != nullptr) {
            diagnostics->warn(line, "SIMCON:",
                              "NOCS=" + std::to_string(config.nocs) + " is below 1; 1 cell is simulated");
        }
        config.nocs = 1;
        checked = BlockStatus::cellCountReplaced;
    }
    return checked;
}

BlockStatus readEvo2Block(std::istream& input, RunConfig& config, InputDiagnostics* diagnostics)
{
    const RunConfig defaults;
    config.po2 = defaults.po2;
    config.m0 = defaults.m0;
    config.k = defaults.k;
    config.q = defaults.q;
    config.r = defaults.r;
    return readBlockLine(input, "EVO2:", evo2Items, config, diagnostics);
}

BlockStatus readDmsoBlock(std::istream& input, RunConfig& config, InputDiagnostics* diagnostics)
{
    const RunConfig defaults;
    config.conc = defaults.conc;
    config.fnsd = defaults.fnsd;
    config.chmx = defaults.chmx;
    return readBlockLine(input, "DMSO:", dmsoItems, config, diagnostics);
}

BlockStatus readCellBlock(std::istream& input, RunConfig& config, InputDiagnostics* diagnostics)
{
    const RunConfig defaults;
    config.dna = defaults.dna;
    config.ndia = defaults.ndia;
    return readBlockLine(input, "CELL:", cellItems, config, diagnostics);
}

BlockStatus readKespBlock(std::istream& input, RunConfig& config, InputDiagnostics* diagnostics)
{
    const RunConfig defaults;
    config.fbl = defaults.fbl;
    return readBlockLine(input, "KESP:", kespItems, config, diagnostics);
}

}  // namespace kesp
