#include "scan/scanProgram.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <numeric>
#include <optional>
#include <string>
#include <system_error>

#include <CLI/CLI.hpp>

#include "scan/scanFile.h"
#include "scan/scanPlan.h"
#include "scan/scanRunner.h"
#include "scan/scanTable.h"
#include "support/runError.h"

namespace kesp {

namespace {

constexpr const char* scanVersion = KESP_SCAN_VERSION;

struct ScanRequest {
    std::string scanFile;
    std::string output;      // empty: named after the scan file
    std::string emitFolder;  // empty: run the scan
    unsigned jobs = 0;       // 0: the CPUs of the affinity mask
    bool physicsOnly = false;
    bool lenient = false;
};

std::string versionText()
{
    return std::string("kesp-scan ") + scanVersion + "\nrevision: " + KESP_GIT_REVISION
           + "\ncompiler: " + KESP_COMPILER;
}

void describeCommandLine(CLI::App& app, ScanRequest& request)
{
    app.description(
        "Runs a scan: every combination of the input items a YAML scan file varies, each one exactly the kesp run of "
        "its equivalent input file, and writes one CSV row per configuration, in scan order.");
    app.add_option("scan-file", request.scanFile, "The scan file (YAML)")->required();
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
    app.set_version_flag("--version", versionText());
    app.footer(
        "Exit status: 0 done; 1 a run stopped or the table could not be written (the rows before it are kept); "
        "2 refused before anything ran (the command line, the scan file, or configurations whose input draws "
        "warnings).");
}

std::filesystem::path tablePath(const ScanRequest& request)
{
    if (!request.output.empty()) {
        return request.output;
    }
    std::filesystem::path path(request.scanFile);
    return path.replace_extension(".csv");
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

int runTable(const ScanPlan& plan, const ScanRequest& request)
{
    const std::filesystem::path table = tablePath(request);
    refuseOverwriting(plan, table);
    const ScanMode mode = request.physicsOnly ? ScanMode::physicsOnly : ScanMode::simulation;
    const std::vector<std::string> columns = tableColumns(plan.scan, mode);
    std::ofstream out(table, std::ios::out | std::ios::trunc);
    const auto requireWritten = [&out, &table] {
        if (!out.flush()) {
            stopRun("The table " + table.string() + " cannot be written");
        }
    };
    out << tableComment(scanVersion, plan.scan.path.filename().string(), fingerprintOf(plan, columns),
                        plan.scan.title)
        << csvLine(columns);
    requireWritten();

    const ScanRunOptions options{request.jobs > 0 ? request.jobs : affinityCpuCount(), mode};
    std::cout << "kesp-scan: " << plan.scan.path.string() << ": " << runCount(plan, mode == ScanMode::simulation)
              << ", " << options.jobs << " at a time" << (request.physicsOnly ? ", physics only" : "") << '\n';
    std::cout.flush();
    std::vector<std::size_t> rows(plan.configurations);
    std::iota(rows.begin(), rows.end(), std::size_t{0});
    std::size_t written = 0;
    runConfigurations(plan, rows, options, [&](std::size_t, const std::string& line) {
        out << line;
        requireWritten();
        ++written;
    });
    out.close();
    if (!out) {
        stopRun("The table " + table.string() + " cannot be written");
    }
    std::cout << "kesp-scan: " << table.string() << ": " << written << (written == 1 ? " row" : " rows") << '\n';
    return 0;
}

}  // namespace

int runScanProgram(int argc, char** argv)
{
    CLI::App app("kesp-scan", "kesp-scan");
    ScanRequest request;
    describeCommandLine(app, request);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0) {
            return app.exit(error);
        }
        std::cerr << "kesp-scan: " << error.what() << "\nRun kesp-scan --help for the usage.\n";
        return exitRefused;
    }
    try {
        const Leniency leniency = request.lenient ? Leniency::lenient : Leniency::strict;
        const ScanPlan plan = planScan(readScanFile(request.scanFile), leniency);
        for (const std::string& warning : plan.warnings) {
            std::cerr << "kesp-scan: --lenient: " << warning << '\n';
        }
        if (!request.emitFolder.empty()) {
            return emit(plan, request.emitFolder);
        }
        return runTable(plan, request);
    } catch (const ScanRefused& refusal) {
        std::cerr << refusal.what() << '\n';
        return exitRefused;
    } catch (const RunError& error) {
        std::cerr << "kesp-scan: " << error.what() << '\n';
        return error.exitStatus();
    }
}

}  // namespace kesp
