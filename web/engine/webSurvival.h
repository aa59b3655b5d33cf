#pragma once
// The cell survival of a page's run. A run request may ask for it with the
// measured alpha and beta of the reference radiation and, optionally, the
// reference radiation named by the items of an input line (the 1 MeV
// electron when none is given) and the RBE questions (the library's
// defaults when none are given):
//
//     "survival": {"alpha_per_gy": 0.2, "beta_per_gy2": 0.02,
//                  "reference": [{"item": "PAR", "value": "e"}, {"item": "KE", "value": "1"}],
//                  "reference_doses_gy": [2], "survival_levels": [0.1]}
//
// The engine runs the reference radiation under the run's own settings
// (kesp::referenceRunSettings), takes the cell's parameters from it
// (kesp::survivalModel) and runs the radiation with the model in its
// request, so that its JSON document closes with the survival section.

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "kesp/report/runRequest.h"
#include "kesp/survival/cellSurvival.h"

namespace kesp::web {

/// What a request asks of the cell survival.
struct SurvivalAsked {
    MeasuredReference measured;
    /// The reference radiation's input line ("RADX: PAR=e KE=1"); none for
    /// kesp::defaultReferenceRadiation.
    std::optional<std::string> referenceLine;
    SurvivalQuestions questions;
};

/// The request's "survival" object, or none when it has none. Throws
/// RunError of kind usage for one that is not as above (alpha and beta not
/// numbers, an item other than PAR, KE and MEV/A, a value that cannot stand
/// on an input line), and of kind input for a reference dose or survival
/// level the library does not take.
std::optional<SurvivalAsked> survivalAskedOf(const nlohmann::json& request);

/// The request of the reference radiation's run: the run's settings with the
/// radiation replaced, read from its input line as an input file's RADX:
/// line is (what the reader says of it goes with it), with the run's
/// switches and wording.
RunRequest referenceRequest(const RunRequest& run, const RunSettings& settings, const SurvivalAsked& asked);

/// The survival of the radiation as the page shows it: the results
/// document's survival section, the reference run's DSB yield and zF, and
/// the survival curves of both radiations from 0 to 10 Gy
/// (kesp::survivalFraction):
///
///     {... the section ..., "reference_run": {"cells_simulated", "dsb_per_cell_per_gy": {"mean", "sem"},
///      "zf_gy"}, "curve": {"dose_gy": [...], "survival_fraction": [...],
///      "reference_survival_fraction": [...]}}
nlohmann::json survivalResponse(const CellSurvival& survival, const SurvivalAsked& asked, const RunResults& reference);

}  // namespace kesp::web
