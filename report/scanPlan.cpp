#include "kesp/report/scanPlan.h"

#include <algorithm>
#include <iterator>
#include <sstream>
#include <system_error>

#include "kesp/input/blockLine.h"
#include "kesp/input/inputReader.h"
#include "kesp/report/scanSurvival.h"
#include "kesp/report/scanText.h"
#include "kesp/support/contract.h"
#include "kesp/support/runError.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

std::string paddedNumber(std::size_t number, std::size_t count)
{
    const std::size_t width = std::max<std::size_t>(3, std::to_string(count).size());
    const std::string digits = std::to_string(number);
    return std::string(width > digits.size() ? width - digits.size() : 0, '0') + digits;
}

std::string scanStem(const ScanDefinition& scan)
{
    return scan.path.stem().string();
}

std::vector<ScanValue> fieldFileValues(const ScanDefinition& scan)
{
    std::vector<ScanValue> values;
    const auto take = [&values](const ScanSetting& setting) {
        if (setting.item->value == ItemValue::fieldFile) {
            values.push_back(setting.value);
        }
    };
    for (const ScanAxis& axis : scan.vary) {
        for (const ScanValue& value : axis.values) {
            take({axis.item, value});
        }
    }
    for (const ScanSetting& setting : scan.fixed) {
        take(setting);
    }
    for (const ScanSetting& setting : scan.reference) {
        take(setting);
    }
    return values;
}

// How this process names a field file on an input line: its absolute path,
// or else its path from the working directory.
void nameFieldFilesForThisProcess(ScanPlan& plan)
{
    for (const ScanValue& value : fieldFileValues(plan.scan)) {
        if (plan.processFieldFiles.contains(value.fieldFile)) {
            continue;
        }
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(value.fieldFile, error).lexically_normal();
        const std::filesystem::path relative = absolute.lexically_proximate(std::filesystem::current_path(error));
        const std::string name = fitsInputItem(absolute.string()) ? absolute.string() : relative.string();
        if (!fitsInputItem(name)) {
            throw ScanRefused(plan.scan.path.string() + ":" + std::to_string(value.line) + ": FN: the path "
                              + quotedText(absolute.string())
                              + " holds a blank, comma, colon, semicolon, quote, bracket or \"!\", which an input"
                                " line cannot carry; move the field file, or run kesp-scan in its folder");
        }
        plan.processFieldFiles.emplace(value.fieldFile, name);
    }
}

// The copies next to the emitted input files keep the field files' names;
// a name that two files share, or that an input file of the scan could
// have, is numbered.
void nameEmittedFieldFiles(ScanPlan& plan)
{
    const std::string inputPrefix = scanStem(plan.scan) + "-";
    std::vector<std::string> taken;
    for (const ScanValue& value : fieldFileValues(plan.scan)) {
        if (plan.emittedFieldFiles.contains(value.fieldFile)) {
            continue;
        }
        const std::filesystem::path original = value.fieldFile.filename();
        std::string name = original.string();
        for (int k = 2; std::find(taken.begin(), taken.end(), name) != taken.end() || name.starts_with(inputPrefix);
             ++k) {
            name = "field" + std::to_string(k) + "-" + original.string();
        }
        taken.push_back(name);
        plan.emittedFieldFiles.emplace(value.fieldFile, name);
    }
}

void findReferences(ScanPlan& plan)
{
    if (!plan.scan.hasReference()) {
        return;
    }
    std::map<std::string, std::size_t> known;
    plan.referenceOfRow.reserve(plan.configurations);
    for (std::size_t index = 0; index < plan.configurations; ++index) {
        const Configuration reference = referenceFor(plan.scan, configurationAt(plan.scan, index));
        // Runs of the same input are the same run; the heading is left out.
        const std::string key = inputText(reference, "", [&plan](const ScanValue& value) {
            return plan.emittedFieldFiles.at(value.fieldFile);
        });
        const auto [entry, added] = known.try_emplace(key, plan.references.size());
        if (added) {
            plan.references.push_back(reference);
        }
        plan.referenceOfRow.push_back(entry->second);
    }
}

std::string nameOfRun(const ScanPlan& plan, const ScanRun& run)
{
    return run.reference ? "reference run " + std::to_string(run.number) + " ("
                               + describeConfiguration(plan.scan, run.configuration) + ")"
                         : "configuration " + std::to_string(run.number) + " ("
                               + describeConfiguration(plan.scan, run.configuration) + ")";
}

// Why the run's input does not go through as written, one line each.
struct RunProblems {
    std::vector<std::string> lines;
    bool unreadable = false;  // not a matter of warnings: the run cannot be done at all
};

