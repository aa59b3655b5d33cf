#include "driver/runSequence.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "driver/commandLine.h"
#include "driver/fileDigest.h"
#include "driver/progressDisplay.h"
#include "driver/reportFile.h"
#include "driver/usage.h"
#include "kesp/engine/engine.h"
#include "kesp/report/banner.h"
#include "kesp/report/damageSections.h"
#include "kesp/report/dosimetrySection.h"
#include "kesp/report/jsonDocument.h"
#include "kesp/report/mixedFieldTables.h"
#include "kesp/report/particleSection.h"
#include "kesp/report/runRequest.h"
#include "kesp/support/cpuClock.h"
#include "kesp/support/exitStatus.h"
#include "kesp/support/interrupts.h"
#include "kesp/support/lineWriter.h"
#include "kesp/support/numberFormat.h"
#include "kesp/support/processOutput.h"
#include "kesp/support/runError.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

// A message that ends the run: on the console, among the run's other lines,
// and on the standard error stream, which still shows it when the console is
// redirected.
void reportFailure(const std::string& message)
{
    std::cout << message << '\n';
    std::cout.flush();
    std::cerr << message << '\n';
}

// A name longer than the name field would be cut and could then name another
// file, or place the report where nobody expects it.
bool inputNameFits(std::span<const std::string_view> arguments)
{
    return arguments.empty() || trimmedLength(arguments[0]) <= fileNameLength;
}

// An input file named like its report ("run.out") would be replaced by it.
bool reportReplaces(const std::string& fileName, const std::string& reportName)
{
    std::error_code error;
    return !fileName.empty() && std::filesystem::equivalent(fileName, reportName, error);
}

// Reads the input named on the command line; nothing, with the reason on
// the console, when the run cannot go on (status is then the exit status).
// An error of the reading itself (a broken field file) is thrown.
std::unique_ptr<RequestRun> readNamedInput(const CommandLine& commandLine,
                                           std::span<const std::string> commandLineWarnings, int& status)
{
    const std::string& inputName = commandLine.inputFileName;
    const std::string& reportName = commandLine.reportFileName;
    status = exitFailure;
    if (reportReplaces(inputName, reportName)) {
        reportFailure("Input file " + inputName
                      + " would be replaced by the report of the same name; rename the input file");
        return nullptr;
    }
    InputText input;
    const InputFileAccess access = loadInputText(inputName, input);
    if (access != InputFileAccess::read) {
        reportFailure(inputAccessMessage(access, input));
        status = exitStatusFor(ErrorKind::input);
        return nullptr;
    }
    RunRequest request;
    request.source = std::move(input);
    request.switches = commandLine.switches;
    request.callerWarnings.assign(commandLineWarnings.begin(), commandLineWarnings.end());
    auto run = std::make_unique<RequestRun>(std::move(request));
    const RunOutcome& outcome = run->outcome();
    if (outcome.error) {
        throw *outcome.error;
    }
    if (reportReplaces(outcome.settings->field.fileName(), reportName)) {
        reportFailure("Field file " + outcome.settings->field.fileName()
                      + " would be replaced by the report of the same name; rename the field file");
        return nullptr;
    }
    return run;
}

// The sections the console shows before the simulation. When the physics
// of a mixed field's component fails, the rows before it are shown first; a
// stop while it is worked out shows nothing, and the run then ends before
// its first cell.
void writeConsoleSections(std::ostream& console, SimulationRun& run, const StopFlag& stop)
{
    const RunSettings& settings = run.settings();
    if (settings.field.singleParticle()) {
        writeDamageSection(console, run.damageYields(), settings.unrepairableBaseFraction);
        writeDmsoSection(console, settings);
        writeOxygenSection(console, settings, run.damageYields().repairProbability);
        const ParticlePhysics& physics = run.particlePhysics();
        writeDosimetrySection(console, physics, settings.nucleusDiameter);
        writeParticleSection(console, physics.particle);
        return;
    }
    try {
        const std::vector<ComponentRow>& rows = run.componentRows(stop);
        if (run.componentRowsComplete()) {
            writeMixedFieldSummary(console, settings.oxygenPercent, rows);
        }
    } catch (const RunError&) {
        writeMixedFieldSummaryRows(console, settings.oxygenPercent, run.completedRows());
        throw;
    }
}

