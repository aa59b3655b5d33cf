#include "scan/scanFile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <system_error>

#include <yaml-cpp/yaml.h>

#include "kesp/input/blockLine.h"
#include "kesp/input/radiationField.h"
#include "kesp/physics/particleSpelling.h"
#include "scan/scanDocument.h"
#include "kesp/report/scanRange.h"
#include "kesp/report/scanText.h"
#include "kesp/support/numberReader.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

// What a refusal is about: the scan file, a line and what stands there.
class Place {
public:
    Place(const std::filesystem::path& file, int line, std::string what)
        : file_(file.string()), line_(line), what_(std::move(what))
    {
    }

    [[noreturn]] void refuse(const std::string& message) const { throw ScanRefused(text(message)); }

    int line() const { return line_; }

    // "scan.yaml:3: PO2: " and the message.
    std::string text(const std::string& message) const
    {
        std::string result = file_;
        if (line_ > 0) {
            result += ":" + std::to_string(line_);
        }
        result += ": ";
        if (!what_.empty()) {
            result += what_ + ": ";
        }
        return result + message;
    }

private:
    std::string file_;
    int line_;
    std::string what_;
};

int lineOf(const YAML::Node& node)
{
    return node.Mark().line + 1;
}

// An empty value has no place of its own: its key's line stands for it.
int lineOf(const YAML::Node& value, int keyLine)
{
    return value.IsNull() ? keyLine : lineOf(value);
}

std::string scalarText(const YAML::Node& node, const Place& place)
{
    if (node.IsNull()) {
        place.refuse("no value is given");
    }
    if (!node.IsScalar()) {
        place.refuse("a single value is needed here, not a list or a mapping");
    }
    return node.Scalar();
}

double numberOf(const std::string& text, const Place& place)
{
    double number = 0.0;
    if (readReal(text, number) != 0) {
        place.refuse(quotedText(text) + " is not a number");
    }
    return number;
}

// The file a field-file name means: relative names from the scan file's folder.
std::filesystem::path fieldFileOf(const std::string& name, const std::filesystem::path& scanFile)
{
    const std::filesystem::path given(name);
    return given.is_absolute() ? given : scanFile.parent_path() / given;
}

// The scan reads every byte of a field file (its fingerprint, the copy
// --emit-inputs makes), where kesp reads only the components it needs.
void refuseLargeFieldFile(const std::filesystem::path& file, const Place& place)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (!error && size > maxFieldFileBytes) {
        place.refuse("field file " + quotedText(file.string()) + " is " + std::to_string(size)
                     + " bytes long; a scan takes field files of at most " + std::to_string(maxFieldFileBytes)
                     + " bytes (" + std::to_string(maxFieldComponents)
                     + " components need far less): remove what follows the last component");
    }
}

ScanValue valueOf(const ScanItem& item, const YAML::Node& node, const std::filesystem::path& scanFile,
                  int keyLine)
{
    const int line = lineOf(node, keyLine);
    const Place place(scanFile, line, std::string(item.name));
    const std::string text = scalarText(node, place);
    ScanValue value{text, line, {}};
    switch (item.value) {
        case ItemValue::number:
            value.text = shortestText(numberOf(text, place));
            break;
        case ItemValue::particle:
            if (!fitsInputItem(text)) {
                place.refuse(quotedText(text) + " is not a particle name (as p, 4He, 12C)");
            }
            // As written, in the case every output shows a particle in (12c is 12C).
            value.text = canonicalParticleName(text);
            break;
        case ItemValue::fieldFile: {
            value.fieldFile = fieldFileOf(text, scanFile);
            std::error_code error;
            if (!std::filesystem::is_regular_file(value.fieldFile, error)) {
                place.refuse("field file " + quotedText(text) + " is not found (looked for "
                             + quotedText(value.fieldFile.string()) + ")");
            }
            refuseLargeFieldFile(value.fieldFile, place);
            if (!fitsInputItem(value.fieldFile.filename().string())) {
                place.refuse("the name of field file " + quotedText(text)
                             + " holds a blank, comma, colon, semicolon, quote, bracket or \"!\", which an"
                               " input line cannot carry; rename the file");
            }
            break;
        }
    }
    return value;
}

