#include "driver/runSequence.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include <optional>

#include "kesp/engine/engine.h"
#include "driver/progressDisplay.h"
#include "kesp/report/banner.h"
#include "driver/commandLine.h"
#include "driver/fileDigest.h"
#include "kesp/support/interrupts.h"
#include "kesp/support/processOutput.h"
#include "driver/reportFile.h"
#include "driver/usage.h"
#include "kesp/report/damageSections.h"
#include "kesp/report/dosimetrySection.h"
#include "kesp/report/jsonDocument.h"
#include "kesp/report/mixedFieldTables.h"
#include "kesp/report/particleSection.h"
#include "kesp/report/reportDriver.h"
#include "kesp/report/reportText.h"
#include "kesp/support/cpuClock.h"
#include "kesp/support/exitStatus.h"
#include "kesp/support/lineWriter.h"
#include "kesp/support/numberFormat.h"
#include "kesp/support/runError.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

enum class InputAccess { read, missing, notReadable };

// A message that ends the run: on the console, among the run's other lines,
// and on the standard error stream, which still shows it when the console is
// redirected.
void reportFailure(const std::string& message)
{
    std::cout << message << '\n';
    std::cout.flush();
    std::cerr << message << '\n';
}

// Reads the input file. A name that names nothing is missing. Anything but a
// regular file that can be opened is not readable: the reader rewinds the file
// for every block, which a pipe cannot do, and a device such as /dev/zero
// would never end its first line.
InputAccess readInputFile(const RunSwitches& switches, const std::string& name, RunSettings& settings,
                          InputDiagnostics& diagnostics)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(name, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return InputAccess::missing;
    }
    if (!std::filesystem::is_regular_file(status)) {
        return InputAccess::notReadable;
    }
    std::ifstream input(name);
    if (!input) {
        return InputAccess::notReadable;
    }
    settings = readInput(input, switches, name, &diagnostics);
    return InputAccess::read;
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

// Reads the input named on the command line; nothing, with the reason on the
// console, when the run cannot go on; status is then the exit status.
std::optional<RunSettings> readNamedInput(const CommandLine& commandLine, int& status,
                                          InputDiagnostics& diagnostics)
{
    const std::string& inputName = commandLine.inputFileName;
    const std::string& reportName = commandLine.reportFileName;
    if (reportReplaces(inputName, reportName)) {
        reportFailure("Input file " + inputName
                      + " would be replaced by the report of the same name; rename the input file");
        status = exitFailure;
        return std::nullopt;
    }
    RunSettings settings;
    switch (readInputFile(commandLine.switches, inputName, settings, diagnostics)) {
        case InputAccess::read:
            if (reportReplaces(settings.field.fileName(), reportName)) {
                reportFailure("Field file " + settings.field.fileName()
                              + " would be replaced by the report of the same name; rename the field file");
                status = exitFailure;
                return std::nullopt;
            }
            return settings;
        case InputAccess::missing:
            reportFailure("Input file " + inputName + " is not found");
            status = exitFailure;
            return std::nullopt;
        case InputAccess::notReadable:
            reportFailure("Input file " + inputName + " is not a readable file");
            status = exitFailure;
            return std::nullopt;
    }
    return std::nullopt;
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
// a failure to write leaves both of the run before as they were. False
// (with the reason on the standard error stream) when they cannot be written.
bool writeReportFiles(ReportFile& reportFile, std::optional<JsonOutput>& json, double minutes,
                      const RunSettings& settings, const RunResults& results)
{
    std::string message;
    bool written = reportFile.write(reportText(settings, results, minutes), message);
    if (written && json) {
        written = json->file.write(jsonDocument(settings, results, json->provenance), message);
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
                 const CommandLine& commandLine, const RunSettings& settings)
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
    std::string problem;
    if (!json->file.reserve(problem)) {
        std::cerr << problem << '\n';
        return false;
    }
    return true;
}

// Why a mixed field stopped early gets no report: its components are
// simulated one after the other, so the cells done are not a sample of the
// field, and tables of them would pass for the field's yields.
std::string partialFieldMessage(const RunResults& results)
{
    const auto withCells = std::count_if(results.componentCells.begin(), results.componentCells.end(),
                                         [](std::int32_t cells) { return cells > 0; });
    return "No report is written: a mixed field is simulated component by component, so the cells done (of "
           + std::to_string(withCells) + " of its " + std::to_string(results.componentCells.size())
           + " components) are not a sample of the field; an earlier report is left as it was";
}

// Why "/strict" refuses a run, or nothing when it does not.
std::optional<std::string> strictRefusal(const RunSwitches& switches,
                                         std::span<const std::string> commandLineWarnings,
                                         const InputDiagnostics& diagnostics)
{
    const bool commandLineWarned = !commandLineWarnings.empty();
    const bool inputWarned = diagnostics.hasWarnings();
    if (!switches.strict || (!commandLineWarned && !inputWarned)) {
        return std::nullopt;
    }
    const std::string where = !commandLineWarned ? "the input holds"
                              : inputWarned      ? "the command line and the input hold"
                                                 : "the command line holds";
    return "Run refused: /strict is given and " + where + " warnings (on the standard error stream)";
}

// The run from the input to the report; the exit status.
int runInput(const CommandLine& commandLine, std::span<const std::string> commandLineWarnings,
             std::span<const std::string> switches, double startSeconds, const InterruptCatcher& interrupts)
{
    int status = 0;
    InputDiagnostics diagnostics{commandLine.inputFileName};
    const std::optional<RunSettings> settings = readNamedInput(commandLine, status, diagnostics);
    if (!settings) {
        return status;
    }
    for (const Diagnostic& diagnostic : diagnostics.list()) {
        std::cerr << formatDiagnostic(diagnostic) << '\n';
    }
    if (const std::optional<std::string> refusal =
            strictRefusal(commandLine.switches, commandLineWarnings, diagnostics)) {
        reportFailure(*refusal);
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
    if (!prepareJson(json, switches, commandLine, *settings)) {
        return exitFailure;
    }
    SimulationRun run(*settings);
    writeConsoleSections(std::cout, run, interrupts.stopFlag());
    ConsoleProgress progress(std::cout);
    const RunResults results = run.simulate(progress, interrupts.stopFlag());
    if (results.interrupted && results.cellsSimulated == 0) {
        reportFailure("Run interrupted before its first cell; no report is written");
        return interrupts.exitStatus();
    }

    const double minutes = (cpuSeconds() - startSeconds) / 60.0;
    writeLine(std::cout, RecordForm::plain, "Running time =" + runningTime(minutes, 10) + " min");
    writeInterruption(std::cout, results);
    writeInterruption(std::cerr, results);
    if (!results.statisticsDescribeTheRadiation()) {
        reportFailure(partialFieldMessage(results));
        return interrupts.exitStatus();
    }
    if (!writeReportFiles(reportFile, json, minutes, *settings, results)) {
        return exitFailure;
    }
    if (results.interrupted) {
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
