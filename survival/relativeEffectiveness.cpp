#include "kesp/survival/relativeEffectiveness.h"

#include <array>
#include <cmath>
#include <string>

#include "kesp/input/diagnostics.h"
#include "kesp/support/runError.h"

namespace kesp {

namespace {

void requirePositiveDose(double doseGy, const std::string& what)
{
    if (!(doseGy > 0.0) || !std::isfinite(doseGy)) {
        stopRun(ErrorKind::input, "Cell survival: " + what + " of " + formatValue(doseGy) + " Gy must be above 0.");
    }
}

void requireSurvivalBelowOne(double survival)
{
    if (!(survival > 0.0 && survival < 1.0)) {
        stopRun(ErrorKind::input, "Cell survival: a survival level of " + formatValue(survival)
                                      + " lies outside (0, 1).");
    }
}

// The dose that gives the effect alpha D + beta D^2 = effect (>= 0).
double doseForEffect(double alpha, double beta, double effect)
{
    if (effect == 0.0) {
        return 0.0;
    }
    return 2.0 * effect / (alpha + std::sqrt(alpha * alpha + 4.0 * beta * effect));
}

// d D / d effect at that dose: 1 / (alpha + 2 beta D).
double doseSlope(double alpha, double beta, double dose)
{
    return 1.0 / (alpha + 2.0 * beta * dose);
}

// The SEM of f(a, b) where a and b come from two radiations of one cell.
double pairSem(const LinearQuadratic& a, double slopeAlphaA, double slopeBetaA, const LinearQuadratic& b,
               double slopeAlphaB, double slopeBetaB)
{
    const std::array terms{CoefficientSlopes{a, slopeAlphaA, slopeBetaA},
                           CoefficientSlopes{b, slopeAlphaB, slopeBetaB}};
    return semOf(terms);
}

// D_R / D for the particle dose D of the effect E = alpha D + beta D^2.
// The particle's coefficients move D: dD = -(D dalpha + D^2 dbeta) / (alpha
// + 2 beta D). The reference's move D_R (at a survival level) or E (at a
// reference dose): either way d(D_R / D) takes -(x / D)(D_R dalpha_R +
// D_R^2 dbeta_R), with x the slope given.
RatioEstimate ratioOfDoses(const LinearQuadratic& particle, const LinearQuadratic& reference, double referenceDose,
                           double effect, bool effectFollowsReference)
{
    const double alpha = particle.alphaPerGy;
    const double beta = particle.betaPerGy2;
    const double dose = doseForEffect(alpha, beta, effect);
    if (!(dose > 0.0)) {
        stopRun(ErrorKind::physics, "Cell survival: alpha and beta of the radiation are both 0, so it kills no cell.");
    }
    const double value = referenceDose / dose;
    const double common = value * doseSlope(alpha, beta, dose);
    const double x = effectFollowsReference
                         ? common
                         : doseSlope(reference.alphaPerGy, reference.betaPerGy2, referenceDose);
    return {value, pairSem(particle, common, common * dose, reference, -x * referenceDose / dose,
                           -x * referenceDose * referenceDose / dose)};
}

}  // namespace

RatioEstimate rbeLowDose(const LinearQuadratic& particle, const LinearQuadratic& reference)
{
    const double value = particle.alphaPerGy / reference.alphaPerGy;
    return {value, pairSem(particle, 1.0 / reference.alphaPerGy, 0.0, reference, -value / reference.alphaPerGy, 0.0)};
}

RatioEstimate rbeHighDose(const LinearQuadratic& particle, const LinearQuadratic& reference)
{
    const double value = std::sqrt(particle.betaPerGy2 / reference.betaPerGy2);
    const double slope = value > 0.0 ? 0.5 * value / particle.betaPerGy2 : 0.0;
    return {value, pairSem(particle, 0.0, slope, reference, 0.0, -0.5 * value / reference.betaPerGy2)};
}

RatioEstimate rbeAtDose(const LinearQuadratic& particle, const LinearQuadratic& reference, double doseGy)
{
    requirePositiveDose(doseGy, "a particle dose");
    const double effect = particle.alphaPerGy * doseGy + particle.betaPerGy2 * doseGy * doseGy;
    const double referenceDose = doseForEffect(reference.alphaPerGy, reference.betaPerGy2, effect);
    // dD_R = (D dalpha + D^2 dbeta - D_R dalpha_R - D_R^2 dbeta_R) / (alpha_R + 2 beta_R D_R), over D.
    const double slope = doseSlope(reference.alphaPerGy, reference.betaPerGy2, referenceDose);
    return {referenceDose / doseGy,
            pairSem(particle, slope, slope * doseGy, reference, -slope * referenceDose / doseGy,
                    -slope * referenceDose * referenceDose / doseGy)};
}

RatioEstimate rbeAtReferenceDose(const LinearQuadratic& particle, const LinearQuadratic& reference,
                                 double referenceDoseGy)
{
    requirePositiveDose(referenceDoseGy, "a reference dose");
    const double effect = reference.alphaPerGy * referenceDoseGy
                          + reference.betaPerGy2 * referenceDoseGy * referenceDoseGy;
    return ratioOfDoses(particle, reference, referenceDoseGy, effect, true);
}

RatioEstimate rbeAtSurvival(const LinearQuadratic& particle, const LinearQuadratic& reference, double survival)
{
    requireSurvivalBelowOne(survival);
    const double referenceDose = doseForSurvival(reference.alphaPerGy, reference.betaPerGy2, survival);
    return ratioOfDoses(particle, reference, referenceDose, -std::log(survival), false);
}

RatioEstimate oerAtSurvival(const LinearQuadratic& hypoxic, const LinearQuadratic& aerobic, double survival)
{
    requireSurvivalBelowOne(survival);
    const double hypoxicDose = doseForSurvival(hypoxic.alphaPerGy, hypoxic.betaPerGy2, survival);
    const double aerobicDose = doseForSurvival(aerobic.alphaPerGy, aerobic.betaPerGy2, survival);
    const double value = hypoxicDose / aerobicDose;
    // d(D_h / D_a) = dD_h / D_a - (D_h / D_a^2) dD_a, with dD = -(D dalpha + D^2 dbeta) / (alpha + 2 beta D).
    const double h = -hypoxicDose * doseSlope(hypoxic.alphaPerGy, hypoxic.betaPerGy2, hypoxicDose) / aerobicDose;
    const double a = value * doseSlope(aerobic.alphaPerGy, aerobic.betaPerGy2, aerobicDose);
    return {value, pairSem(hypoxic, h, h * hypoxicDose, aerobic, a, a * aerobicDose)};
}

RatioEstimate oerLowDose(const LinearQuadratic& hypoxic, const LinearQuadratic& aerobic)
{
    const double value = aerobic.alphaPerGy / hypoxic.alphaPerGy;
    return {value, pairSem(hypoxic, -value / hypoxic.alphaPerGy, 0.0, aerobic, 1.0 / hypoxic.alphaPerGy, 0.0)};
}

RatioEstimate oerHighDose(const LinearQuadratic& hypoxic, const LinearQuadratic& aerobic)
{
    const double value = std::sqrt(aerobic.betaPerGy2 / hypoxic.betaPerGy2);
    return {value, pairSem(hypoxic, 0.0, -0.5 * value / hypoxic.betaPerGy2, aerobic, 0.0,
                           0.5 * value / aerobic.betaPerGy2)};
}

}  // namespace kesp
