#include "input/blockReaders.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <string_view>

#include "input/blockLine.h"
#include "support/keyLine.h"

namespace kesp {

namespace {

enum class NumberKind { integer, real };

// One keyword of a block: how its value is converted and how it is applied.
struct BlockItem {
    std::string_view keyword;
    NumberKind kind;
    void (*apply)(RunConfig& config, double value);
};

bool isFraction(double value)
{
    return value >= 0.0 && value <= 1.0;
}

// Integer values arrive already rounded and within the 32-bit range.
constexpr std::array simconItems = {
    BlockItem{"NOCS=", NumberKind::integer,
              [](RunConfig& c, double v) { c.nocs = static_cast<std::int32_t>(v); }},
    BlockItem{"SEED=", NumberKind::integer,
              [](RunConfig& c, double v) { c.seed = static_cast<std::int32_t>(v); }},
};

constexpr std::array evo2Items = {
    BlockItem{"PO2=", NumberKind::real,
              [](RunConfig& c, double v) { c.po2 = std::clamp(v, 0.0, 100.0); }},
    // Partial pressure in mmHg: 760 mmHg is 100 percent O2.
    BlockItem{"MMHG=", NumberKind::real,
              [](RunConfig& c, double v) { c.po2 = std::clamp(v * 100.0 / 760.0, 0.0, 100.0); }},
    BlockItem{"M0=", NumberKind::real,
              [](RunConfig& c, double v) { if (v > 0.0) { c.m0 = v; } }},
    BlockItem{"K=", NumberKind::real,
              [](RunConfig& c, double v) { if (v > 0.0) { c.k = std::clamp(v, smallestK, 100.0); } }},
    BlockItem{"Q=", NumberKind::real,
              [](RunConfig& c, double v) { if (v > 0.0) { c.q = v; } }},
    BlockItem{"R=", NumberKind::real,
              [](RunConfig& c, double v) { if (v > 0.0) { c.r = v; } }},
};

constexpr std::array dmsoItems = {
    BlockItem{"CONC=", NumberKind::real,
              [](RunConfig& c, double v) { if (v > 0.0) { c.conc = v; } }},
    BlockItem{"FNSD=", NumberKind::real,
              [](RunConfig& c, double v) { if (isFraction(v)) { c.fnsd = v; } }},
    BlockItem{"CHMX=", NumberKind::real,
              [](RunConfig& c, double v) { if (isFraction(v)) { c.chmx = v; } }},
};

constexpr std::array cellItems = {
    BlockItem{"DNA=", NumberKind::real,
              [](RunConfig& c, double v) { if (v > 0.0) { c.dna = v; } }},
    BlockItem{"NDIA=", NumberKind::real,
              [](RunConfig& c, double v) { if (v > 0.0) { c.ndia = v; } }},
};

constexpr std::array kespItems = {
    BlockItem{"FBL=", NumberKind::real,
              [](RunConfig& c, double v) { if (isFraction(v)) { c.fbl = v; } }},
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

void applyItem(const ItemCandidate& candidate, std::span<const BlockItem> items, RunConfig& config)
{
    const SqueezedItem item = squeezeItem(candidate);
    for (const BlockItem& known : items) {
        double number = 0.0;
        if (item.keyword == known.keyword && convertValue(item.value, known.kind, number)) {
            known.apply(config, number);
        }
    }
}

// Finds the block line and applies its items from left to right.
BlockStatus readBlockLine(std::istream& input, std::string_view key, std::span<const BlockItem> items,
                          RunConfig& config)
{
    std::string line(inputLineLength, ' ');
    int lineCount = 0;
    if (findKeyLine(input, "101", key, lineCount, line) != 0) {
        return BlockStatus::absent;
    }
    blankComment(line);
    for (const ItemCandidate& candidate : itemCandidates(line)) {
        applyItem(candidate, items, config);
    }
    return BlockStatus::read;
}

}  // namespace

BlockStatus readSimconBlock(std::istream& input, RunConfig& config)
{
    const RunConfig defaults;
    config.nocs = defaults.nocs;
    config.seed = defaults.seed;
    const BlockStatus status = readBlockLine(input, "SIMCON:", simconItems, config);
    if (status != BlockStatus::read) {
        return status;
    }
    BlockStatus checked = BlockStatus::read;
    if (config.seed < 0) {
        config.seed = defaultSeed;
        checked = BlockStatus::seedReplaced;
    }
    if (config.nocs < 1) {
        config.nocs = 1;
        checked = BlockStatus::cellCountReplaced;
    }
    return checked;
}

BlockStatus readEvo2Block(std::istream& input, RunConfig& config)
{
    const RunConfig defaults;
    config.po2 = defaults.po2;
    config.m0 = defaults.m0;
    config.k = defaults.k;
    config.q = defaults.q;
    config.r = defaults.r;
    return readBlockLine(input, "EVO2:", evo2Items, config);
}

BlockStatus readDmsoBlock(std::istream& input, RunConfig& config)
{
    const RunConfig defaults;
    config.conc = defaults.conc;
    config.fnsd = defaults.fnsd;
    config.chmx = defaults.chmx;
    return readBlockLine(input, "DMSO:", dmsoItems, config);
}

BlockStatus readCellBlock(std::istream& input, RunConfig& config)
{
    const RunConfig defaults;
    config.dna = defaults.dna;
    config.ndia = defaults.ndia;
    return readBlockLine(input, "CELL:", cellItems, config);
}

BlockStatus readKespBlock(std::istream& input, RunConfig& config)
{
    const RunConfig defaults;
    config.fbl = defaults.fbl;
    return readBlockLine(input, "KESP:", kespItems, config);
}

}  // namespace kesp
