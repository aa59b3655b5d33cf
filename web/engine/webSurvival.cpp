#include "web/engine/webSurvival.h"

#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "kesp/input/diagnostics.h"
#include "kesp/input/fieldReader.h"
#include "kesp/physics/particleIdentification.h"
#include "kesp/report/scanText.h"
#include "kesp/report/survivalJson.h"
#include "kesp/support/runError.h"
#include "kesp/survival/dsbSources.h"
#include "kesp/survival/linearQuadratic.h"

namespace kesp::web {

namespace {

using nlohmann::json;

// The survival curves run from 0 to 10 Gy in steps of 0.25 Gy.
constexpr int curvePoints = 41;
constexpr double curveStepGy = 0.25;

// The name the reference line's diagnostics go by, as a file's name.
const std::string referenceLineName = "reference radiation";

double numberOf(const json& survival, const char* key)
{
    if (!survival.contains(key) || !survival[key].is_number()) {
        stopRun(ErrorKind::usage, std::string("The request's survival.") + key + " must be a number");
    }
    return survival[key].get<double>();
}

std::vector<double> numbersOf(const json& survival, const char* key, std::vector<double> fallback)
{
    if (!survival.contains(key)) {
        return fallback;
    }
    const json& list = survival[key];
    std::vector<double> numbers;
    for (const json& value : list.is_array() ? list : json::array({nullptr})) {
        if (!value.is_number()) {
            stopRun(ErrorKind::usage, std::string("The request's survival.") + key + " must be a list of numbers");
        }
        numbers.push_back(value.get<double>());
    }
    return numbers;
}

// "RADX: PAR=e KE=1" from the items PAR, KE and MEV/A, each at most once.
std::string referenceLineOf(const json& items)
{
    if (!items.is_array() || items.empty()) {
        stopRun(ErrorKind::usage, "The request's survival.reference must be a list of items (PAR, KE or MEV/A)");
    }
    std::string line = "RADX:";
    std::set<std::string> seen;
    for (const json& entry : items) {
        const std::string item = entry.is_object() ? entry.value("item", std::string()) : std::string();
        const json value = entry.is_object() ? entry.value("value", json()) : json();
        const std::string text = value.is_string() ? value.get<std::string>() : value.is_number() ? value.dump() : "";
        if ((item != "PAR" && item != "KE" && item != "MEV/A") || !seen.insert(item).second) {
            stopRun(ErrorKind::usage, "The reference radiation takes the items PAR, KE and MEV/A, each once, not "
                                          + quotedText(item));
        }
        if (!fitsInputItem(text)) {
            stopRun(ErrorKind::usage, "The reference radiation's " + item + ": " + quotedText(text)
                                          + " cannot stand as one value on an input line");
        }
        line += " " + item + "=" + text;
    }
    return line;
}

json curveJson(const CellSurvival& survival)
{
    json curve{{"dose_gy", json::array()}, {"survival_fraction", json::array()},
               {"reference_survival_fraction", json::array()}};
    for (int i = 0; i < curvePoints; ++i) {
        const double dose = curveStepGy * i;
        const LinearQuadratic& particle = survival.coefficients;
        curve["dose_gy"].push_back(dose);
        curve["survival_fraction"].push_back(survivalFraction(particle.alphaPerGy, particle.betaPerGy2, dose));
        if (survival.reference) {
            curve["reference_survival_fraction"].push_back(
                survivalFraction(survival.reference->alphaPerGy, survival.reference->betaPerGy2, dose));
        }
    }
    return curve;
}

}  // namespace

std::optional<SurvivalAsked> survivalAskedOf(const json& request)
{
    if (!request.contains("survival") || request["survival"].is_null()) {
        return std::nullopt;
    }
    const json& survival = request["survival"];
    if (!survival.is_object()) {
        stopRun(ErrorKind::usage, "The request's survival must be an object with alpha_per_gy and beta_per_gy2");
    }
    SurvivalAsked asked;
    asked.measured = {numberOf(survival, "alpha_per_gy"), numberOf(survival, "beta_per_gy2")};
    if (survival.contains("reference") && !survival["reference"].is_null()) {
        asked.referenceLine = referenceLineOf(survival["reference"]);
    }
    asked.questions.referenceDosesGy =
        numbersOf(survival, "reference_doses_gy", std::move(asked.questions.referenceDosesGy));
    asked.questions.survivalLevels = numbersOf(survival, "survival_levels", std::move(asked.questions.survivalLevels));
    checkSurvivalQuestions(asked.questions);
    return asked;
}

RunRequest referenceRequest(const RunRequest& run, const RunSettings& settings, const SurvivalAsked& asked)
{
    RadiationField field = defaultReferenceRadiation();
    std::vector<Diagnostic> diagnostics;
    if (asked.referenceLine) {
        InputDiagnostics read(referenceLineName);
        std::istringstream line(*asked.referenceLine + "\n");
        field = readRadiationBlock(line, massConstantsFor(settings.masses2006), {}, &read).field;
        diagnostics = read.list();
    }
    RunRequest request;
    request.source = CodeSettings{referenceRunSettings(settings, std::move(field)), std::move(diagnostics)};
    request.switches = run.switches;
    request.threads = run.threads;
    request.wording = run.wording;
    return request;
}

json survivalResponse(const CellSurvival& survival, const SurvivalAsked& asked, const RunResults& reference)
{
    json response = survivalJson(survival);
    const ReferenceRadiation measured =
        referenceRadiation(asked.measured.alphaPerGy, asked.measured.betaPerGy2, reference);
    response["reference_run"] = {
        {"cells_simulated", reference.cellsSimulated},
        {"dsb_per_cell_per_gy", {{"mean", measured.dsbPerCellPerGy}, {"sem", measured.dsbPerCellPerGySem}}},
        {"zf_gy", measured.zFGy}};
    response["curve"] = curveJson(survival);
    return response;
}

}  // namespace kesp::web
