#include "kesp/survival/cellParameters.h"

#include <cmath>
#include <string>

#include "kesp/input/diagnostics.h"
#include "kesp/support/runError.h"

namespace kesp {

namespace {

std::string valueText(double value)
{
    return formatValue(value);
}

void requireNonNegative(double value, const std::string& what)
{
    if (!(value >= 0.0) || !std::isfinite(value)) {
        stopRun(ErrorKind::input, "Cell parameters: " + what + " = " + valueText(value)
                                      + " must be a finite number >= 0.");
    }
}

}  // namespace

CellParameters CellParameters::fromReference(const ReferenceRadiation& r)
{
    requireNonNegative(r.alphaPerGy, "alpha_R (Gy^-1)");
    requireNonNegative(r.betaPerGy2, "beta_R (Gy^-2)");
    requireNonNegative(r.zFGy, "zF_R (Gy)");
    requireNonNegative(r.dsbPerCellPerGySem, "the SEM of Sigma_R");
    if (!(r.dsbPerCellPerGy > 0.0) || !std::isfinite(r.dsbPerCellPerGy)) {
        stopRun(ErrorKind::input, "Cell parameters: the reference run's DSB yield Sigma_R = "
                                      + valueText(r.dsbPerCellPerGy) + " per cell per Gy must be above 0.");
    }
    const double sigma = r.dsbPerCellPerGy;
    const double kappa = 2.0 * r.betaPerGy2 / (sigma * sigma);
    const double theta = (r.alphaPerGy - kappa * r.zFGy * (sigma * sigma)) / sigma;
    if (theta < 0.0) {
        stopRun(ErrorKind::input,
                "Cell parameters: theta = (alpha_R - 2 beta_R zF_R) / Sigma_R = (" + valueText(r.alphaPerGy)
                    + " - 2 x " + valueText(r.betaPerGy2) + " x " + valueText(r.zFGy) + ") / "
                    + valueText(sigma) + " is negative; the reference's alpha_R is below 2 beta_R zF_R, which "
                    + "the model cannot describe: check alpha_R and beta_R, or give theta and kappa.");
    }
    // theta Sigma_R = alpha_R - 2 beta_R zF_R and kappa Sigma_R^2 = 2 beta_R
    // hold for every Sigma_R, which gives the slopes.
    return CellParameters(theta, kappa, -theta / sigma, -2.0 * kappa / sigma, r.dsbPerCellPerGySem);
}

CellParameters CellParameters::fromThetaKappa(double theta, double kappa)
{
    requireNonNegative(theta, "theta (per DSB)");
    requireNonNegative(kappa, "kappa (per DSB^2)");
    return CellParameters(theta, kappa, 0.0, 0.0, 0.0);
}

}  // namespace kesp