// The values of a range {from:, to:, points:, spacing:}.
std::vector<ScanValue> rangeValues(const ScanItem& item, const YAML::Node& node,
                                   const std::filesystem::path& scanFile)
{
    const std::string name(item.name);
    const Place place(scanFile, lineOf(node), name);
    if (item.value != ItemValue::number) {
        place.refuse("a range needs a number item; give a list of values");
    }
    std::optional<double> from, to, points;
    RangeSpacing spacing = RangeSpacing::linear;
    for (const auto& entry : node) {
        const std::string key = entry.first.Scalar();
        const Place at(scanFile, lineOf(entry.first), name);
        if (key == "from" || key == "to" || key == "points") {
            const double number = numberOf(scalarText(entry.second, at), at);
            (key == "from" ? from : key == "to" ? to : points) = number;
        } else if (key == "spacing") {
            const std::string written = scalarText(entry.second, at);
            if (written != "linear" && written != "log") {
                at.refuse("spacing " + quotedText(written) + " is neither linear nor log");
            }
            spacing = written == "log" ? RangeSpacing::log : RangeSpacing::linear;
        } else {
            at.refuse("a range holds from, to, points and spacing, not " + quotedText(key));
        }
    }
    if (!from || !to) {
        place.refuse("a range needs from and to");
    }
    if (!points) {
        place.refuse("a range needs points, the number of values (2 or more)");
    }
    const ScanRange range{*from, *to, *points, spacing};
    if (const std::string problem = rangeProblem(range); !problem.empty()) {
        place.refuse(problem);
    }
    std::vector<ScanValue> values;
    for (const double value : rangeValues(range)) {
        values.push_back({shortestText(value), lineOf(node), {}});
    }
    return values;
}

const ScanItem& itemNamed(const YAML::Node& key, const std::filesystem::path& scanFile, std::string_view section)
{
    const std::string name = key.IsScalar() ? key.Scalar() : std::string();
    const ScanItem* item = findScanItem(name);
    if (item == nullptr) {
        Place(scanFile, lineOf(key), std::string(section))
            .refuse(quotedText(name)
                    + " is not an input item; give NOCS, SEED, PO2, MMHG, M0, K, Q, R, CONC, FNSD, CHMX, DNA,"
                      " NDIA, FBL, PAR, KE, MEV/A or FN");
    }
    return *item;
}

// Which item stands where, so that a second mention or a conflicting one
// is refused naming both lines.
class ItemsSeen {
public:
    explicit ItemsSeen(const std::filesystem::path& scanFile) : scanFile_(scanFile) {}

    // `written` is how the scan file names the item (cells for NOCS).
    void add(const ScanItem& item, int line, std::string_view written)
    {
        const Place place(scanFile_, line, std::string(item.name));
        for (const Seen& other : seen_) {
            const std::string where = "line " + std::to_string(other.line)
                                      + (other.written == other.item->name ? "" : " as " + other.written);
            if (other.item == &item) {
                place.refuse("given twice (first on " + where + "); give it once");
            }
            if (itemsConflict(item, *other.item)) {
                place.refuse(std::string(other.item->name) + " is given as well (" + where
                             + "); the two cannot stand together, give one of them");
            }
        }
        seen_.push_back({&item, line, std::string(written)});
    }

private:
    struct Seen {
        const ScanItem* item;
        int line;
        std::string written;
    };
    std::filesystem::path scanFile_;
    std::vector<Seen> seen_;
};

void requireMapping(const YAML::Node& node, const Place& place)
{
    if (node.IsNull() || (node.IsMap() && node.size() == 0)) {
        place.refuse("holds no items");
    }
    if (!node.IsMap()) {
        place.refuse("must be a mapping of items (ITEM: value)");
    }
}