RunProblems problemsOf(const ScanPlan& plan, const ScanRun& run)
{
    RunProblems problems;
    const std::string name = nameOfRun(plan, run);
    for (const FieldFileNaming naming : {FieldFileNaming::forThisProcess, FieldFileNaming::emitted}) {
        std::istringstream text(inputTextOf(plan, run, naming));
        for (std::string line; std::getline(text, line);) {
            if (line.size() > inputLineLength) {
                problems.lines.push_back(name + ": its input line " + quotedText(line.substr(0, 12)) + "... would be "
                                         + std::to_string(line.size()) + " columns long; an input line holds "
                                         + std::to_string(inputLineLength));
                problems.unreadable = true;
                return problems;
            }
        }
    }
    InputDiagnostics diagnostics(inputFileNameOf(plan, run));
    try {
        static_cast<void>(settingsOf(plan, run, &diagnostics));
    } catch (const RunError& error) {
        problems.lines.push_back(name + ": " + error.what());
        problems.unreadable = true;
        return problems;
    }
    for (const Diagnostic& diagnostic : diagnostics.list()) {
        if (diagnostic.severity == Severity::warning) {
            problems.lines.push_back(name + ": " + formatDiagnostic(diagnostic));
        }
    }
    return problems;
}

}  // namespace

ScanRun ScanPlan::row(std::size_t index) const
{
    return ScanRun{configurationAt(scan, index), false, index + 1};
}

ScanRun ScanPlan::referenceRun(std::size_t index) const
{
    KESP_EXPECTS(index < references.size(), "a reference run of the plan");
    return ScanRun{references[index], true, index + 1};
}

ScanPlan planScan(ScanDefinition scan, Leniency leniency)
{
    checkScanSurvival(scan);
    ScanPlan plan;
    plan.scan = std::move(scan);
    plan.configurations = 1;
    for (const ScanAxis& axis : plan.scan.vary) {
        plan.configurations *= axis.values.size();
    }
    nameFieldFilesForThisProcess(plan);
    nameEmittedFieldFiles(plan);
    findReferences(plan);

    std::vector<std::string> refusals;
    std::size_t refusedRuns = 0;
    const bool lenient = leniency == Leniency::lenient && !plan.scan.runSwitches.strict;
    const auto check = [&](const ScanRun& run) {
        RunProblems problems = problemsOf(plan, run);
        if (problems.lines.empty()) {
            return;
        }
        const bool refused = !lenient || problems.unreadable;
        refusedRuns += refused ? 1 : 0;
        std::vector<std::string>& list = refused ? refusals : plan.warnings;
        list.insert(list.end(), std::make_move_iterator(problems.lines.begin()),
                    std::make_move_iterator(problems.lines.end()));
    };
    for (std::size_t index = 0; index < plan.configurations; ++index) {
        check(plan.row(index));
    }
    for (std::size_t index = 0; index < plan.references.size(); ++index) {
        check(plan.referenceRun(index));
    }
    if (!refusals.empty()) {
        std::string message = plan.scan.path.string() + ": the scan is refused: the input files of "
                              + std::to_string(refusedRuns) + " of its "
                              + std::to_string(plan.configurations + plan.references.size())
                              + " runs are not taken by kesp as written";
        message += lenient || plan.scan.runSwitches.strict ? ":" : " (--lenient runs them as kesp would):";
        for (const std::string& line : refusals) {
            message += "\n  " + line;
        }
        throw ScanRefused(message);
    }
    return plan;
}

std::string inputTextOf(const ScanPlan& plan, const ScanRun& run, FieldFileNaming naming)
{
    const std::string switches = switchText(plan.scan);
    const std::string heading =
        "kesp-scan " + std::string(run.reference ? "reference radiation " : "configuration ")
        + std::to_string(run.number) + " of "
        + std::to_string(run.reference ? plan.references.size() : plan.configurations)
        + " (switches: " + (switches.empty() ? "none" : switches) + ")";
    const auto& names = naming == FieldFileNaming::emitted ? plan.emittedFieldFiles : plan.processFieldFiles;
    return inputText(run.configuration, heading,
                     [&names](const ScanValue& value) { return names.at(value.fieldFile); });
}

std::string inputFileNameOf(const ScanPlan& plan, const ScanRun& run)
{
    const std::string stem = scanStem(plan.scan);
    return run.reference ? stem + "-reference-" + paddedNumber(run.number, plan.references.size()) + ".inp"
                         : stem + "-" + paddedNumber(run.number, plan.configurations) + ".inp";
}

RunSettings settingsOf(const ScanPlan& plan, const ScanRun& run, InputDiagnostics* diagnostics)
{
    std::istringstream input(inputTextOf(plan, run, FieldFileNaming::forThisProcess));
    return readInput(input, plan.scan.runSwitches, inputFileNameOf(plan, run), diagnostics);
}

}  // namespace kesp
