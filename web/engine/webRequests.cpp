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

RunRequest parseRequest(const std::string& text)
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
    return request;
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
        checkInto(kesp::checkRequest(parseRequest(text)), response);
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
        StopFlag stop{false};
        PageProgress observer(progress, stop);
        runInto(kesp::runRequest(parseRequest(text), observer, stop), response);
    } catch (const RunError& error) {
        response["error"] = errorJson(error);
    } catch (const std::exception& error) {
        response["error"] = errorJson(RunError(ErrorKind::internal, error.what()));
    }
    return responseText(response);
}

}  // namespace kesp::web