void readVary(const YAML::Node& node, int keyLine, ScanDefinition& scan, ItemsSeen& seen)
{
    requireMapping(node, Place(scan.path, keyLine, "vary"));
    for (const auto& entry : node) {
        const ScanItem& item = itemNamed(entry.first, scan.path, "vary");
        const int line = lineOf(entry.first);
        seen.add(item, line, item.name);
        ScanAxis axis{&item, line, {}};
        const YAML::Node values = entry.second;
        if (values.IsSequence()) {
            for (const YAML::Node& value : values) {
                axis.values.push_back(valueOf(item, value, scan.path, line));
            }
        } else if (values.IsMap()) {
            axis.values = rangeValues(item, values, scan.path);
        } else {
            Place(scan.path, line, std::string(item.name))
                .refuse("give a list of values ([21, 0.5]) or a range ({from: 1, to: 100, points: 10})");
        }
        if (axis.values.empty()) {
            Place(scan.path, line, std::string(item.name)).refuse("the list is empty, so the scan has no configuration");
        }
        scan.vary.push_back(std::move(axis));
    }
}

std::vector<ScanSetting> readSettings(const YAML::Node& node, int keyLine, const std::filesystem::path& scanFile,
                                      std::string_view section, ItemsSeen& seen)
{
    requireMapping(node, Place(scanFile, keyLine, std::string(section)));
    std::vector<ScanSetting> settings;
    for (const auto& entry : node) {
        const ScanItem& item = itemNamed(entry.first, scanFile, section);
        if (entry.second.IsSequence() || entry.second.IsMap()) {
            Place(scanFile, lineOf(entry.first), std::string(item.name))
                .refuse("takes one value under " + std::string(section) + "; put it under vary to scan it");
        }
        seen.add(item, lineOf(entry.first), item.name);
        settings.push_back({&item, valueOf(item, entry.second, scanFile, lineOf(entry.first))});
    }
    return settings;
}

// A switch as the scan file writes it, with its line.
struct WrittenSwitch {
    std::string text;
    int line = 0;
};

void readSwitches(const YAML::Node& node, ScanDefinition& scan, std::vector<WrittenSwitch>& written)
{
    const Place place(scan.path, lineOf(node), "switches");
    if (node.IsNull()) {
        return;
    }
    if (!node.IsSequence()) {
        place.refuse("give a list of switches, as [/nq] or []");
    }
    for (const YAML::Node& item : node) {
        const Place at(scan.path, lineOf(item), "switches");
        const std::string text = scalarText(item, at);
        if (!applySwitch(text, scan.runSwitches)) {
            at.refuse(quotedText(text) + " is not a switch of kesp; give /no2, /nq, /2006 or /strict");
        }
        scan.switches.push_back(text);
        written.push_back({text, at.line()});
    }
}

// The items a switch makes meaningless, and what it does that makes them so.
struct SwitchedOff {
    std::vector<std::string_view> items;
    std::string_view effect;
};

SwitchedOff switchedOffBy(const std::string& text)
{
    RunSwitches alone;
    static_cast<void>(applySwitch(text, alone));
    if (!alone.oxygenEffect) {
        return {{"PO2", "MMHG", "M0", "K", "Q", "R"}, "switches the oxygen model off (every run is aerobic)"};
    }
    if (!alone.zebDependentOxygen) {
        return {{"Q", "R"}, "makes the oxygen factor M0 for every particle"};
    }
    return {};
}

// A scan that varies or fixes an item its switches make meaningless would
// label its rows with values that changed nothing.
void refuseSwitchedOffItems(const ScanDefinition& scan, const std::vector<WrittenSwitch>& switches)
{
    std::vector<std::pair<const ScanItem*, int>> items;
    for (const ScanAxis& axis : scan.vary) {
        items.emplace_back(axis.item, axis.line);
    }
    for (const ScanSetting& setting : scan.fixed) {
        items.emplace_back(setting.item, setting.value.line);
    }
    for (const WrittenSwitch& written : switches) {
        const SwitchedOff off = switchedOffBy(written.text);
        for (const auto& [item, line] : items) {
            if (std::find(off.items.begin(), off.items.end(), item->name) != off.items.end()) {
                Place(scan.path, line, std::string(item->name))
                    .refuse("the switch " + written.text + " (line " + std::to_string(written.line) + ") "
                            + std::string(off.effect) + ", so " + std::string(item->name)
                            + " changes nothing; remove the switch or " + std::string(item->name));
            }
        }
    }
}

