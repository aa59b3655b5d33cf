#include "kesp/report/scanSurvival.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "kesp/report/scanDefinition.h"
#include "kesp/report/scanText.h"
#include "kesp/support/runError.h"
#include "kesp/survival/dsbSources.h"
#include "kesp/survival/relativeEffectiveness.h"

namespace kesp {

namespace {

int lineAt(const std::vector<int>& lines, std::size_t index)
{
    return index < lines.size() ? lines[index] : 0;
}

// "scan.yaml:12: survival: beta: " and the message.
[[noreturn]] void refuse(const ScanDefinition& scan, int line, const std::string& what, const std::string& message)
{
    std::string text = scan.path.string();
    if (line > 0) {
        text += ":" + std::to_string(line);
    }
    text += ": survival: ";
    if (!what.empty()) {
        text += what + ": ";
    }
    throw ScanRefused(text + message);
}

void requireAbove(const ScanDefinition& scan, int line, const std::string& what, double value,
                  const std::string& unit)
{
    if (!(value > 0.0) || !std::isfinite(value)) {
        refuse(scan, line, what, shortestText(value) + " must be above 0 (" + unit + ")");
    }
}

// Each value through the survival layer's own checks, and once only: it
// names columns of its own.
void checkQuestions(const ScanDefinition& scan, const std::vector<double>& values, const std::vector<int>& lines,
                    const std::string& what, bool doses)
{
    for (std::size_t i = 0; i < values.size(); ++i) {
        SurvivalQuestions one{{}, {}};
        (doses ? one.referenceDosesGy : one.survivalLevels).push_back(values[i]);
        try {
            checkSurvivalQuestions(one);
        } catch (const RunError& error) {
            refuse(scan, lineAt(lines, i), what, error.what());
        }
        if (std::find(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(i), values[i])
            != values.begin() + static_cast<std::ptrdiff_t>(i)) {
            refuse(scan, lineAt(lines, i), what,
                   shortestText(values[i]) + " is given twice; give each once (each has columns of its own)");
        }
    }
}

std::string doseName(double doseGy)
{
    return shortestText(doseGy) + "gy";
}

void addWithSem(std::vector<std::string>& columns, const std::string& name)
{
    columns.push_back(name);
    columns.push_back(name + "_sem");
}

// A value and its SEM as two fields: empty where the value is not a finite
// number, the SEM also where the runs give none.
void addRatio(std::vector<std::string>& fields, const std::function<RatioEstimate()>& ratio, bool withSem)
{
    RatioEstimate estimate;
    try {
        estimate = ratio();
    } catch (const RunError&) {  // no dose reaches the survival level, or the radiation kills no cell
        fields.insert(fields.end(), 2, std::string());
        return;
    }
    const bool known = std::isfinite(estimate.value);
    fields.push_back(known ? shortestText(estimate.value) : std::string());
    fields.push_back(known && withSem && std::isfinite(estimate.sem) ? shortestText(estimate.sem) : std::string());
}

bool known(const RowSources* run)
{
    return run != nullptr && !run->sources.empty();
}

// The OER fields of a row and its partner at the other oxygen level, both
// of the same cell: the aerobic one over the hypoxic one.
void addOer(std::vector<std::string>& fields, const ScanSurvival& survival, const SurvivalModel& model,
            const LinearQuadratic& row, const SurvivalRuns& runs, bool withSem)
{
    if (!known(runs.oxygenPartner)) {
        const std::size_t count = 2 * (2 + survival.questions.survivalLevels.size());
        fields.insert(fields.end(), count, std::string());
        return;
    }
    const LinearQuadratic partner = linearQuadratic(model.cell, runs.oxygenPartner->sources);
    const LinearQuadratic& aerobic = runs.highOxygen ? row : partner;
    const LinearQuadratic& hypoxic = runs.highOxygen ? partner : row;
    const bool sem = withSem && runs.oxygenPartner->withSem;
    addRatio(fields, [&] { return oerLowDose(hypoxic, aerobic); }, sem);
    addRatio(fields, [&] { return oerHighDose(hypoxic, aerobic); }, sem);
    for (const double level : survival.questions.survivalLevels) {
        addRatio(fields, [&] { return oerAtSurvival(hypoxic, aerobic, level); }, sem);
    }
}

}  // namespace

MeasuredReference measuredReference(const ScanSurvival& survival)
{
    const double beta = survival.betaPerGy2 ? *survival.betaPerGy2
                        : survival.alphaBetaGy ? survival.alphaPerGy / *survival.alphaBetaGy
                                               : 0.0;
    return MeasuredReference{survival.alphaPerGy, beta};
}

void checkScanSurvival(const ScanDefinition& scan)
{
    if (!scan.survival) {
        return;
    }
    const ScanSurvival& s = *scan.survival;
    const ScanSurvivalLines& lines = s.lines;
    if (!scan.hasReference()) {
        refuse(scan, lines.block, "",
               "the RBE and the cell parameters need the radiation alpha and beta were measured with; give it"
               " under reference (as PAR: e and KE: 1)");
    }
    if (!(s.alphaPerGy >= 0.0) || !std::isfinite(s.alphaPerGy)) {
        refuse(scan, lines.alpha, "alpha", shortestText(s.alphaPerGy) + " must be 0 or more (Gy^-1)");
    }
    if (s.betaPerGy2 && s.alphaBetaGy) {
        refuse(scan, lines.alphaBeta, "alpha_beta",
               "beta is given as well (line " + std::to_string(lines.beta) + "); give one of them");
    }
    if (s.betaPerGy2) {
        requireAbove(scan, lines.beta, "beta", *s.betaPerGy2, "Gy^-2");
    } else if (s.alphaBetaGy) {
        requireAbove(scan, lines.alphaBeta, "alpha_beta", *s.alphaBetaGy, "Gy");
        requireAbove(scan, lines.alphaBeta, "alpha_beta", measuredReference(s).betaPerGy2,
                     "Gy^-2, as beta = alpha / alpha_beta; give beta");
    } else {
        refuse(scan, lines.block, "", "give beta (Gy^-2) or alpha_beta (Gy) besides alpha");
    }
    checkQuestions(scan, s.questions.referenceDosesGy, lines.referenceDoses, "doses", true);
    checkQuestions(scan, s.questions.survivalLevels, lines.survivalLevels, "survival", false);
}

std::vector<std::string> survivalColumns(const ScanSurvival& survival, bool oerColumns)
{
    std::vector<std::string> columns;
    for (const char* name : {"alpha_per_gy", "beta_per_gy2", "rbe_low_dose", "rbe_high_dose"}) {
        addWithSem(columns, name);
    }
    for (const double dose : survival.questions.referenceDosesGy) {
        addWithSem(columns, "rbe_at_reference_dose_" + doseName(dose));
    }
    for (const double level : survival.questions.survivalLevels) {
        addWithSem(columns, "rbe_at_survival_" + shortestText(level));
    }
    if (oerColumns) {
        addWithSem(columns, "oer_low_dose");
        addWithSem(columns, "oer_high_dose");
        for (const double level : survival.questions.survivalLevels) {
            addWithSem(columns, "oer_at_survival_" + shortestText(level));
        }
    }
    return columns;
}

RowSources rowSourcesOf(const RunResults& results)
{
    RowSources row;
    try {
        row.sources = dsbSources(results);
    } catch (const RunError&) {  // no cell, or a component of the field without one
        return RowSources{{}, false};
    }
    if (results.singleParticle) {
        row.withSem = results.cellsSimulated >= 2;
        return row;
    }
    for (const ComponentResult& component : results.componentResults()) {
        if (component.weight > 0.0 && !(component.dsbPerCellPerGy && component.dsbPerCellPerGy->sem)) {
            row.withSem = false;
        }
    }
    return row;
}

std::vector<std::string> survivalFields(const ScanSurvival& survival, bool oerColumns, const SurvivalRuns& runs)
{
    const std::size_t count = survivalColumns(survival, oerColumns).size();
    if (!known(runs.row) || !known(runs.cellReference) || (!runs.atMeasurement && !known(runs.reference))) {
        return std::vector<std::string>(count);
    }
    const std::vector<DsbSource> none;
    const SurvivalModel model = survivalModel(measuredReference(survival), runs.cellReference->sources,
                                              runs.atMeasurement ? none : runs.reference->sources,
                                              survival.questions);
    const bool withSem = runs.row->withSem && runs.cellReference->withSem
                         && (runs.atMeasurement || runs.reference->withSem);
    const LinearQuadratic row = linearQuadratic(model.cell, runs.row->sources);
    const LinearQuadratic& reference = *model.reference;
    std::vector<std::string> fields;
    fields.reserve(count);
    addRatio(fields, [&] { return RatioEstimate{row.alphaPerGy, row.alphaSem}; }, withSem);
    addRatio(fields, [&] { return RatioEstimate{row.betaPerGy2, row.betaSem}; }, withSem);
    addRatio(fields, [&] { return rbeLowDose(row, reference); }, withSem);
    addRatio(fields, [&] { return rbeHighDose(row, reference); }, withSem);
    for (const double dose : survival.questions.referenceDosesGy) {
        addRatio(fields, [&] { return rbeAtReferenceDose(row, reference, dose); }, withSem);
    }
    for (const double level : survival.questions.survivalLevels) {
        addRatio(fields, [&] { return rbeAtSurvival(row, reference, level); }, withSem);
    }
    if (oerColumns) {
        addOer(fields, survival, model, row, runs, withSem);
    }
    return fields;
}

}  // namespace kesp
