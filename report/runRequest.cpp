#include "kesp/report/runRequest.h"

#include <algorithm>
#include <exception>
#include <sstream>

#include "kesp/input/inputReader.h"
#include "kesp/input/settingsCheck.h"
#include "kesp/report/reportDriver.h"
#include "kesp/report/reportText.h"
#include "kesp/support/cpuClock.h"

namespace kesp {

namespace {

bool anyWarning(const std::vector<Diagnostic>& diagnostics)
{
    return std::any_of(diagnostics.begin(), diagnostics.end(),
                       [](const Diagnostic& d) { return d.severity != Severity::note; });
}

// Why strict refuses the run, in the front end's words, or nothing when it
// does not.
std::optional<std::string> strictRefusal(const RunRequest& request, const std::vector<Diagnostic>& diagnostics)
{
    const bool callerWarned = !request.callerWarnings.empty();
    const bool inputWarned = anyWarning(diagnostics);
    if (!request.switches.strict || (!callerWarned && !inputWarned)) {
        return std::nullopt;
    }
    const bool fromInput = std::holds_alternative<InputText>(request.source);
    switch (request.wording) {
        case OutcomeWording::program: {
            const std::string where = !callerWarned ? (fromInput ? "the input holds" : "the settings hold")
                                      : inputWarned ? "the command line and the input hold"
                                                    : "the command line holds";
            return "Run refused: /strict is given and " + where + " warnings (on the standard error stream)";
        }
        case OutcomeWording::page:
            return std::string("Run refused: /strict is given and the input holds warnings");
        case OutcomeWording::library:
            return std::string("Run refused: strict is given and the ") + (fromInput ? "input holds" : "settings hold")
                   + " warnings";
    }
    return std::nullopt;
}

std::string interruptedBeforeFirstCell(OutcomeWording wording)
{
    return wording == OutcomeWording::page ? "Run interrupted before its first cell; no report"
                                           : "Run interrupted before its first cell; no report is written";
}

// Why a mixed field stopped early gets no report: its components are
// simulated one after the other, so the cells done are not a sample of the
// field, and tables of them would pass for the field's yields.
std::string partialFieldMessage(OutcomeWording wording, const RunResults& results)
{
    if (wording == OutcomeWording::page) {
        return "No report: a mixed field is simulated component by component, so the cells done are not a sample "
               "of the field";
    }
    const auto withCells = std::count_if(results.componentCells.begin(), results.componentCells.end(),
                                         [](std::int32_t cells) { return cells > 0; });
    return "No report is written: a mixed field is simulated component by component, so the cells done (of "
           + std::to_string(withCells) + " of its " + std::to_string(results.componentCells.size())
           + " components) are not a sample of the field; an earlier report is left as it was";
}

}  // namespace

RequestRun::RequestRun(RunRequest request) : request_(std::move(request))
{
    try {
        readSource();
    } catch (const RunError& error) {
        outcome_.settings.reset();
        outcome_.error = error;
    }
}

RequestRun::~RequestRun() = default;

void RequestRun::readSource()
{
    if (const auto* input = std::get_if<InputText>(&request_.source)) {
        if (const std::optional<std::string> problem = inputSizeProblem(*input)) {
            stopRun(ErrorKind::input, *problem);
        }
        InputDiagnostics diagnostics{input->name};
        std::istringstream stream(input->text);
        try {
            outcome_.settings = readInput(stream, request_.switches, input->name, &diagnostics);
        } catch (const RunError&) {
            outcome_.diagnostics = diagnostics.list();
            throw;
        }
        outcome_.diagnostics = diagnostics.list();
    } else {
        const auto& code = std::get<CodeSettings>(request_.source);
        outcome_.settings = code.settings;
        outcome_.diagnostics = code.readDiagnostics ? *code.readDiagnostics : checkSettings(code.settings);
    }
    if (request_.threads) {
        outcome_.settings->threads = *request_.threads;
    }
    outcome_.refusal = strictRefusal(request_, outcome_.diagnostics);
}

SimulationRun& RequestRun::simulation()
{
    if (outcome_.error) {
        throw *outcome_.error;
    }
    if (!outcome_.mayRun()) {
        stopRun(ErrorKind::usage, "The request is refused or failed; it gives no run");
    }
    if (!run_) {
        run_ = std::make_unique<SimulationRun>(*outcome_.settings);
    }
    return *run_;
}

const RunOutcome& RequestRun::simulate(ProgressObserver& progress, const StopFlag& stop, double startSeconds)
{
    const double start = startSeconds < 0.0 ? cpuSeconds() : startSeconds;
    SimulationRun& run = simulation();
    if (!outcome_.settings->field.singleParticle()) {
        // The components' physics first, where a stop is seen between them.
        static_cast<void>(run.componentRows(stop));
    }
    const RunResults& results = outcome_.results.emplace(run.simulate(progress, stop));
    const OutcomeWording wording = request_.wording;
    if (results.interrupted && results.cellsSimulated == 0) {
        outcome_.message = interruptedBeforeFirstCell(wording);
        return outcome_;
    }
    outcome_.runningMinutes = (cpuSeconds() - start) / 60.0;
    std::ostringstream interruption;
    writeInterruption(interruption, results);
    outcome_.interruption = interruption.str();
    if (!results.statisticsDescribeTheRadiation()) {
        outcome_.message = partialFieldMessage(wording, results);
        return outcome_;
    }
    outcome_.report = reportText(*outcome_.settings, results, outcome_.runningMinutes);
    if (request_.survival) {
        try {
            outcome_.survival = cellSurvival(*request_.survival, results);
        } catch (const RunError& error) {
            outcome_.survivalError = error;
        }
    }
    if (request_.provenance) {
        outcome_.json = jsonDocument(*outcome_.settings, results, *request_.provenance,
                                     outcome_.survival ? &*outcome_.survival : nullptr);
    }
    return outcome_;
}

namespace {

// Runs the step, putting any error it throws into the outcome.
template <typename Step>
void keepingErrors(RunOutcome& outcome, Step step)
{
    try {
        step();
    } catch (const RunError& error) {
        outcome.error = error;
    } catch (const std::bad_alloc&) {
        outcome.error = RunError(ErrorKind::resources, "Memory for the run cannot be had");
    } catch (const std::exception& error) {
        outcome.error = RunError(ErrorKind::internal, error.what());
    }
}

}  // namespace

RunOutcome checkRequest(RunRequest request)
{
    RunOutcome outcome;
    keepingErrors(outcome, [&] {
        RequestRun run(std::move(request));
        outcome = run.outcome();
        if (outcome.mayRun()) {
            static_cast<void>(run.simulation());
        }
    });
    return outcome;
}

RunOutcome runRequest(RunRequest request, ProgressObserver& progress, const StopFlag& stop)
{
    RunOutcome outcome;
    keepingErrors(outcome, [&] {
        RequestRun run(std::move(request));
        outcome = run.outcome();
        if (outcome.mayRun()) {
            outcome = run.simulate(progress, stop);
        }
    });
    return outcome;
}

}  // namespace kesp