// `cells` and `seed` stand for NOCS and SEED.
void readShorthand(const YAML::Node& node, int keyLine, std::string_view item, std::string_view written,
                   ScanDefinition& scan, ItemsSeen& seen)
{
    const ScanItem& known = *findScanItem(item);
    seen.add(known, keyLine, written);
    scan.fixed.push_back({&known, valueOf(known, node, scan.path, keyLine)});
}

void readReference(const YAML::Node& node, int keyLine, ScanDefinition& scan)
{
    ItemsSeen seen(scan.path);
    scan.reference = readSettings(node, keyLine, scan.path, "reference", seen);
    for (const ScanSetting& setting : scan.reference) {
        if (!describesRadiation(*setting.item)) {
            Place(scan.path, setting.value.line, std::string(setting.item->name))
                .refuse("the reference is a radiation: give PAR, KE, MEV/A or FN; every other item is the"
                        " configuration's own");
        }
    }
}

// A list of numbers under survival, with each number's line.
void readNumberList(const YAML::Node& node, int keyLine, const std::filesystem::path& scanFile,
                    const std::string& what, std::vector<double>& values, std::vector<int>& lines)
{
    if (!node.IsSequence()) {
        Place(scanFile, lineOf(node, keyLine), what).refuse("give a list of numbers, as [2] or [2, 6]");
    }
    values.clear();
    lines.clear();
    for (const YAML::Node& item : node) {
        const Place at(scanFile, lineOf(item, keyLine), what);
        values.push_back(numberOf(scalarText(item, at), at));
        lines.push_back(at.line());
    }
}

// The survival block as written; planScan checks its values
// (checkScanSurvival), naming the lines kept here.
void readSurvival(const YAML::Node& node, int keyLine, ScanDefinition& scan)
{
    requireMapping(node, Place(scan.path, keyLine, "survival"));
    ScanSurvival survival;
    survival.lines.block = keyLine;
    for (const auto& entry : node) {
        const std::string key = entry.first.IsScalar() ? entry.first.Scalar() : std::string();
        const int line = lineOf(entry.first);
        const Place place(scan.path, line, "survival: " + key);
        if (key == "alpha" || key == "beta" || key == "alpha_beta") {
            const double value = numberOf(scalarText(entry.second, place), place);
            if (key == "alpha") {
                survival.alphaPerGy = value;
                survival.lines.alpha = line;
            } else if (key == "beta") {
                survival.betaPerGy2 = value;
                survival.lines.beta = line;
            } else {
                survival.alphaBetaGy = value;
                survival.lines.alphaBeta = line;
            }
        } else if (key == "doses") {
            readNumberList(entry.second, line, scan.path, "survival: doses", survival.questions.referenceDosesGy,
                           survival.lines.referenceDoses);
        } else if (key == "survival") {
            readNumberList(entry.second, line, scan.path, "survival: survival", survival.questions.survivalLevels,
                           survival.lines.survivalLevels);
        } else {
            Place(scan.path, line, "survival")
                .refuse(quotedText(key) + " is not a part of the survival block; give alpha, beta (or alpha_beta),"
                                          " doses and survival");
        }
    }
    if (survival.lines.alpha == 0) {
        Place(scan.path, keyLine, "survival").refuse("give alpha (Gy^-1), measured for the reference radiation");
    }
    scan.survival = std::move(survival);
}

