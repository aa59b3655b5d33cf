#include "scan/scanProgram.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <new>
#include <set>
#include <optional>
#include <string>
#include <system_error>

#include <CLI/CLI.hpp>

#include "scan/scanFile.h"
#include "kesp/report/scanPairing.h"
#include "kesp/report/scanPlan.h"
#include "scan/emittedInputs.h"
#include "scan/scanProgress.h"
#include "scan/scanRunner.h"
#include "kesp/report/scanTable.h"
#include "scan/shard.h"
#include "scan/tableFile.h"
#include "scan/tableHeading.h"
#include "scan/tableMerge.h"
#include "scan/tableRow.h"
#include "kesp/support/cpuAffinity.h"
#include "kesp/support/exitStatus.h"
#include "kesp/support/interrupts.h"
#include "kesp/support/processOutput.h"
#include "kesp/support/runError.h"

namespace kesp {

namespace {

constexpr const char* scanVersion = KESP_SCAN_VERSION;

// An interrupted scan ends with this status, after SIGINT and SIGTERM alike.
constexpr int exitInterrupted = 130;

struct ScanRequest {
    std::string scanFile;
    std::string output;      // empty: named after the scan file
    std::string emitFolder;  // empty: run the scan
    unsigned jobs = 0;       // 0: the CPUs of the affinity mask
    std::optional<Shard> shard;
    bool physicsOnly = false;
    bool lenient = false;
    bool check = false;      // --check: check everything, run nothing
};

struct MergeRequest {
    std::string output;
    std::vector<std::string> parts;
    std::string scanFile;  // empty: the rows are checked against one another only
};

std::string versionText()
{
    return std::string("kesp-scan ") + scanVersion + "\nrevision: " + KESP_GIT_REVISION
           + "\ncompiler: " + KESP_COMPILER;
}

// The usage line names both forms of the command.
class UsageFormatter final : public CLI::Formatter {
public:
    std::string make_usage(const CLI::App* app, std::string name) const override
    {
        if (app->get_parent() != nullptr) {
            return CLI::Formatter::make_usage(app, std::move(name));
        }
        return "Usage: kesp-scan [OPTIONS] scan-file\n       kesp-scan merge OUT.csv PART.csv...\n";
    }
};

void describeShardOption(CLI::App& app, ScanRequest& request)
{
    app.add_option_function<std::string>(
           "--shard",
           [&request](const std::string& text) {
               request.shard = shardOf(text);
               if (!request.shard) {
                   throw CLI::ValidationError("--shard", "give I/N, part I of N with 1 <= I <= N <= "
                                                             + std::to_string(maxConfigurations) + ", as 3/8");
               }
           },
           "Run only part I of N of the scan (configurations I, I+N, I+2N, ...) into a table of its own "
           "(default: the scan's table name with .shard-I-of-N before .csv); join the parts with merge")
        ->type_name("I/N");
}

void describeCheckOption(CLI::App& app, ScanRequest& request)
{
    app.add_flag("--check", request.check,
                 "Check everything a run with the same options would check (the scan file, the input of every "
                 "configuration, field files, the table's name, --shard, the --emit-inputs folder), print "
                 "\"SCAN: N configurations, M reference runs\" and run nothing, write nothing");
}

CLI::App* describeCommandLine(CLI::App& app, ScanRequest& request, MergeRequest& merge)
{
    app.description(
        "Runs a scan: every combination of the input items a YAML scan file varies, each one exactly the kesp run of "
        "its equivalent input file, and writes one CSV row per configuration, in scan order. Each row is on the disk "
        "as soon as it is done; running the same command again after an interruption resumes the table.");
    app.formatter(std::make_shared<UsageFormatter>());
    app.add_option("scan-file", request.scanFile, "The scan file (YAML)");
    app.add_option("-o,--output", request.output,
                   "The CSV table (default: the scan file's name with .csv, in its folder)");
    app.add_option("-j,--jobs", request.jobs,
                   "Configurations run at once (default: the CPUs this process may run on)")
        ->check(CLI::Range(1U, 4096U));
    app.add_option("--emit-inputs", request.emitFolder,
                   "Write the input file of every configuration (and reference run) into this folder, with "
                   "copies of the field files, and nothing else");
    app.add_flag("--physics-only", request.physicsOnly,
                 "Skip the simulation: only the physics and damage-model columns");
    app.add_flag("--lenient", request.lenient,
                 "Run configurations whose input draws warnings from kesp as kesp would run them");
    describeShardOption(app, request);
    describeCheckOption(app, request);
    app.set_version_flag("--version", versionText());
    app.footer(
        "Exit status: 0 done; 1 a run stopped or the table could not be written (the rows before it are kept); "
        "2 refused before anything ran (the command line, the scan file, configurations whose input draws "
        "warnings, a table begun by another scan); 130 interrupted by Ctrl-C or SIGTERM (the finished rows are "
        "kept: run the same command again to resume).");
    CLI::App* mergeCommand = app.add_subcommand(
        "merge", "Join the tables of all N parts of a scan (made with --shard I/N) into the scan's table, as one "
                 "kesp-scan run writes it");
    mergeCommand->add_option("out", merge.output, "The table to write")->required();
    mergeCommand->add_option("parts", merge.parts, "The tables of the parts, in any order")->required();
    mergeCommand->add_option("--scan", merge.scanFile,
                             "The scan file of the parts: they must be of this scan as it is, and every row must "
                             "hold its own configuration");
    return mergeCommand;
}

std::filesystem::path tablePath(const ScanRequest& request)
{
    if (!request.output.empty()) {
        return request.output;
    }
    std::filesystem::path path(request.scanFile);
    path.replace_extension(".csv");
    return request.shard ? shardTablePath(path, *request.shard) : path;
}

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

// The table would replace the scan file or a field file.
void refuseOverwriting(const ScanPlan& plan, const std::filesystem::path& table)
{
    if (sameFile(table, plan.scan.path)) {
        throw ScanRefused(table.string() + ": the table would replace the scan file; name it with -o");
    }
    for (const auto& [fieldFile, name] : plan.emittedFieldFiles) {
        if (sameFile(table, fieldFile)) {
            throw ScanRefused(table.string() + ": the table would replace a field file; name it with -o");
        }
    }
}

std::string runCount(const ScanPlan& plan, bool withReferences)
{
    std::string text = std::to_string(plan.configurations)
                       + (plan.configurations == 1 ? " configuration" : " configurations");
    if (withReferences && !plan.references.empty()) {
        text += " and " + std::to_string(plan.references.size())
                + (plan.references.size() == 1 ? " reference run" : " reference runs");
    }
    return text;
}

int emit(const ScanPlan& plan, const std::filesystem::path& folder)
{
    const std::size_t written = emitInputs(plan, folder);
    const std::string switches = switchText(plan.scan);
    std::cout << "kesp-scan: " << written << " input files written to " << folder.string() << " ("
              << runCount(plan, true) << "); run each there as kesp " << inputFileNameOf(plan, plan.row(0))
              << (switches.empty() ? "" : " " + switches) << '\n';
    return 0;
}

std::string tableHeading(const ScanPlan& plan, const ScanRequest& request, const std::vector<std::string>& columns)
{
    TableHeading heading{scanVersion, plan.scan.path.filename().string(), fingerprintOf(plan, columns),
                         plan.configurations, 0, 0, plan.scan.title};
    if (request.shard) {
        heading.shardIndex = request.shard->index;
        heading.shardCount = request.shard->count;
    }
    return tableComment(heading) + csvLine(columns);
}

// The cells the runs still to do will simulate, references included.
std::int64_t cellsToSimulate(const ScanPlan& plan, const std::vector<std::size_t>& rows, const RowsDone& done,
                             ScanMode mode)
{
    if (mode == ScanMode::physicsOnly) {
        return 0;
    }
    std::int64_t cells = 0;
    std::set<std::size_t> references;
    for (std::size_t position = 0; position < rows.size(); ++position) {
        if (!done.contains(position)) {
            cells += settingsOf(plan, plan.row(rows[position])).cells;
        }
        const RowPairing pairing = rowPairing(plan, rows[position], mode);
        if (pairing.rbeColumns) {
            references.insert(pairing.reference);
        }
        if (pairing.survivalColumns) {
            references.insert(pairing.cellReference);
        }
    }
    for (const std::size_t reference : references) {
        cells += settingsOf(plan, plan.referenceRun(reference)).cells;
    }
    for (const std::size_t partner : partnerRuns(plan, rows, mode)) {
        cells += settingsOf(plan, plan.row(partner)).cells;
    }
    return cells;
}

std::string rowCount(std::size_t rows)
{
    return std::to_string(rows) + (rows == 1 ? " row" : " rows");
}

// Runs the rows the table still needs; a first Ctrl-C or SIGTERM starts no
// further run and ends the scan once the runs under way are written.
int runRemainingRows(const ScanPlan& plan, TableFile& file, const std::vector<std::size_t>& rows,
                     const RowsDone& done, ScanRunOptions options, const InterruptCatcher& interrupts)
{
    const std::size_t written = file.rowsWritten();
    const std::size_t total = written + rows.size();
    {
        ScanProgress progress(std::cout, consoleProgressStyle(), total, written + done.size(),
                              cellsToSimulate(plan, rows, done, options.mode));
        options.stop = &interrupts.stopFlag();
        options.activity = &progress;
        runConfigurations(
            plan, rows, options, [&file](std::size_t, const std::string& line) { file.writeRow(line); }, done,
            [&file, written](std::size_t position, const PendingRow& row) { file.holdRow(written + position, row); });
    }
    if (file.rowsWritten() < total) {
        std::error_code error;
        const bool held = std::filesystem::exists(file.pendingPath(), error);
        std::cerr << "kesp-scan: interrupted: " << file.path().string() << " holds " << file.rowsWritten() << " of "
                  << rowCount(total)
                  << (held ? " (rows done before their turn are kept in " + file.pendingPath().string() + ")" : "")
                  << "; run the same command again to resume\n";
        return exitInterrupted;
    }
    file.finish();
    std::cout << "kesp-scan: " << file.path().string() << ": " << rowCount(total) << '\n';
    return 0;
}

int mergeParts(const MergeRequest& merge)
{
    const std::vector<std::filesystem::path> parts(merge.parts.begin(), merge.parts.end());
    // Nothing runs, so what kesp would warn about does not matter here.
    const std::size_t rows = merge.scanFile.empty()
                                 ? mergeTables(merge.output, parts)
                                 : mergeTables(merge.output, parts,
                                               planScan(readScanFile(merge.scanFile), Leniency::lenient));
    std::cout << "kesp-scan: " << merge.output << ": " << rowCount(rows) << " from " << parts.size()
              << (parts.size() == 1 ? " part" : " parts") << '\n';
    return 0;
}

int runTable(const ScanPlan& plan, const ScanRequest& request)
{
    const std::filesystem::path table = tablePath(request);
    refuseOverwriting(plan, table);
    const ScanMode mode = request.physicsOnly ? ScanMode::physicsOnly : ScanMode::simulation;
    const std::vector<std::size_t> tableRows = rowsOf(request.shard, plan.configurations);
    // Caught from before the table is opened, so that once the table has its
    // heading a signal always ends the scan in order.
    const InterruptCatcher interrupts;
    TableFile file(table, tableHeading(plan, request, tableColumns(plan.scan, mode)), tableRows.size(),
                   tableRowLayout(plan.scan, mode, tableRows));
    const std::size_t written = file.rowsWritten();
    const std::vector<std::size_t> rows(tableRows.begin() + static_cast<std::ptrdiff_t>(written), tableRows.end());
    RowsDone done;
    for (const auto& [position, row] : file.rowsAhead()) {
        done.emplace(position - written, row);
    }

    const ScanRunOptions options{request.jobs > 0 ? request.jobs : affinityCpuCount(), mode};
    std::cout << "kesp-scan: " << plan.scan.path.string() << ": " << runCount(plan, mode == ScanMode::simulation)
              << (request.shard ? ", part " + std::to_string(request.shard->index) + " of "
                                      + std::to_string(request.shard->count) + " (" + rowCount(tableRows.size()) + ")"
                                : std::string())
              << ", " << options.jobs << " at a time" << (request.physicsOnly ? ", physics only" : "") << '\n';
    if (written + done.size() > 0) {
        std::cout << "kesp-scan: " << table.string() << ": resuming: " << rowCount(written + done.size())
                  << " of " << tableRows.size() << " already done\n";
    }
    std::cout.flush();
    return runRemainingRows(plan, file, rows, done, options, interrupts);
}

// Too few cells for standard errors refuse the scan, unless --lenient lets
// them through (and /strict is not among its switches): then they are
// returned, to be said as warnings. A physics-only scan simulates no cells.
std::vector<std::string> checkCellCounts(const ScanDefinition& scan, const ScanRequest& request)
{
    std::vector<std::string> problems = request.physicsOnly ? std::vector<std::string>() : fewCellProblems(scan);
    if (problems.empty() || (request.lenient && !scan.runSwitches.strict)) {
        return problems;
    }
    std::string message;
    for (const std::string& problem : problems) {
        message += (message.empty() ? "" : "\n") + problem;
    }
    throw ScanRefused(message + (scan.runSwitches.strict ? "" : "\n(--lenient runs the scan as written)"));
}

// The scan file read and checked and its runs planned; what --lenient lets
// through is said on the error stream.
ScanPlan planRequest(const ScanRequest& request)
{
    ScanDefinition scan = readScanFile(request.scanFile);
    const std::vector<std::string> cellWarnings = checkCellCounts(scan, request);
    const ScanPlan plan = planScan(std::move(scan), request.lenient ? Leniency::lenient : Leniency::strict);
    for (const std::vector<std::string>* warnings : {&cellWarnings, &plan.warnings}) {
        for (const std::string& warning : *warnings) {
            std::cerr << "kesp-scan: --lenient: " << warning << '\n';
        }
    }
    return plan;
}

std::string counted(std::size_t count, const std::string& what)
{
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

// --check: what a run with these options checks before it runs anything,
// then the number of runs; nothing runs and nothing is written.
int checkOnly(const ScanPlan& plan, const ScanRequest& request)
{
    if (!request.emitFolder.empty()) {
        checkEmitFolder(plan, request.emitFolder);
    } else {
        refuseOverwriting(plan, tablePath(request));
    }
    const std::size_t references = request.physicsOnly ? 0 : plan.references.size();
    std::cout << request.scanFile << ": " << counted(plan.configurations, "configuration") << ", "
              << counted(references, "reference run");
    if (request.shard) {
        std::cout << ", part " << request.shard->index << " of " << request.shard->count << ": "
                  << counted(rowsOf(request.shard, plan.configurations).size(), "configuration");
    }
    std::cout << '\n';
    return 0;
}

int runScanRequest(const ScanRequest& request)
{
    const ScanPlan plan = planRequest(request);
    if (request.check) {
        return checkOnly(plan, request);
    }
    if (!request.emitFolder.empty()) {
        return emit(plan, request.emitFolder);
    }
    return runTable(plan, request);
}

}  // namespace

int runScanProgram(int argc, char** argv)
{
    prepareProcessOutput();
    CLI::App app("kesp-scan", "kesp-scan");
    ScanRequest request;
    MergeRequest merge;
    const CLI::App* mergeCommand = describeCommandLine(app, request, merge);
    try {
        app.parse(argc, argv);
        if (!mergeCommand->parsed() && request.scanFile.empty()) {
            throw CLI::RequiredError("scan-file");
        }
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0) {
            return app.exit(error);
        }
        std::cerr << "kesp-scan: " << error.what() << "\nRun kesp-scan --help for the usage.\n";
        return exitRefused;
    }
    try {
        if (mergeCommand->parsed()) {
            return mergeParts(merge);
        }
        return runScanRequest(request);
    } catch (const ScanRefused& refusal) {
        std::cerr << refusal.what() << '\n';
        return exitRefused;
    } catch (const RunError& error) {
        std::cerr << "kesp-scan: " << error.what() << '\n';
        return exitStatusFor(error.kind());
    } catch (const std::bad_alloc&) {
        std::cerr << "kesp-scan: out of memory\n";
        return exitFailure;
    } catch (const std::exception& error) {
        std::cerr << "kesp-scan: " << error.what() << '\n';
        return exitFailure;
    }
}

}  // namespace kesp
