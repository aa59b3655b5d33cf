#pragma once
/// \file
/// The linear-quadratic coefficients of cell survival, S(D) = exp(-alpha D -
/// beta D^2), of a radiation from its DSB yield and zF through the cell's
/// parameters; a mixed field mixes its components by their dose fractions:
///
///     alpha = theta <Sigma> + kappa <zF Sigma^2>,   beta = (kappa / 2) <Sigma>^2.
///
/// Standard errors follow to first order from the SEMs of the DSB yields,
/// the reference run's among them; the runs are independent.

#include <span>
#include <vector>

#include "kesp/survival/cellParameters.h"

namespace kesp {

/// One radiation (or one component of a mixed field) as a KESP run gives it.
struct DsbSource {
    double doseFraction = 1.0;        ///< share of the absorbed dose (1 for a single particle)
    double dsbPerCellPerGy = 0.0;     ///< Sigma, DSB per cell per Gy
    double dsbPerCellPerGySem = 0.0;  ///< SEM of Sigma (0 when not known)
    double zFGy = 0.0;                ///< frequency-mean specific energy of the nucleus, Gy
    /// Whether this is the cell's reference run itself (the yield the cell
    /// parameters came from), so that its SEM is counted once.
    bool referenceRun = false;
};

/// How alpha and beta move with one of the independent DSB yields they come
/// from, and that yield's SEM.
struct Sensitivity {
    bool reference = false;  ///< the reference run's yield (shared by every radiation of the cell)
    double alphaSlope = 0.0; ///< d alpha / d Sigma of this yield, Gy^-1 per (DSB per cell per Gy)
    double betaSlope = 0.0;  ///< d beta / d Sigma of this yield, Gy^-2 per (DSB per cell per Gy)
    double sem = 0.0;        ///< the SEM of this yield, DSB per cell per Gy
};

/// alpha (Gy^-1) and beta (Gy^-2) with their SEMs and what they depend on.
struct LinearQuadratic {
    double alphaPerGy = 0.0;  ///< alpha, Gy^-1
    double betaPerGy2 = 0.0;  ///< beta, Gy^-2
    double alphaSem = 0.0;    ///< SEM of alpha to first order, Gy^-1
    double betaSem = 0.0;     ///< SEM of beta to first order, Gy^-2
    std::vector<Sensitivity> sensitivities;  ///< one per independent DSB yield alpha and beta come from
};

/// The coefficients of a radiation of one or more components (dose
/// fractions > 0, normalised here). Throws RunError of kind input for no
/// component, a dose fraction or yield below 0, or fractions that add to 0.
LinearQuadratic linearQuadratic(const CellParameters& cell, std::span<const DsbSource> components);

/// S(D) = exp(-alpha D - beta D^2) at a dose D >= 0 Gy.
double survivalFraction(double alphaPerGy, double betaPerGy2, double doseGy);

/// The dose (Gy) that leaves the survival fraction S (0 < S <= 1). Throws
/// RunError of kind input for S outside (0, 1] or alpha and beta both 0.
double doseForSurvival(double alphaPerGy, double betaPerGy2, double survival);

/// The coefficients as measured, exactly (the reference radiation under the
/// conditions of its measurement): no SEM, nothing they depend on.
LinearQuadratic measuredCoefficients(double alphaPerGy, double betaPerGy2);

/// The coefficients of one radiation with the partial derivatives of a
/// function f in its alpha and beta.
struct CoefficientSlopes {
    const LinearQuadratic& coefficients;  ///< the radiation's alpha and beta with their sensitivities
    double alpha = 0.0;                   ///< d f / d alpha of this radiation
    double beta = 0.0;                    ///< d f / d beta of this radiation
};

/// The SEM to first order of f of the coefficients of one or more
/// radiations of one cell: their own yields are independent, the reference
/// run's (which the cell parameters came from) is shared and counted once.
double semOf(std::span<const CoefficientSlopes> terms);

/// The SEM of f(alpha, beta) to first order, from its partial derivatives.
double semOf(const LinearQuadratic& lq, double slopeAlpha, double slopeBeta);

}  // namespace kesp
