#pragma once
/// \file
/// One run as a front end asks for it, and all it gives back: the program,
/// the Python module and the web page's engine read inputs, check settings,
/// refuse under strict, run and form the report and the JSON document here,
/// so that none of them keeps a policy of its own.
///
/// \code{.cpp}
/// kesp::RunRequest request;
/// request.source = kesp::InputText{text, "run.inp"};   // or kesp::CodeSettings{settings, {}}
/// request.switches.strict = true;
/// kesp::NoProgress quiet;
/// const kesp::RunOutcome outcome = kesp::runRequest(request, quiet);
/// if (outcome.refusal) { ... } else if (outcome.report) { ... }
/// \endcode

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "kesp/engine/engine.h"
#include "kesp/input/diagnostics.h"
#include "kesp/input/runSettings.h"
#include "kesp/input/runSwitches.h"
#include "kesp/report/inputText.h"
#include "kesp/report/jsonDocument.h"
#include "kesp/support/runError.h"
#include "kesp/survival/cellSurvival.h"

namespace kesp {

/// Settings made in code (or read earlier), as a request carries them.
struct CodeSettings {
    RunSettings settings;  ///< the settings of the run
    /// What a reader said of them when they were read from a file; when
    /// none, they are checked as settings made in code (kesp::checkSettings).
    std::optional<std::vector<Diagnostic>> readDiagnostics;
};

/// Whose words an outcome's messages are in: the kesp program's, the web
/// page's or a library caller's.
enum class OutcomeWording {
    program,  ///< the kesp program's, naming its switches ("/strict") and command line
    page,     ///< the web page's, as short as its messages are
    library   ///< a library caller's, naming the request's members ("strict") and settings
};

/// What a front end asks for.
struct RunRequest {
    std::variant<CodeSettings, InputText> source;  ///< the settings, or the text of an input file to read
    /// How the input text is read (/no2, /nq, /2006; settings ignore these)
    /// and, for either source, whether warnings refuse the run (/strict).
    RunSwitches switches;
    /// The caller's own warnings (kesp's command line): written by the
    /// caller, refused under strict like the input's.
    std::vector<std::string> callerWarnings;
    /// The threads for the cells in place of the settings' own, if given.
    std::optional<unsigned> threads;
    /// Asks for the JSON document, with what it says of its origin.
    std::optional<RunProvenance> provenance;
    OutcomeWording wording = OutcomeWording::program;  ///< whose words the outcome's messages are in
    /// Asks for the cell survival of the run (kesp::cellSurvival), in the
    /// outcome and in the JSON document's "survival" section.
    std::optional<SurvivalModel> survival;
};

/// What became of a request. Once an error or a refusal is set, nothing
/// after it is.
struct RunOutcome {
    std::vector<Diagnostic> diagnostics;  ///< of the input reader, or of the settings' checks
    std::optional<RunSettings> settings;  ///< as read (with the request's threads); none when unreadable
    std::optional<std::string> refusal;   ///< why strict refuses the run
    std::optional<RunError> error;        ///< what stopped the request (its kind, message and detail)
    std::optional<RunResults> results;    ///< once simulated
    double runningMinutes = 0.0;          ///< CPU minutes of the process from the run's start
    std::optional<std::string> report;    ///< the report text, when the run gives one
    std::optional<std::string> json;      ///< the JSON document, when asked for and there is a report
    std::string interruption;             ///< "Run interrupted after N of M cells" (a line), or empty
    std::optional<std::string> message;   ///< why there is no report (a run stopped too early)
    /// The cell survival asked for, once there is a report; or why the model
    /// could not give it (the report and the document stand all the same).
    std::optional<CellSurvival> survival;
    std::optional<RunError> survivalError;  ///< why the model could not give the cell survival asked for

    /// Whether the settings may be run: read, neither refused nor failed.
    bool mayRun() const { return settings && !refusal && !error; }
};

/// A request taken step by step, for a front end that shows each step as
/// it comes (kesp's console). runRequest and checkRequest take it whole.
class RequestRun {
public:
    /// Reads the input or checks the settings: the outcome's diagnostics,
    /// settings and refusal, or the error of the reading (with the
    /// diagnostics found until then).
    explicit RequestRun(RunRequest request);
    /// Ends the request and its run, if one was set up.
    ~RequestRun();
    /// Not copyable: a request owns its run.
    RequestRun(const RequestRun&) = delete;
    /// Not copyable: a request owns its run.
    RequestRun& operator=(const RequestRun&) = delete;

    /// What became of the request so far.
    const RunOutcome& outcome() const { return outcome_; }

    /// Asks for the JSON document as well (when the provenance is known only
    /// after the reading, as the input file's digest is to kesp).
    void requestJson(RunProvenance provenance) { request_.provenance = std::move(provenance); }

    /// The run of the settings, set up on first use. Throws RunError when
    /// the outcome does not allow a run (the outcome's error, or kind usage
    /// for a refused request), or the set-up fails.
    SimulationRun& simulation();

    /// Simulates the cells and forms the report, the JSON document and the
    /// messages. The running time counts from `startSeconds` on the process
    /// CPU clock (negative: from now). Throws the run's RunError.
    const RunOutcome& simulate(ProgressObserver& progress, const StopFlag& stop = neverStopped,
                               double startSeconds = -1.0);

private:
    void readSource();

    RunRequest request_;
    RunOutcome outcome_;
    std::unique_ptr<SimulationRun> run_;
};

/// The request read, checked and its run set up, without simulating: the
/// outcome's diagnostics, settings, refusal or error.
RunOutcome checkRequest(RunRequest request);

/// The whole request. Every error ends up in the outcome's error (one that
/// is not a RunError with kind internal), none is thrown.
RunOutcome runRequest(RunRequest request, ProgressObserver& progress, const StopFlag& stop = neverStopped);

}  // namespace kesp