std::size_t countConfigurations(const ScanDefinition& scan)
{
    std::size_t count = 1;
    for (const ScanAxis& axis : scan.vary) {
        if (count > maxConfigurations / axis.values.size()) {
            Place(scan.path, axis.line, std::string(axis.item->name))
                .refuse("the scan would have more than " + std::to_string(maxConfigurations)
                        + " configurations; split it");
        }
        count *= axis.values.size();
    }
    return count;
}

// The settings of the scan workflow, which kesp-scan does not use: the
// number of parts to split the scan into, and the folder of the programs.
void checkWorkflowSetting(const std::string& key, const YAML::Node& value, const Place& place)
{
    const std::string text = value.IsScalar() ? value.Scalar() : std::string();
    if (key == "programs") {
        if (text.empty()) {
            place.refuse("give the folder that holds kesp-scan and kesp-plot");
        }
        return;
    }
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 6
        || std::stoi(text) < 1) {
        place.refuse("give a whole number of parts, 1 or more");
    }
}

}  // namespace

ScanDefinition readScanFile(const std::filesystem::path& file)
{
    const YAML::Node document = loadScanDocument(file);
    ScanDefinition scan;
    scan.path = file;
    if (!document.IsMap()) {
        Place(file, document.IsNull() ? 0 : lineOf(document), "")
            .refuse("a scan file is a mapping of title, cells, seed, switches, vary, fixed, reference and"
                    " survival");
    }
    ItemsSeen seen(file);
    std::vector<WrittenSwitch> switches;
    // Keys given twice are refused as the document is loaded.
    for (const auto& entry : document) {
        const std::string key = entry.first.IsScalar() ? entry.first.Scalar() : std::string();
        const int line = lineOf(entry.first);
        const Place place(file, line, key);
        const YAML::Node value = entry.second;
        if (key == "title") {
            scan.title = value.IsNull() ? std::string() : scalarText(value, place);
        } else if (key == "cells") {
            readShorthand(value, line, "NOCS", "cells", scan, seen);
        } else if (key == "seed") {
            readShorthand(value, line, "SEED", "seed", scan, seen);
        } else if (key == "switches") {
            readSwitches(value, scan, switches);
        } else if (key == "vary") {
            readVary(value, line, scan, seen);
        } else if (key == "fixed") {
            const std::vector<ScanSetting> fixed = readSettings(value, line, file, "fixed", seen);
            scan.fixed.insert(scan.fixed.end(), fixed.begin(), fixed.end());
        } else if (key == "reference") {
            readReference(value, line, scan);
        } else if (key == "survival") {
            readSurvival(value, line, scan);
        } else if (key == "shards" || key == "programs") {
            checkWorkflowSetting(key, value, place);
        } else {
            Place(file, line, "").refuse(quotedText(key)
                         + " is not a part of a scan file; give title, cells, seed, switches, vary, fixed,"
                           " reference or survival");
        }
    }
    static_cast<void>(countConfigurations(scan));
    refuseSwitchedOffItems(scan, switches);
    return scan;
}

std::vector<std::string> fewCellProblems(const ScanDefinition& scan)
{
    std::vector<std::string> problems;
    bool given = false;
    const auto check = [&](const ScanItem& item, const ScanValue& value) {
        if (item.name != "NOCS") {
            return;
        }
        given = true;
        if (std::strtod(value.text.c_str(), nullptr) < 2.0) {
            problems.push_back(Place(scan.path, value.line, "NOCS")
                                   .text(value.text + " is fewer than 2 cells, which give no standard errors (SEM"
                                                      " needs at least 2 cells); give 2 or more"));
        }
    };
    for (const ScanSetting& setting : scan.fixed) {
        check(*setting.item, setting.value);
    }
    for (const ScanAxis& axis : scan.vary) {
        for (const ScanValue& value : axis.values) {
            check(*axis.item, value);
        }
    }
    if (!given) {
        problems.push_back(Place(scan.path, 0, "cells")
                               .text("not given, so every configuration simulates kesp's default of 1 cell, which"
                                     " gives no standard errors (SEM needs at least 2 cells); give cells: 2 or more"));
    }
    return problems;
}

}  // namespace kesp
