#include "web/engine/webScans.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "kesp/engine/engine.h"
#include "kesp/input/diagnostics.h"
#include "kesp/report/scanConfiguration.h"
#include "kesp/report/scanPairing.h"
#include "kesp/report/scanPlan.h"
#include "kesp/report/scanRange.h"
#include "kesp/report/scanTable.h"
#include "kesp/report/scanText.h"
#include "kesp/support/numberReader.h"
#include "kesp/support/runError.h"
#include "web/engine/webScanSurvival.h"

namespace kesp::web {

namespace {

using nlohmann::json;

// What the plan's structure says, and what is wrong with it.
struct Definition {
    ScanDefinition scan;
    std::vector<std::string> problems;
};

const ScanItem* itemOf(const json& entry, Definition& definition)
{
    const std::string name = entry.is_object() ? entry.value("item", std::string()) : std::string();
    const ScanItem* item = findScanItem(name);
    if (item == nullptr) {
        definition.problems.push_back(quotedText(name) + " is not an item of the input file");
    }
    return item;
}

std::optional<ScanValue> valueOf(const ScanItem& item, const json& given, Definition& definition)
{
    const std::string text = given.is_string() ? given.get<std::string>() : given.is_number() ? given.dump() : "";
    const std::string name(item.name);
    if (item.value == ItemValue::number) {
        double number = 0.0;
        if (readReal(text, number) != 0) {
            definition.problems.push_back(name + ": " + quotedText(text) + " is not a number");
            return std::nullopt;
        }
        return ScanValue{shortestText(number), 0, {}};
    }
    if (item.value == ItemValue::fieldFile || !fitsInputItem(text)) {
        definition.problems.push_back(name + ": " + quotedText(text) + " is not a particle name (as p, 4He, 12C)");
        return std::nullopt;
    }
    return ScanValue{text, 0, {}};
}

std::vector<ScanSetting> settingsOf(const json& list, Definition& definition)
{
    std::vector<ScanSetting> settings;
    for (const json& entry : list.is_array() ? list : json::array()) {
        if (const ScanItem* item = itemOf(entry, definition)) {
            if (std::optional<ScanValue> value = valueOf(*item, entry.value("value", json()), definition)) {
                settings.push_back({item, std::move(*value)});
            }
        }
    }
    return settings;
}

std::vector<ScanValue> rangeOf(const ScanItem& item, const json& range, Definition& definition)
{
    const auto number = [&range](const char* key) {
        const json& value = range.is_object() && range.contains(key) ? range[key] : json();
        return value.is_number() ? value.get<double>() : 0.0;
    };
    const ScanRange wanted{number("from"), number("to"), number("points"),
                           range.is_object() && range.value("spacing", std::string()) == "log" ? RangeSpacing::log
                                                                                               : RangeSpacing::linear};
    if (const std::string problem = rangeProblem(wanted); !problem.empty()) {
        definition.problems.push_back(std::string(item.name) + ": " + problem);
        return {};
    }
    std::vector<ScanValue> values;
    for (const double value : rangeValues(wanted)) {
        values.push_back({shortestText(value), 0, {}});
    }
    return values;
}

Definition definitionOf(const json& plan)
{
    Definition definition;
    ScanDefinition& scan = definition.scan;
    scan.path = plan.value("name", std::string("kesp-curve")) + ".yaml";
    scan.title = plan.value("title", std::string());
    for (const json& entry : plan.value("vary", json::array())) {
        const ScanItem* item = itemOf(entry, definition);
        if (item == nullptr) {
            continue;
        }
        ScanAxis axis{item, 0, {}};
        if (entry.contains("range")) {
            axis.values = rangeOf(*item, entry["range"], definition);
        } else {
            for (const json& value : entry.value("values", json::array())) {
                if (std::optional<ScanValue> taken = valueOf(*item, value, definition)) {
                    axis.values.push_back(std::move(*taken));
                }
            }
        }
        if (axis.values.empty()) {
            definition.problems.push_back(std::string(item->name) + ": give at least one value");
        }
        scan.vary.push_back(std::move(axis));
    }
    scan.fixed = settingsOf(plan.value("fixed", json::array()), definition);
    scan.reference = settingsOf(plan.value("reference", json::array()), definition);
    for (const json& word : plan.value("switches", json::array())) {
        const std::string text = word.is_string() ? word.get<std::string>() : word.dump();
        if (!applySwitch(text, scan.runSwitches)) {
            definition.problems.push_back(text + " is not a switch (/no2, /nq, /2006 or /strict)");
        } else {
            scan.switches.push_back(text);
        }
    }
    scan.survival = scanSurvivalOf(plan, definition.problems);
    return definition;
}

std::size_t rowCountOf(const ScanDefinition& scan)
{
    std::size_t rows = 1;
    for (const ScanAxis& axis : scan.vary) {
        rows *= std::max<std::size_t>(axis.values.size(), 1);
        if (rows > maxCurveRows) {
            return rows;
        }
    }
    return rows;
}

// The last plan asked for: the runs of a curve all name the same one.
struct CachedPlan {
    std::string key;
    std::shared_ptr<const ScanPlan> plan;
};

CachedPlan& cachedPlan()
{
    static CachedPlan cache;
    return cache;
}

// The plan of a structure that has no problems; /strict is left to the
// check of each run, so that every run's warnings are listed.
std::shared_ptr<const ScanPlan> planOf(const json& structure)
{
    const std::string key = structure.dump();
    CachedPlan& cache = cachedPlan();
    if (cache.plan && cache.key == key) {
        return cache.plan;
    }
    Definition definition = definitionOf(structure);
    if (!definition.problems.empty()) {
        throw ScanRefused(definition.problems.front());
    }
    const std::size_t rows = rowCountOf(definition.scan);
    if (rows > maxCurveRows) {
        throw ScanRefused("The curves hold " + std::string(rows > maxCurveRows * 1000 ? "far more than " : "")
                          + std::to_string(rows) + " rows; the page runs curves of up to "
                          + std::to_string(maxCurveRows) + ": give fewer ions, energies or oxygen levels");
    }
    definition.scan.runSwitches.strict = false;
    cache = CachedPlan{key, std::make_shared<const ScanPlan>(planScan(std::move(definition.scan), Leniency::lenient))};
    return cache.plan;
}

// "PAR=12C MEV/A=5 PO2=21"; a reference run by its radiation and the
// items it shares with its rows ("reference PAR=e KE=1 PO2=21").
std::string labelOf(const ScanPlan& plan, const ScanRun& run)
{
    if (!run.reference) {
        return describeConfiguration(plan.scan, run.configuration);
    }
    std::string text = "reference";
    for (const ScanSetting& setting : plan.scan.reference) {
        text += " " + std::string(setting.item->name) + "=" + setting.value.text;
    }
    for (std::size_t k = 0; k < plan.scan.vary.size(); ++k) {
        if (!describesRadiation(*plan.scan.vary[k].item)) {
            text += " " + std::string(plan.scan.vary[k].item->name) + "=" + run.configuration.varied[k];
        }
    }
    return text;
}

ScanRun runOf(const ScanPlan& plan, bool reference, std::size_t index)
{
    if (index >= (reference ? plan.references.size() : plan.configurations)) {
        throw RunError(ErrorKind::usage, "The scan has no such run");
    }
    return reference ? plan.referenceRun(index) : plan.row(index);
}

json planResponse(const json& request)
{
    json response{{"problems", json::array()}, {"refusal", nullptr}, {"diagnostics", json::array()},
                  {"rows", 0},                 {"references", 0},   {"cells", 0},
                  {"runs", json::array()},     {"columns", json::array()}, {"input", ""}};
    const json structure = request.value("plan", json::object());
    const Definition definition = definitionOf(structure);
    if (!definition.problems.empty()) {
        response["problems"] = definition.problems;
        return response;
    }
    std::shared_ptr<const ScanPlan> plan;
    try {
        plan = planOf(structure);
    } catch (const RunError& error) {
        response["problems"] = json::array({std::string(error.what())});
        return response;
    }
    const bool strict = definition.scan.runSwitches.strict;
    std::int64_t cells = 0;
    const auto check = [&](const ScanRun& run, std::size_t index) {
        const std::string label = labelOf(*plan, run);
        InputDiagnostics diagnostics(inputFileNameOf(*plan, run));
        const RunSettings settings = kesp::settingsOf(*plan, run, &diagnostics);
        cells += settings.cells;
        for (const Diagnostic& diagnostic : diagnostics.list()) {
            response["diagnostics"].push_back(
                {{"text", label + ": " + formatDiagnostic(diagnostic)}, {"severity", severityWord(diagnostic.severity)}});
        }
        if (strict && diagnostics.hasWarnings() && response["refusal"].is_null()) {
            response["refusal"] = label + ": Run refused: /strict is given and the input holds warnings";
        }
        response["runs"].push_back({{"reference", run.reference}, {"index", index}, {"label", label}});
    };
    for (std::size_t index = 0; index < plan->references.size(); ++index) {
        check(plan->referenceRun(index), index);
    }
    for (std::size_t index = 0; index < plan->configurations; ++index) {
        check(plan->row(index), index);
    }
    response["rows"] = plan->configurations;
    response["references"] = plan->references.size();
    response["cells"] = cells;
    response["columns"] = tableColumns(plan->scan, ScanMode::simulation);
    response["input"] = inputTextOf(*plan, plan->row(plan->configurations - 1), FieldFileNaming::forThisProcess);
    return response;
}

json optionalNumber(const std::optional<double>& value)
{
    return value ? json(*value) : json(nullptr);
}

std::optional<double> numberIn(const json& row, const char* key)
{
    return row.contains(key) && row[key].is_number() ? std::optional<double>(row[key].get<double>()) : std::nullopt;
}

json runResponse(const json& request, const CellProgress& progress)
{
    const std::shared_ptr<const ScanPlan> plan = planOf(request.value("plan", json::object()));
    const json which = request.value("run", json::object());
    const ScanRun run = runOf(*plan, which.value("reference", false), which.value("index", std::size_t{0}));
    RunSettings settings = kesp::settingsOf(*plan, run);
    settings.threads = 1;
    StopFlag stop{false};
    PageProgress observer(progress, stop);
    SimulationRun simulation(settings);
    const RunResults results = simulation.simulate(observer, stop);
    json response{{"row", nullptr},
                  {"message", nullptr},
                  {"cellsSimulated", results.cellsSimulated},
                  {"interrupted", results.interrupted}};
    if (results.interrupted) {
        response["message"] = labelOf(*plan, run) + ": stopped after " + std::to_string(results.cellsSimulated)
                              + " cells";
        return response;
    }
    const RowValues values = rowValues(plan->scan, run.configuration, settings, results, ScanMode::simulation);
    response["row"] = {{"fields", values.fields}, {"dsb", optionalNumber(values.dsb)},
                       {"dsbSem", optionalNumber(values.dsbSem)}};
    if (plan->scan.survival) {
        response["row"]["dsbSources"] = sourcesJson(values.dsbSources);
    }
    return response;
}

// The runs done so far, by index.
std::map<std::size_t, RowValues> rowsIn(const json& list, std::size_t count)
{
    std::map<std::size_t, RowValues> rows;
    for (const json& row : list.is_array() ? list : json::array()) {
        const std::size_t index = row.value("index", count);
        if (index < count) {
            rows[index] = RowValues{row.value("fields", std::vector<std::string>{}), numberIn(row, "dsb"),
                                    numberIn(row, "dsbSem"), sourcesIn(row)};
        }
    }
    return rows;
}

json tableResponse(const json& request)
{
    const std::shared_ptr<const ScanPlan> plan = planOf(request.value("plan", json::object()));
    const std::map<std::size_t, RowValues> rows = rowsIn(request.value("rows", json::array()), plan->configurations);
    const std::map<std::size_t, RowValues> references =
        rowsIn(request.value("references", json::array()), plan->references.size());
    std::map<std::size_t, PendingRow> pending;
    for (const auto& [index, values] : rows) {
        pending.emplace(index, pendingRowOf(values));
    }
    std::map<std::size_t, PendingRow> referenceRows;
    for (const auto& [index, values] : references) {
        referenceRows.emplace(index, pendingRowOf(values));
    }
    const std::vector<std::string> columns = tableColumns(plan->scan, ScanMode::simulation);
    std::string heading = "# " + request.value("heading", std::string("KESP curve")) + " | rows: "
                          + std::to_string(plan->configurations);
    if (rows.size() < plan->configurations) {
        heading += " | partial: " + std::to_string(rows.size()) + " of " + std::to_string(plan->configurations)
                   + " rows done";
    }
    std::string csv = heading + "\n" + csvLine(columns);
    json tableRows = json::array();
    for (const auto& [index, row] : pending) {
        const RowPairing pairing = rowPairing(*plan, index, ScanMode::simulation);
        const auto reference = referenceRows.find(pairing.reference);
        const auto cellReference = referenceRows.find(pairing.cellReference);
        const auto partner = pairing.oxygenPartner ? pending.find(*pairing.oxygenPartner) : pending.end();
        const std::vector<std::string> paired =
            pairedFields(plan->scan, pairing, row,
                         PairedRuns{reference != referenceRows.end() ? &reference->second : nullptr,
                                    partner != pending.end() ? &partner->second : nullptr,
                                    cellReference != referenceRows.end() ? &cellReference->second : nullptr});
        csv += tableLine(row, paired);
        std::vector<std::string> fields = rows.at(index).fields;
        fields.insert(fields.end(), paired.begin(), paired.end());
        tableRows.push_back({{"index", index}, {"fields", fields}});
    }
    json referenceList = json::array();
    for (const auto& [index, values] : references) {
        referenceList.push_back({{"index", index}, {"fields", values.fields}});
    }
    return {{"csv", csv},
            {"columns", columns},
            {"rows", tableRows},
            {"references", referenceList},
            {"done", rows.size()},
            {"planned", plan->configurations}};
}

json errorResponse(ErrorKind kind, const std::string& message)
{
    return {{"error", {{"kind", errorKindWord(kind)}, {"message", message}}}};
}

}  // namespace

std::string scanRequest(const std::string& request, const CellProgress& progress)
{
    const json document = json::parse(request, nullptr, false);
    if (!document.is_object()) {
        return errorResponse(ErrorKind::usage, "The scan request is not a JSON object").dump();
    }
    try {
        const std::string call = document.value("call", std::string());
        if (call == "plan") {
            return planResponse(document).dump();
        }
        if (call == "run") {
            return runResponse(document, progress).dump();
        }
        if (call == "table") {
            return tableResponse(document).dump();
        }
        return errorResponse(ErrorKind::usage, "The scan request's call is neither plan, run nor table").dump();
    } catch (const RunError& error) {
        return errorResponse(error.kind(), error.what()).dump();
    } catch (const json::exception& error) {
        return errorResponse(ErrorKind::usage, std::string("The scan request is malformed: ") + error.what()).dump();
    } catch (const std::exception& error) {
        return errorResponse(ErrorKind::internal, error.what()).dump();
    }
}

}  // namespace kesp::web
