#include "web/engine/webRequests.h"

#include <exception>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "kesp/engine/engine.h"
#include "kesp/input/inputReader.h"
#include "kesp/input/runSwitches.h"
#include "kesp/report/banner.h"
#include "kesp/report/jsonDocument.h"
#include "kesp/report/reportDriver.h"
#include "kesp/report/reportText.h"
#include "kesp/support/cpuClock.h"
#include "kesp/support/runError.h"

namespace kesp::web {

namespace {

using nlohmann::json;

struct Request {
    std::string input;
    std::string inputName;
    std::vector<std::string> switchWords;
    std::string inputSha256;
    RunSwitches switches;
};

Request parseRequest(const std::string& text)
{
    const json document = json::parse(text, nullptr, false);
    if (!document.is_object() || !document.contains("input") || !document["input"].is_string()) {
        throw RunError(ErrorKind::usage, "The request is not a JSON object with the input text under \"input\"");
    }
    Request request;
    try {
        request.input = document["input"].get<std::string>();
        request.inputName = document.value("inputName", std::string("kesp.inp"));
        request.inputSha256 = document.value("inputSha256", std::string());
        request.switchWords = document.value("switches", std::vector<std::string>{});
    } catch (const json::exception&) {
        throw RunError(ErrorKind::usage, "The request's inputName and inputSha256 must be texts, and its switches a "
                                         "list of texts");
    }
    for (const std::string& word : request.switchWords) {
        if (word != "/json" && !applySwitchWord(word, request.switches)) {
            throw RunError(ErrorKind::usage, word + " is not a switch (/no2, /nq, /2006, /strict or /json)");
        }
    }
    return request;
}

json diagnosticsJson(const InputDiagnostics& diagnostics)
{
    json list = json::array();
    for (const Diagnostic& diagnostic : diagnostics.list()) {
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

// Reads the input into the response; the settings when the run may go on.
std::optional<RunSettings> readRequest(const Request& request, json& response)
{
    InputDiagnostics diagnostics{request.inputName};
    std::istringstream input(request.input);
    RunSettings settings;
    try {
        settings = readInput(input, request.switches, request.inputName, &diagnostics);
    } catch (const RunError& error) {
        response["diagnostics"] = diagnosticsJson(diagnostics);
        response["error"] = errorJson(error);
        return std::nullopt;
    }
    response["diagnostics"] = diagnosticsJson(diagnostics);
    response["cells"] = settings.cells;
    response["singleParticle"] = settings.field.singleParticle();
    if (request.switches.strict && diagnostics.hasWarnings()) {
        response["refusal"] = "Run refused: /strict is given and the input holds warnings";
        return std::nullopt;
    }
    // The page's engine has one thread; the numbers do not depend on it.
    settings.threads = 1;
    return settings;
}

// Passes the cells done on to the page and takes its request to stop.
class PageProgress final : public ProgressObserver {
public:
    PageProgress(const CellProgress& progress, StopFlag& stop) : progress_(progress), stop_(stop) {}
    void tableStarted(ProgressTable) override {}
    void progressed(const ProgressUpdate& update) override
    {
        if (progress_ && progress_(update.cellsDone)) {
            stop_.store(true);
        }
    }

private:
    const CellProgress& progress_;
    StopFlag& stop_;
};

// Why a mixed field stopped early gets no report: its components are
// simulated one after the other, so the cells done are not a sample of it.
std::string partialFieldMessage()
{
    return "No report: a mixed field is simulated component by component, so the cells done are not a sample "
           "of the field";
}

void simulateInto(const Request& request, const RunSettings& settings, const CellProgress& progress,
                  json& response)
{
    const double start = cpuSeconds();
    StopFlag stop{false};
    PageProgress observer(progress, stop);
    SimulationRun run(settings);
    if (!settings.field.singleParticle()) {
        run.componentRows(stop);
    }
    const RunResults results = run.simulate(observer, stop);
    response["interrupted"] = results.interrupted;
    response["cellsSimulated"] = results.cellsSimulated;
    if (results.interrupted && results.cellsSimulated == 0) {
        response["message"] = "Run interrupted before its first cell; no report";
        return;
    }
    if (!results.statisticsDescribeTheRadiation()) {
        response["message"] = partialFieldMessage();
        return;
    }
    if (results.interrupted) {
        std::ostringstream interruption;
        writeInterruption(interruption, results);
        response["message"] = interruption.str();
    }
    const double minutes = (cpuSeconds() - start) / 60.0;
    response["report"] = reportText(settings, results, minutes);
    const RunProvenance provenance{std::string(programTitle), KESP_GIT_REVISION, request.inputName,
                                   request.inputSha256, request.switchWords};
    response["json"] = jsonDocument(settings, results, provenance);
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
        const Request request = parseRequest(text);
        if (const std::optional<RunSettings> settings = readRequest(request, response)) {
            const SimulationRun run(*settings);
        }
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
        const Request request = parseRequest(text);
        if (const std::optional<RunSettings> settings = readRequest(request, response)) {
            simulateInto(request, *settings, progress, response);
        }
    } catch (const RunError& error) {
        response["error"] = errorJson(error);
    } catch (const std::exception& error) {
        response["error"] = errorJson(RunError(ErrorKind::internal, error.what()));
    }
    return responseText(response);
}

}  // namespace kesp::web
