// The survival columns of a scan table, row by row: each row's alpha and
// beta from its DSB yield and zF through the cell parameters that the
// reference radiation under the measurement's conditions gives, and its RBEs
// against the reference radiation under the row's own conditions. The
// package matches each row with those reference runs; the numbers are the
// survival layer's. A value that does not exist (a dose no dose reaches, a
// ratio over 0) is NaN, and so is an SEM where a run had fewer than 2 cells.

#include <pybind11/stl.h>

#include <cmath>
#include <cstddef>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "kesp/report/scanText.h"
#include "kesp/support/runError.h"
#include "kesp/survival/cellSurvival.h"
#include "kesp/survival/linearQuadratic.h"
#include "kesp/survival/relativeEffectiveness.h"
#include "python/src/survivalParts.h"

namespace kesp::python {

namespace py = pybind11;
using namespace py::literals;

namespace {

constexpr double missing = std::numeric_limits<double>::quiet_NaN();

// A table's columns dsb, dsb_sem, zf_gy and cells for some runs (NaN where empty).
using SourceColumns = std::tuple<std::vector<double>, std::vector<double>, std::vector<double>, std::vector<double>>;

// One run as its table row gives it.
struct TableRun {
    DsbSource source;
    bool known = false;    // its zF is known: it can be used
    bool withSem = false;  // it simulated 2 cells or more
};

TableRun runAt(const SourceColumns& columns, std::size_t row)
{
    const auto& [dsb, sem, zF, cells] = columns;
    // An empty dsb field is a run in which no cell had a DSB.
    const double yield = std::isnan(dsb.at(row)) ? 0.0 : dsb.at(row);
    const double yieldSem = std::isnan(sem.at(row)) ? 0.0 : sem.at(row);
    return TableRun{DsbSource{1.0, yield, yieldSem, zF.at(row)}, std::isfinite(zF.at(row)) && std::isfinite(yield),
                    cells.at(row) >= 2.0};
}

void requireRows(const SourceColumns& columns, std::size_t rows, const char* what)
{
    const auto& [dsb, sem, zF, cells] = columns;
    if (dsb.size() != rows || sem.size() != rows || zF.size() != rows || cells.size() != rows) {
        throw py::value_error(std::string("survival table: the columns of ") + what + " need one value per row");
    }
}

std::vector<std::string> columnNames(const SurvivalQuestions& questions)
{
    std::vector<std::string> names{"alpha_per_gy", "beta_per_gy2", "rbe_low_dose", "rbe_high_dose"};
    for (const double dose : questions.referenceDosesGy) {
        names.push_back("rbe_at_reference_dose_" + shortestText(dose) + "gy");
    }
    for (const double level : questions.survivalLevels) {
        names.push_back("rbe_at_survival_" + shortestText(level));
    }
    return names;
}

// The names with their SEM columns after each.
std::vector<std::string> survivalColumnNames(std::vector<double> referenceDosesGy, std::vector<double> survivalLevels)
{
    const SurvivalQuestions questions{std::move(referenceDosesGy), std::move(survivalLevels)};
    checkSurvivalQuestions(questions);
    std::vector<std::string> names;
    for (const std::string& name : columnNames(questions)) {
        names.push_back(name);
        names.push_back(name + "_sem");
    }
    return names;
}

// A value and its SEM; NaN where the value does not exist or is not finite.
void addValue(std::vector<double>& fields, const std::function<RatioEstimate()>& value, bool withSem)
{
    RatioEstimate estimate{missing, missing};
    try {
        estimate = value();
    } catch (const RunError&) {  // no dose reaches the survival level, or the radiation kills no cell
    }
    const bool known = std::isfinite(estimate.value);
    fields.push_back(known ? estimate.value : missing);
    fields.push_back(known && withSem && std::isfinite(estimate.sem) ? estimate.sem : missing);
}

// The fields of one row, in the order of survivalColumnNames. `here` is the
// reference radiation under the row's conditions; null when those are the
// measurement's.
std::vector<double> rowFields(const MeasuredReference& measured, const SurvivalQuestions& questions,
                              const TableRun& row, const TableRun& atMeasurement, const TableRun* here)
{
    const std::size_t count = 2 * columnNames(questions).size();
    if (!row.known || !atMeasurement.known || (here != nullptr && !here->known)) {
        return std::vector<double>(count, missing);
    }
    const DsbSource& cellReference = atMeasurement.source;
    const CellParameters cell = CellParameters::fromReference(
        ReferenceRadiation{measured.alphaPerGy, measured.betaPerGy2, cellReference.dsbPerCellPerGy,
                           cellReference.dsbPerCellPerGySem, cellReference.zFGy});
    const bool withSem = row.withSem && atMeasurement.withSem && (here == nullptr || here->withSem);
    const LinearQuadratic particle = linearQuadratic(cell, std::span(&row.source, 1));
    const LinearQuadratic reference = here != nullptr ? linearQuadratic(cell, std::span(&here->source, 1))
                                                      : measuredCoefficients(measured.alphaPerGy, measured.betaPerGy2);
    std::vector<double> fields;
    fields.reserve(count);
    addValue(fields, [&] { return RatioEstimate{particle.alphaPerGy, particle.alphaSem}; }, withSem);
    addValue(fields, [&] { return RatioEstimate{particle.betaPerGy2, particle.betaSem}; }, withSem);
    addValue(fields, [&] { return rbeLowDose(particle, reference); }, withSem);
    addValue(fields, [&] { return rbeHighDose(particle, reference); }, withSem);
    for (const double dose : questions.referenceDosesGy) {
        addValue(fields, [&] { return rbeAtReferenceDose(particle, reference, dose); }, withSem);
    }
    for (const double level : questions.survivalLevels) {
        addValue(fields, [&] { return rbeAtSurvival(particle, reference, level); }, withSem);
    }
    return fields;
}

// The survival columns of the rows: (name, one value per row) in order.
// Rows not `usable` (a mixed field, whose components' yields the table does
// not keep) get NaN. Throws RunError of kind input when a reference run
// under the measurement's conditions gives the cell no parameters.
std::vector<std::pair<std::string, std::vector<double>>>
survivalTable(double alphaPerGy, double betaPerGy2, const SourceColumns& rows, const SourceColumns& atMeasurement,
              const SourceColumns& here, const std::vector<bool>& rowAtMeasurement, const std::vector<bool>& usable,
              std::vector<double> referenceDosesGy, std::vector<double> survivalLevels)
{
    const std::vector<std::string> names = survivalColumnNames(referenceDosesGy, survivalLevels);
    const SurvivalQuestions questions{std::move(referenceDosesGy), std::move(survivalLevels)};
    const std::size_t count = std::get<0>(rows).size();
    requireRows(rows, count, "the rows");
    requireRows(atMeasurement, count, "the reference runs under the measurement's conditions");
    requireRows(here, count, "the reference runs under the rows' conditions");
    if (rowAtMeasurement.size() != count || usable.size() != count) {
        throw py::value_error("survival table: the row flags need one value per row");
    }
    std::vector<std::pair<std::string, std::vector<double>>> columns;
    for (const std::string& name : names) {
        columns.emplace_back(name, std::vector<double>());
    }
    const MeasuredReference measured{alphaPerGy, betaPerGy2};
    for (std::size_t i = 0; i < count; ++i) {
        const TableRun hereRun = runAt(here, i);
        const std::vector<double> fields =
            usable[i] ? rowFields(measured, questions, runAt(rows, i), runAt(atMeasurement, i),
                                  rowAtMeasurement[i] ? nullptr : &hereRun)
                      : std::vector<double>(names.size(), missing);
        for (std::size_t c = 0; c < names.size(); ++c) {
            columns[c].second.push_back(fields[c]);
        }
    }
    return columns;
}

}  // namespace

void bindSurvivalTable(py::module_& module)
{
    module.def("survival_column_names", &survivalColumnNames, "reference_doses_gy"_a, "survival_levels"_a);
    module.def("survival_table", &survivalTable, "alpha_per_gy"_a, "beta_per_gy2"_a, "rows"_a,
               "reference_at_measurement"_a, "reference_here"_a, "row_at_measurement"_a, "usable"_a,
               "reference_doses_gy"_a, "survival_levels"_a);
}

}  // namespace kesp::python
