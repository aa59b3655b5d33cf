// Cell survival in kesp._core: the survival model of a cell line, what it
// says of a run, and the RBE and OER for cell killing between coefficients,
// each as the library's survival layer gives it (kesp/survival/).

#include <pybind11/stl.h>

#include <cmath>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "kesp/input/diagnostics.h"
#include "kesp/support/runError.h"
#include "kesp/survival/cellSurvival.h"
#include "kesp/survival/dsbSources.h"
#include "kesp/survival/linearQuadratic.h"
#include "kesp/survival/relativeEffectiveness.h"
#include "python/src/bindings.h"
#include "python/src/pythonResults.h"
#include "python/src/survivalParts.h"

namespace kesp::python {

namespace py = pybind11;
using namespace py::literals;

namespace {

// (value, SEM)
using Ratio = std::pair<double, double>;

Ratio ratioOf(const RatioEstimate& ratio)
{
    return {ratio.value, ratio.sem};
}

std::optional<Ratio> ratioOf(const std::optional<RatioEstimate>& ratio)
{
    return ratio ? std::optional<Ratio>(ratioOf(*ratio)) : std::nullopt;
}

SurvivalModel modelFromReference(double alphaPerGy, double betaPerGy2, const PythonResults& referenceAtMeasurement,
                                 const PythonResults* referenceHere, std::vector<double> referenceDosesGy,
                                 std::vector<double> survivalLevels)
{
    return survivalModel(MeasuredReference{alphaPerGy, betaPerGy2}, referenceAtMeasurement.run,
                         referenceHere != nullptr ? &referenceHere->run : nullptr,
                         SurvivalQuestions{std::move(referenceDosesGy), std::move(survivalLevels)});
}

SurvivalModel modelFromThetaKappa(double theta, double kappa, std::vector<double> referenceDosesGy,
                                  std::vector<double> survivalLevels)
{
    return survivalModel(theta, kappa, SurvivalQuestions{std::move(referenceDosesGy), std::move(survivalLevels)});
}

// beta_R of a measurement given as alpha_R and alpha_R / beta_R.
double betaFromAlphaBeta(double alphaPerGy, double alphaBetaGy)
{
    if (!(alphaBetaGy > 0.0) || !std::isfinite(alphaBetaGy)) {
        stopRun(ErrorKind::input, "Cell parameters: alpha_R / beta_R = " + formatValue(alphaBetaGy)
                                      + " Gy must be above 0; give beta_R instead.");
    }
    return alphaPerGy / alphaBetaGy;
}

// Whether a run of the reference radiation with `reference` settings is one
// under the conditions of `run`: the same settings but for the radiation
// and for how many cells, from which seed and on how many threads it ran.
bool sameConditions(const PythonSettings& run, const PythonSettings& reference)
{
    RunSettings aligned = referenceRunSettings(run.run, reference.run.field);
    aligned.cells = reference.run.cells;
    aligned.seed = reference.run.seed;
    aligned.threads = reference.run.threads;
    return aligned == reference.run;
}

std::vector<double> survivalFractions(double alphaPerGy, double betaPerGy2, const std::vector<double>& dosesGy)
{
    std::vector<double> fractions;
    fractions.reserve(dosesGy.size());
    for (const double dose : dosesGy) {
        if (!(dose >= 0.0) || !std::isfinite(dose)) {
            stopRun(ErrorKind::input, "Cell survival: a dose of " + formatValue(dose) + " Gy must be 0 or more.");
        }
        fractions.push_back(survivalFraction(alphaPerGy, betaPerGy2, dose));
    }
    return fractions;
}

void bindCoefficients(py::module_& module)
{
    py::class_<LinearQuadratic>(module, "LinearQuadratic", "alpha and beta of a radiation, with their SEMs.")
        .def_readonly("alpha_per_gy", &LinearQuadratic::alphaPerGy)
        .def_readonly("beta_per_gy2", &LinearQuadratic::betaPerGy2)
        .def_readonly("alpha_per_gy_sem", &LinearQuadratic::alphaSem)
        .def_readonly("beta_per_gy2_sem", &LinearQuadratic::betaSem);
    py::class_<SurvivalModel>(module, "SurvivalModel", "A cell line, its reference radiation and the questions.")
        .def_property_readonly("theta_per_dsb", [](const SurvivalModel& m) { return m.cell.theta(); })
        .def_property_readonly("kappa_per_dsb2", [](const SurvivalModel& m) { return m.cell.kappa(); })
        .def_readonly("reference", &SurvivalModel::reference)
        .def_property_readonly("reference_doses_gy",
                               [](const SurvivalModel& m) { return m.questions.referenceDosesGy; })
        .def_property_readonly("survival_levels", [](const SurvivalModel& m) { return m.questions.survivalLevels; });
    py::class_<CellSurvival>(module, "CellSurvival", "What a survival model says of a run.")
        .def_readonly("theta_per_dsb", &CellSurvival::theta)
        .def_readonly("kappa_per_dsb2", &CellSurvival::kappa)
        .def_readonly("coefficients", &CellSurvival::coefficients)
        .def_readonly("reference", &CellSurvival::reference)
        .def_property_readonly("rbe_low_dose", [](const CellSurvival& s) { return ratioOf(s.rbeLowDose); })
        .def_property_readonly("rbe_high_dose", [](const CellSurvival& s) { return ratioOf(s.rbeHighDose); })
        .def_property_readonly("rbe_at_reference_dose",
                               [](const CellSurvival& s) {
                                   std::vector<std::tuple<double, double, double>> rows;
                                   for (const RbeAtReferenceDose& r : s.rbeAtReferenceDose) {
                                       rows.emplace_back(r.referenceDoseGy, r.rbe.value, r.rbe.sem);
                                   }
                                   return rows;
                               })
        .def_property_readonly("rbe_at_survival", [](const CellSurvival& s) {
            std::vector<std::tuple<double, double, double, double, double>> rows;
            for (const RbeAtSurvival& r : s.rbeAtSurvival) {
                rows.emplace_back(r.survival, r.doseGy, r.referenceDoseGy, r.rbe.value, r.rbe.sem);
            }
            return rows;
        });
}

void bindRatios(py::module_& module)
{
    using LQ = const LinearQuadratic&;
    module.def("rbe_low_dose", [](LQ p, LQ r) { return ratioOf(rbeLowDose(p, r)); }, "particle"_a, "reference"_a);
    module.def("rbe_high_dose", [](LQ p, LQ r) { return ratioOf(rbeHighDose(p, r)); }, "particle"_a, "reference"_a);
    module.def("rbe_at_dose", [](LQ p, LQ r, double d) { return ratioOf(rbeAtDose(p, r, d)); }, "particle"_a,
               "reference"_a, "dose_gy"_a);
    module.def("rbe_at_reference_dose", [](LQ p, LQ r, double d) { return ratioOf(rbeAtReferenceDose(p, r, d)); },
               "particle"_a, "reference"_a, "reference_dose_gy"_a);
    module.def("rbe_at_survival", [](LQ p, LQ r, double s) { return ratioOf(rbeAtSurvival(p, r, s)); },
               "particle"_a, "reference"_a, "survival"_a);
    module.def("oer_at_survival", [](LQ h, LQ a, double s) { return ratioOf(oerAtSurvival(h, a, s)); },
               "hypoxic"_a, "aerobic"_a, "survival"_a);
    module.def("oer_low_dose", [](LQ h, LQ a) { return ratioOf(oerLowDose(h, a)); }, "hypoxic"_a, "aerobic"_a);
    module.def("oer_high_dose", [](LQ h, LQ a) { return ratioOf(oerHighDose(h, a)); }, "hypoxic"_a, "aerobic"_a);
}

}  // namespace

void bindSurvival(py::module_& module)
{
    bindCoefficients(module);
    bindRatios(module);
    module.def("survival_model", &modelFromReference, "alpha_per_gy"_a, "beta_per_gy2"_a,
               "reference_at_measurement"_a, "reference_here"_a, "reference_doses_gy"_a, "survival_levels"_a);
    module.def("survival_model_from_theta_kappa", &modelFromThetaKappa, "theta_per_dsb"_a, "kappa_per_dsb2"_a,
               "reference_doses_gy"_a, "survival_levels"_a);
    module.def("beta_from_alpha_beta", &betaFromAlphaBeta, "alpha_per_gy"_a, "alpha_beta_gy"_a);
    module.def("same_conditions", &sameConditions, "run"_a, "reference"_a);
    module.def("cell_survival", [](const SurvivalModel& m, const PythonResults& r) { return cellSurvival(m, r.run); },
               "model"_a, "results"_a);
    module.def("linear_quadratic",
               [](const SurvivalModel& m, const PythonResults& r) {
                   const std::vector<DsbSource> sources = dsbSources(r.run);
                   return linearQuadratic(m.cell, sources);
               },
               "model"_a, "results"_a);
    module.def("dsb_sources",
               [](const PythonResults& r) {
                   std::vector<std::tuple<double, double, double, double>> rows;
                   for (const DsbSource& s : dsbSources(r.run)) {
                       rows.emplace_back(s.doseFraction, s.dsbPerCellPerGy, s.dsbPerCellPerGySem, s.zFGy);
                   }
                   return rows;
               },
               "results"_a);
    module.def("survival_fractions", &survivalFractions, "alpha_per_gy"_a, "beta_per_gy2"_a, "doses_gy"_a);
    module.def("dose_for_survival", &doseForSurvival, "alpha_per_gy"_a, "beta_per_gy2"_a, "survival"_a);
    bindSurvivalTable(module);
}

}  // namespace kesp::python
