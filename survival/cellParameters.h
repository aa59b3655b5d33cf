#pragma once
/// \file
/// The constants of a cell line in the repair-misrepair-fixation model of
/// cell killing: theta and kappa, which turn the DSB yield per cell per Gy
/// (Sigma) and the frequency-mean specific energy of the nucleus (zF) into
/// the linear-quadratic coefficients of survival,
///
///     alpha = theta Sigma + kappa zF Sigma^2,   beta = (kappa / 2) Sigma^2
///
/// (Carlson et al., Radiat Res 169:447-459, 2008; Stewart et al., Med Phys
/// 45:e925-e952, 2018).

namespace kesp {

/// A reference radiation as a user knows it: its measured alpha and beta for
/// the cell line, and a KESP run of it under the same cell and oxygen
/// conditions (its DSB yield with SEM and its zF).
struct ReferenceRadiation {
    double alphaPerGy = 0.0;         ///< measured alpha_R, Gy^-1
    double betaPerGy2 = 0.0;         ///< measured beta_R, Gy^-2
    double dsbPerCellPerGy = 0.0;    ///< Sigma_R, DSB per cell per Gy from the run
    double dsbPerCellPerGySem = 0.0; ///< SEM of Sigma_R (0 when not known)
    double zFGy = 0.0;               ///< frequency-mean specific energy of the nucleus, Gy
};

/// theta and kappa of a cell line, with how they move with the reference
/// run's DSB yield when they came from one (for the standard errors).
class CellParameters {
public:
    /// From a reference radiation: kappa = 2 beta_R / Sigma_R^2 and
    /// theta = (alpha_R - kappa zF_R Sigma_R^2) / Sigma_R. Throws RunError of
    /// kind input, naming the values, for a Sigma_R that is not positive,
    /// alpha_R or beta_R below 0, or a negative theta.
    static CellParameters fromReference(const ReferenceRadiation& reference);
    /// Given directly (theta >= 0 per DSB, kappa >= 0 per DSB^2); throws
    /// RunError of kind input otherwise.
    static CellParameters fromThetaKappa(double theta, double kappa);

    /// theta, per DSB: the share of DSB that become lethal on their own
    /// (first-order misrepair and fixation).
    double theta() const { return theta_; }
    /// kappa, per DSB^2: the lethal lesions formed by pairs of DSB (binary
    /// misrepair).
    double kappa() const { return kappa_; }
    /// d theta / d Sigma_R; 0 when given directly.
    double thetaSlope() const { return thetaSlope_; }
    /// d kappa / d Sigma_R; 0 when given directly.
    double kappaSlope() const { return kappaSlope_; }
    /// The SEM of the reference run's Sigma_R; 0 when given directly.
    double referenceDsbSem() const { return referenceDsbSem_; }

private:
    CellParameters(double theta, double kappa, double thetaSlope, double kappaSlope, double referenceSem)
        : theta_(theta), kappa_(kappa), thetaSlope_(thetaSlope), kappaSlope_(kappaSlope),
          referenceDsbSem_(referenceSem)
    {
    }

    double theta_;
    double kappa_;
    double thetaSlope_;
    double kappaSlope_;
    double referenceDsbSem_;
};

}  // namespace kesp
