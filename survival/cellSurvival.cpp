#include "kesp/survival/cellSurvival.h"

#include <cmath>
#include <utility>

#include "kesp/input/diagnostics.h"
#include "kesp/support/runError.h"
#include "kesp/survival/dsbSources.h"

namespace kesp {

void checkSurvivalQuestions(const SurvivalQuestions& questions)
{
    for (const double dose : questions.referenceDosesGy) {
        if (!(dose > 0.0) || !std::isfinite(dose)) {
            stopRun(ErrorKind::input, "Cell survival: a reference dose of " + formatValue(dose)
                                          + " Gy must be above 0.");
        }
    }
    for (const double survival : questions.survivalLevels) {
        if (!(survival > 0.0 && survival < 1.0)) {
            stopRun(ErrorKind::input, "Cell survival: a survival level of " + formatValue(survival)
                                          + " lies outside (0, 1).");
        }
    }
}

SurvivalModel survivalModel(MeasuredReference measured, const RunResults& referenceAtMeasurement,
                            const RunResults* referenceHere, SurvivalQuestions questions)
{
    const std::vector<DsbSource> atMeasurement = dsbSources(referenceAtMeasurement);
    const std::vector<DsbSource> here =
        referenceHere != nullptr ? dsbSources(*referenceHere) : std::vector<DsbSource>();
    return survivalModel(measured, atMeasurement, here, std::move(questions));
}

SurvivalModel survivalModel(MeasuredReference measured, std::span<const DsbSource> referenceAtMeasurement,
                            std::span<const DsbSource> referenceHere, SurvivalQuestions questions)
{
    checkSurvivalQuestions(questions);
    CellParameters cell = CellParameters::fromReference(
        referenceRadiation(measured.alphaPerGy, measured.betaPerGy2, referenceAtMeasurement));
    LinearQuadratic reference = measuredCoefficients(measured.alphaPerGy, measured.betaPerGy2);
    if (!referenceHere.empty()) {
        reference = linearQuadratic(cell, referenceHere);
    }
    return SurvivalModel{cell, std::move(reference), std::move(questions)};
}

SurvivalModel survivalModel(double theta, double kappa, SurvivalQuestions questions)
{
    checkSurvivalQuestions(questions);
    return SurvivalModel{CellParameters::fromThetaKappa(theta, kappa), std::nullopt, std::move(questions)};
}

CellSurvival cellSurvival(const SurvivalModel& model, std::span<const DsbSource> sources)
{
    checkSurvivalQuestions(model.questions);
    CellSurvival survival;
    survival.theta = model.cell.theta();
    survival.kappa = model.cell.kappa();
    survival.coefficients = linearQuadratic(model.cell, sources);
    if (!model.reference) {
        return survival;
    }
    const LinearQuadratic& particle = survival.coefficients;
    const LinearQuadratic& reference = *model.reference;
    survival.reference = reference;
    survival.rbeLowDose = rbeLowDose(particle, reference);
    survival.rbeHighDose = rbeHighDose(particle, reference);
    for (const double dose : model.questions.referenceDosesGy) {
        survival.rbeAtReferenceDose.push_back({dose, rbeAtReferenceDose(particle, reference, dose)});
    }
    for (const double level : model.questions.survivalLevels) {
        survival.rbeAtSurvival.push_back({level, doseForSurvival(particle.alphaPerGy, particle.betaPerGy2, level),
                                          doseForSurvival(reference.alphaPerGy, reference.betaPerGy2, level),
                                          rbeAtSurvival(particle, reference, level)});
    }
    return survival;
}

CellSurvival cellSurvival(const SurvivalModel& model, const RunResults& run)
{
    const std::vector<DsbSource> sources = dsbSources(run);
    return cellSurvival(model, sources);
}

RunSettings referenceRunSettings(RunSettings run, RadiationField reference)
{
    run.field = std::move(reference);
    return run;
}

RadiationField defaultReferenceRadiation()
{
    return singleParticleField("e", 1.0);
}

}  // namespace kesp