std::string runningTime(double minutes, std::size_t width)
{
    return numberField(minutes, "F3", width);
}

// The JSON document that /json asks for beside the report.
struct JsonOutput {
    JsonOutput(const std::string& name, RunProvenance what) : file(name, "JSON file"), provenance(std::move(what)) {}

    ReportFile file;
    RunProvenance provenance;
};

// Writes the report and, when asked for, the JSON document: both in full
// under their temporary names before either is renamed into place, so that
// a failure to write leaves both of the run before as they were. The old
// document is then removed before the report is renamed into place and the
// new one after it: a kill between the steps leaves the old report alone or
// the new report alone, never a report beside a document of another run.
// False (with the reason on the standard error stream) when they cannot be
// written.
bool writeReportFiles(ReportFile& reportFile, std::optional<JsonOutput>& json, const RunOutcome& outcome)
{
    std::string message;
    bool written = reportFile.write(*outcome.report, message);
    if (written && json) {
        written = json->file.write(*outcome.json, message) && json->file.removePrevious(message);
    }
    written = written && reportFile.publish(message) && (!json || json->file.publish(message));
    if (!written) {
        std::cerr << message << '\n';
    }
    return written;
}

// Whether the JSON document would replace the input or the field file
// (with the reason on the console when it would).
bool jsonReplacesAFile(const std::string& jsonName, const std::string& inputName, const std::string& fieldFileName)
{
    const std::string why = " would be replaced by the JSON document of the same name; rename the ";
    if (reportReplaces(inputName, jsonName)) {
        reportFailure("Input file " + inputName + why + "input file");
        return true;
    }
    if (reportReplaces(fieldFileName, jsonName)) {
        reportFailure("Field file " + fieldFileName + why + "field file");
        return true;
    }
    return false;
}

// With /json: takes the digest of the input just read and reserves the
// JSON document's place beside the report, before any work is done. False,
// with the reason said as for the report, when the run cannot go on.
bool prepareJson(std::optional<JsonOutput>& json, std::span<const std::string> switches,
                 const CommandLine& commandLine, const RunSettings& settings, const ReportFile& reportFile)
{
    if (std::find(switches.begin(), switches.end(), jsonSwitch) == switches.end()) {
        return true;
    }
    const std::string& inputName = commandLine.inputFileName;
    const std::string jsonName = jsonNameFor(commandLine.reportFileName);
    if (jsonReplacesAFile(jsonName, inputName, settings.field.fileName())) {
        return false;
    }
    const std::optional<std::string> digest = fileSha256(inputName);
    if (!digest) {
        reportFailure("Input file " + inputName + " cannot be read again for its SHA-256");
        return false;
    }
    json.emplace(jsonName, RunProvenance{std::string(programTitle), std::string(buildRevision()), inputName,
                                         *digest, std::vector<std::string>(switches.begin(), switches.end())});
    // Through a link the two names can be one file, which would then hold
    // the document in place of the report.
    if (json->file.sameFileAs(reportFile)) {
        reportFailure("The JSON document " + jsonName + " and the report " + commandLine.reportFileName
                      + " are the same file (through a link); remove the link or rename the input file");
        return false;
    }
    std::string problem;
    if (!json->file.reserve(problem)) {
        std::cerr << problem << '\n';
        return false;
    }
    return true;
}

