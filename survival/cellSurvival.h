#pragma once
/// \file
/// Cell survival of one radiation as the front ends show it: the cell's
/// parameters, the radiation's alpha and beta, and its RBE for cell killing
/// against the reference radiation under the same conditions, at the doses
/// and survival levels asked for, each with its SEM.
///
/// \code{.cpp}
/// const kesp::SurvivalModel model = kesp::survivalModel({0.2, 0.02}, referenceRun);
/// const kesp::CellSurvival survival = kesp::cellSurvival(model, particleRun);
/// survival.coefficients.alphaPerGy, survival.rbeAtReferenceDose[0].rbe.value
/// \endcode

#include <optional>
#include <span>
#include <vector>

#include "kesp/engine/runResults.h"
#include "kesp/input/runSettings.h"
#include "kesp/survival/cellParameters.h"
#include "kesp/survival/linearQuadratic.h"
#include "kesp/survival/relativeEffectiveness.h"

namespace kesp {

/// The measured linear-quadratic coefficients of the reference radiation
/// for the cell line.
struct MeasuredReference {
    double alphaPerGy = 0.0;  ///< alpha_R, Gy^-1
    double betaPerGy2 = 0.0;  ///< beta_R, Gy^-2
};

/// The doses and survival levels at which RBEs are wanted.
struct SurvivalQuestions {
    std::vector<double> referenceDosesGy{2.0};  ///< reference doses D_R > 0, Gy
    std::vector<double> survivalLevels{0.1};    ///< survival levels S in (0, 1)
};

/// A cell line and its reference radiation under the conditions of the
/// radiation to be judged, with the questions to answer.
struct SurvivalModel {
    CellParameters cell;  ///< theta and kappa of the cell line
    /// The reference radiation's alpha and beta under the same conditions;
    /// none when the cell parameters were given directly (no RBE then).
    std::optional<LinearQuadratic> reference;
    SurvivalQuestions questions;  ///< the doses and survival levels of the RBEs to give
};

/// Throws RunError of kind input for a reference dose that is not above 0
/// or a survival level outside (0, 1), naming it.
void checkSurvivalQuestions(const SurvivalQuestions& questions);

/// The cell line from the measured coefficients and a run of the reference
/// radiation under the conditions of the measurement. With a run of the
/// reference radiation under other conditions (another oxygen level, say),
/// the reference's coefficients are the model's under those (theta and kappa
/// stay those of the measurement); without, they are the measured ones.
SurvivalModel survivalModel(MeasuredReference measured, const RunResults& referenceAtMeasurement,
                            const RunResults* referenceHere = nullptr, SurvivalQuestions questions = {});

/// The same from the DSB sources of those runs (kesp::dsbSources), as kept
/// apart from the runs; an empty `referenceHere` stands for none.
SurvivalModel survivalModel(MeasuredReference measured, std::span<const DsbSource> referenceAtMeasurement,
                            std::span<const DsbSource> referenceHere, SurvivalQuestions questions);

/// The cell line from theta (per DSB) and kappa (per DSB^2) given directly:
/// alpha and beta, no RBE.
SurvivalModel survivalModel(double theta, double kappa, SurvivalQuestions questions = {});

/// An RBE at a reference dose.
struct RbeAtReferenceDose {
    double referenceDoseGy = 0.0;  ///< the reference dose D_R asked for, Gy
    RatioEstimate rbe;             ///< the RBE there, with its SEM
};

/// An RBE at a survival level, with the doses of both radiations for it.
struct RbeAtSurvival {
    double survival = 0.0;         ///< the survival level S asked for
    double doseGy = 0.0;           ///< the radiation's dose for the survival level, Gy
    double referenceDoseGy = 0.0;  ///< the reference's, Gy
    RatioEstimate rbe;             ///< the RBE there, with its SEM
};

/// What the model says of a radiation.
struct CellSurvival {
    double theta = 0.0;  ///< per DSB
    double kappa = 0.0;  ///< per DSB^2
    LinearQuadratic coefficients;  ///< the radiation's alpha and beta with their SEMs
    /// With a reference: its coefficients and the RBEs.
    std::optional<LinearQuadratic> reference;
    std::optional<RatioEstimate> rbeLowDose;   ///< RBE_LD = alpha / alpha_R; with a reference only
    std::optional<RatioEstimate> rbeHighDose;  ///< RBE_HD = sqrt(beta / beta_R); with a reference only
    std::vector<RbeAtReferenceDose> rbeAtReferenceDose;  ///< in the order asked
    std::vector<RbeAtSurvival> rbeAtSurvival;            ///< in the order asked
};

/// The model's answer for a radiation of these DSB sources.
CellSurvival cellSurvival(const SurvivalModel& model, std::span<const DsbSource> sources);
/// The model's answer for a run (its DSB sources, kesp::dsbSources).
CellSurvival cellSurvival(const SurvivalModel& model, const RunResults& run);

/// The settings of the reference run for a run: the same settings (cells,
/// seed, oxygen, DMSO, cell) with the radiation replaced.
RunSettings referenceRunSettings(RunSettings run, RadiationField reference);

/// The reference radiation the front ends offer by default: 1 MeV electrons.
RadiationField defaultReferenceRadiation();

}  // namespace kesp
