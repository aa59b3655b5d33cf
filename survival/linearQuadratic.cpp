#include "kesp/survival/linearQuadratic.h"

#include <cmath>
#include <string>

#include "kesp/input/diagnostics.h"
#include "kesp/support/runError.h"

namespace kesp {

namespace {

double doseFractionSum(std::span<const DsbSource> components)
{
    if (components.empty()) {
        stopRun(ErrorKind::input, "Cell survival: a radiation needs at least one component.");
    }
    double sum = 0.0;
    for (std::size_t i = 0; i < components.size(); ++i) {
        const DsbSource& c = components[i];
        if (!(c.doseFraction >= 0.0) || !(c.dsbPerCellPerGy >= 0.0) || !(c.dsbPerCellPerGySem >= 0.0)
            || !(c.zFGy >= 0.0)) {
            stopRun(ErrorKind::input, "Cell survival: component " + std::to_string(i + 1)
                                          + " needs a dose fraction, DSB yield, SEM and zF >= 0.");
        }
        sum += c.doseFraction;
    }
    if (!(sum > 0.0) || !std::isfinite(sum)) {
        stopRun(ErrorKind::input, "Cell survival: the dose fractions add up to " + formatValue(sum)
                                      + "; give at least one above 0.");
    }
    return sum;
}

}  // namespace

LinearQuadratic linearQuadratic(const CellParameters& cell, std::span<const DsbSource> components)
{
    const double total = doseFractionSum(components);
    double meanSigma = 0.0;         // <Sigma>
    double meanZfSigmaSquared = 0.0;  // <zF Sigma^2>
    for (const DsbSource& c : components) {
        const double w = c.doseFraction / total;
        meanSigma += w * c.dsbPerCellPerGy;
        meanZfSigmaSquared += w * c.zFGy * c.dsbPerCellPerGy * c.dsbPerCellPerGy;
    }
    const double theta = cell.theta();
    const double kappa = cell.kappa();
    LinearQuadratic lq;
    lq.alphaPerGy = theta * meanSigma + kappa * meanZfSigmaSquared;
    lq.betaPerGy2 = kappa / 2.0 * meanSigma * meanSigma;
    for (const DsbSource& c : components) {
        const double w = c.doseFraction / total;
        lq.sensitivities.push_back({c.referenceRun, w * (theta + 2.0 * kappa * c.zFGy * c.dsbPerCellPerGy),
                                    kappa * meanSigma * w, c.dsbPerCellPerGySem});
    }
    lq.sensitivities.push_back({true, cell.thetaSlope() * meanSigma + cell.kappaSlope() * meanZfSigmaSquared,
                                cell.kappaSlope() / 2.0 * meanSigma * meanSigma, cell.referenceDsbSem()});
    lq.alphaSem = semOf(lq, 1.0, 0.0);
    lq.betaSem = semOf(lq, 0.0, 1.0);
    return lq;
}

double survivalFraction(double alphaPerGy, double betaPerGy2, double doseGy)
{
    return std::exp(-alphaPerGy * doseGy - betaPerGy2 * doseGy * doseGy);
}

double doseForSurvival(double alphaPerGy, double betaPerGy2, double survival)
{
    if (!(survival > 0.0 && survival <= 1.0)) {
        stopRun(ErrorKind::input, "Cell survival: a survival fraction of " + formatValue(survival)
                                      + " lies outside (0, 1].");
    }
    const double effect = -std::log(survival);  // alpha D + beta D^2
    if (effect == 0.0) {
        return 0.0;
    }
    if (betaPerGy2 > 0.0) {
        // The root of beta D^2 + alpha D - effect = 0 written without the
        // cancellation of -alpha + sqrt(...).
        return 2.0 * effect / (alphaPerGy + std::sqrt(alphaPerGy * alphaPerGy + 4.0 * betaPerGy2 * effect));
    }
    if (alphaPerGy > 0.0) {
        return effect / alphaPerGy;
    }
    stopRun(ErrorKind::input, "Cell survival: alpha and beta are both 0, so no dose reaches a survival below 1.");
}

LinearQuadratic measuredCoefficients(double alphaPerGy, double betaPerGy2)
{
    LinearQuadratic lq;
    lq.alphaPerGy = alphaPerGy;
    lq.betaPerGy2 = betaPerGy2;
    return lq;
}

double semOf(std::span<const CoefficientSlopes> terms)
{
    // The reference run's yield may enter more than once (through the cell
    // parameters, as a component, through each radiation): its slopes add
    // before squaring.
    double variance = 0.0;
    double referenceSlope = 0.0;
    double referenceSem = 0.0;
    for (const CoefficientSlopes& term : terms) {
        for (const Sensitivity& s : term.coefficients.sensitivities) {
            const double slope = term.alpha * s.alphaSlope + term.beta * s.betaSlope;
            if (s.reference) {
                referenceSlope += slope;
                referenceSem = s.sem;
            } else {
                variance += slope * slope * s.sem * s.sem;
            }
        }
    }
    return std::sqrt(variance + referenceSlope * referenceSlope * referenceSem * referenceSem);
}

double semOf(const LinearQuadratic& lq, double slopeAlpha, double slopeBeta)
{
    const CoefficientSlopes term{lq, slopeAlpha, slopeBeta};
    return semOf(std::span(&term, 1));
}

}  // namespace kesp