// The run from the input to the report; the exit status.
int runInput(const CommandLine& commandLine, std::span<const std::string> commandLineWarnings,
             std::span<const std::string> switches, double startSeconds, const InterruptCatcher& interrupts)
{
    int status = 0;
    const std::unique_ptr<RequestRun> request = readNamedInput(commandLine, commandLineWarnings, status);
    if (!request) {
        return status;
    }
    const RunOutcome& outcome = request->outcome();
    for (const Diagnostic& diagnostic : outcome.diagnostics) {
        std::cerr << formatDiagnostic(diagnostic) << '\n';
    }
    if (outcome.refusal) {
        reportFailure(*outcome.refusal);
        return exitRefused;
    }
    // A report that cannot be created stops the run before any work is done.
    ReportFile reportFile(commandLine.reportFileName);
    std::string reportProblem;
    if (!reportFile.reserve(reportProblem)) {
        std::cerr << reportProblem << '\n';
        return exitFailure;
    }
    std::optional<JsonOutput> json;
    if (!prepareJson(json, switches, commandLine, *outcome.settings, reportFile)) {
        return exitFailure;
    }
    if (json) {
        request->requestJson(json->provenance);
    }
    writeConsoleSections(std::cout, request->simulation(), interrupts.stopFlag());
    ConsoleProgress progress(std::cout);
    request->simulate(progress, interrupts.stopFlag(), startSeconds);
    if (outcome.results->interrupted && outcome.results->cellsSimulated == 0) {
        reportFailure(*outcome.message);
        return interrupts.exitStatus();
    }
    writeLine(std::cout, RecordForm::plain, "Running time =" + runningTime(outcome.runningMinutes, 10) + " min");
    std::cout << outcome.interruption;
    std::cerr << outcome.interruption;
    if (!outcome.report) {
        reportFailure(*outcome.message);
        return interrupts.exitStatus();
    }
    if (!writeReportFiles(reportFile, json, outcome)) {
        return exitFailure;
    }
    if (outcome.results->interrupted) {
        return interrupts.exitStatus();
    }
    std::cout << "END KESP\n";
    return 0;
}

// The run from the arguments to the stop text; the exit status.
int runArguments(std::span<const std::string_view> arguments)
{
    const double startSeconds = cpuSeconds();
    switch (requestedInformation(arguments)) {
        case InformationRequest::usage:
            writeUsage(std::cout);
            return 0;
        case InformationRequest::version:
            writeVersion(std::cout);
            return 0;
        case InformationRequest::none:
            break;
    }
    // From here on the first SIGINT or SIGTERM ends the run after its
    // current cell, with the report of the cells done.
    const InterruptCatcher interrupts;
    writeBanner(std::cout);
    if (!inputNameFits(arguments)) {
        reportFailure("Input file name is longer than " + std::to_string(fileNameLength)
                      + " characters: " + std::string(arguments[0]));
        return exitFailure;
    }
    CommandLine commandLine;
    const std::vector<std::string> commandLineWarnings = readCommandLine(arguments, commandLine);
    for (const std::string& warning : commandLineWarnings) {
        std::cerr << warning << '\n';
    }
    const std::vector<std::string> switches = givenSwitches(arguments);
    try {
        return runInput(commandLine, commandLineWarnings, switches, startSeconds, interrupts);
    } catch (const RunError& error) {
        reportFailure(error.what());
        if (!error.detail().empty()) {
            std::cerr << error.detail() << '\n';
        }
        return exitStatusFor(error.kind());
    }
}

}  // namespace

// A console that could not be written in full (a pipe its reader closed, a
// full device) fails the run even when the report is complete: what the
// console lacks may be the message that says why the run stopped, or the
// "END KESP" that tells a script the run succeeded.
int runKesp(std::span<const std::string_view> arguments)
{
    const int status = runArguments(arguments);
    if (consoleWritten()) {
        return status;
    }
    std::cerr << "The console (standard output) could not be written in full\n";
    return status == 0 ? exitFailure : status;
}

}  // namespace kesp
