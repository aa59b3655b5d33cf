#include "web/engine/webRequests.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "kesp/input/runSwitches.h"
#include "kesp/report/banner.h"
#include "kesp/report/runRequest.h"
#include "kesp/support/runError.h"
#include "web/engine/webSurvival.h"

namespace kesp::web {

namespace {

using nlohmann::json;

// Only a digest as the document's schema takes it, or none.
bool isSha256Text(const std::string& text)
{
    return text.empty()
           || (text.size() == 64
               && std::all_of(text.begin(), text.end(),
                              [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }));
}

// A request as the page sends it: the run, and the cell survival it asks for.
struct PageRequest {
    RunRequest run;
    std::optional<SurvivalAsked> survival;
};

PageRequest parseRequest(const std::string& text)
{
    const json document = json::parse(text, nullptr, false);
    if (!document.is_object() || !document.contains("input") || !document["input"].is_string()) {
        throw RunError(ErrorKind::usage, "The request is not a JSON object with the input text under \"input\"");
    }
    InputText input;
    RunProvenance provenance{std::string(programTitle), KESP_GIT_REVISION, {}, {}, {}};
    try {
        input.text = document["input"].get<std::string>();
        input.name = document.value("inputName", std::string("kesp.inp"));
        provenance.inputSha256 = document.value("inputSha256", std::string());
        provenance.switches = document.value("switches", std::vector<std::string>{});
    } catch (const json::exception&) {
        throw RunError(ErrorKind::usage, "The request's inputName and inputSha256 must be texts, and its switches a "
                                         "list of texts");
    }
    if (!isSha256Text(provenance.inputSha256)) {
        throw RunError(ErrorKind::usage, "The request's inputSha256 must be 64 lower-case hex digits or empty");
    }
    RunRequest request;
    for (const std::string& word : provenance.switches) {
        if (word != "/json" && !applySwitchWord(word, request.switches)) {
            throw RunError(ErrorKind::usage, word + " is not a switch (/no2, /nq, /2006, /strict or /json)");
        }
    }
    provenance.inputFile = input.name;
    request.source = std::move(input);
    request.provenance = std::move(provenance);
    // The page's engine has one thread; the numbers do not depend on it.
    request.threads = 1;
    request.wording = OutcomeWording::page;
    return {std::move(request), survivalAskedOf(document)};
}

json diagnosticsJson(const std::vector<Diagnostic>& diagnostics)
{
    json list = json::array();
    for (const Diagnostic& diagnostic : diagnostics) {
        list.push_back({{"file", diagnostic.file},
                        {"line", diagnostic.line},
                        {"severity", severityWord(diagnostic.severity)},
                        {"block", diagnostic.block},
                        {"message", diagnostic.message},
                        {"text", formatDiagnostic(diagnostic)}});
    }
    return list;
}

json errorJson(const RunError& error)
{
    return {{"kind", errorKindWord(error.kind())}, {"message", error.what()}, {"detail", error.detail()}};
}

// A response with nothing found yet.
json emptyResponse()
{
    return {{"diagnostics", json::array()}, {"refusal", nullptr}, {"error", nullptr},
            {"cells", 0},                   {"singleParticle", true}};
}

json optionalText(const std::optional<std::string>& text)
{
    return text ? json(*text) : json(nullptr);
}

// What the check of a request found.
void checkInto(const RunOutcome& outcome, json& response)
{
    response["diagnostics"] = diagnosticsJson(outcome.diagnostics);
    if (outcome.settings) {
        response["cells"] = outcome.settings->cells;
        response["singleParticle"] = outcome.settings->field.singleParticle();
    }
    response["refusal"] = optionalText(outcome.refusal);
    if (outcome.error) {
        response["error"] = errorJson(*outcome.error);
    }
}

// What the run of a request gave.
void runInto(const RunOutcome& outcome, json& response)
{
    checkInto(outcome, response);
    if (!outcome.results) {
        return;
    }
    response["interrupted"] = outcome.results->interrupted;
    response["cellsSimulated"] = outcome.results->cellsSimulated;
    response["report"] = optionalText(outcome.report);
    response["json"] = optionalText(outcome.json);
    response["message"] = outcome.message                ? json(*outcome.message)
                          : outcome.interruption.empty() ? json(nullptr)
                                                         : json(outcome.interruption);
}

// What the reference radiation's run adds to the run's response: its
// diagnostics after the run's, and what stops it when nothing stopped the
// run.
void referenceInto(const RunOutcome& reference, json& response)
{
    for (json& diagnostic : diagnosticsJson(reference.diagnostics)) {
        response["diagnostics"].push_back(std::move(diagnostic));
    }
    const std::string prefix = "Reference radiation: ";
    if (response["refusal"].is_null() && reference.refusal) {
        response["refusal"] = prefix + *reference.refusal;
    }
    if (response["error"].is_null() && reference.error) {
        json error = errorJson(*reference.error);
        error["message"] = prefix + error["message"].get<std::string>();
        response["error"] = std::move(error);
    }
}

void checkInto(const PageRequest& page, json& response)
{
    const RunOutcome outcome = kesp::checkRequest(page.run);
    checkInto(outcome, response);
    if (page.survival && outcome.settings) {
        referenceInto(kesp::checkRequest(referenceRequest(page.run, *outcome.settings, *page.survival)), response);
    }
}

// The reference radiation's run, the model from it, then the run with the
// model; cells are counted on through both runs.
void runWithSurvival(PageRequest page, const CellProgress& progress, json& response)
{
    response.update({{"survival", nullptr}, {"survivalError", nullptr}});
    const RunOutcome checked = kesp::checkRequest(page.run);
    checkInto(checked, response);
    if (!checked.settings) {
        return;
    }
    const RunRequest referenceAsked = referenceRequest(page.run, *checked.settings, *page.survival);
    if (!checked.mayRun()) {
        referenceInto(kesp::checkRequest(referenceAsked), response);
        return;
    }
    StopFlag stop{false};
    PageProgress referenceObserver(progress, stop);
    const RunOutcome reference = kesp::runRequest(referenceAsked, referenceObserver, stop);
    if (!reference.results || reference.results->interrupted) {
        referenceInto(reference, response);
        if (reference.results) {
            response["interrupted"] = true;
            response["message"] = "Stopped in the reference radiation's run, after "
                                  + std::to_string(reference.results->cellsSimulated)
                                  + " cells: the radiation itself was not run";
        }
        return;
    }
    try {
        page.run.survival =
            survivalModel(page.survival->measured, *reference.results, nullptr, page.survival->questions);
    } catch (const RunError& error) {
        response["survivalError"] = errorJson(error);
    }
    const int referenceCells = reference.results->cellsSimulated;
    const CellProgress shifted = [&progress, referenceCells](int cellsDone) {
        return progress && progress(referenceCells + cellsDone);
    };
    PageProgress observer(shifted, stop);
    const RunOutcome outcome = kesp::runRequest(page.run, observer, stop);
    runInto(outcome, response);
    referenceInto(reference, response);
    if (outcome.survival) {
        response["survival"] = survivalResponse(*outcome.survival, *page.survival, *reference.results);
    } else if (outcome.survivalError) {
        response["survivalError"] = errorJson(*outcome.survivalError);
    }
}

// Texts quoted from the input are passed on as they are; a byte that is not
// UTF-8 (a multi-byte letter cut at a column) becomes the replacement mark.
std::string responseText(const json& response)
{
    return response.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace

std::string checkRequest(const std::string& text)
{
    json response = emptyResponse();
    try {
        checkInto(parseRequest(text), response);
    } catch (const RunError& error) {
        response["error"] = errorJson(error);
    } catch (const std::exception& error) {
        response["error"] = errorJson(RunError(ErrorKind::internal, error.what()));
    }
    return responseText(response);
}

std::string runRequest(const std::string& text, const CellProgress& progress)
{
    json response = emptyResponse();
    response.update({{"report", nullptr}, {"json", nullptr}, {"message", nullptr},
                     {"interrupted", false}, {"cellsSimulated", 0}});
    try {
        PageRequest page = parseRequest(text);
        if (page.survival) {
            runWithSurvival(std::move(page), progress, response);
        } else {
            StopFlag stop{false};
            PageProgress observer(progress, stop);
            runInto(kesp::runRequest(std::move(page.run), observer, stop), response);
        }
    } catch (const RunError& error) {
        response["error"] = errorJson(error);
    } catch (const std::exception& error) {
        response["error"] = errorJson(RunError(ErrorKind::internal, error.what()));
    }
    return responseText(response);
}

}  // namespace kesp::web
