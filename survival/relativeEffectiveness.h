#pragma once
/// \file
/// The relative biological effectiveness (RBE) of a radiation for cell
/// killing against the cell's reference radiation under the same
/// conditions, and the oxygen enhancement ratio (OER) for cell killing, from
/// linear-quadratic coefficients; each with its first-order SEM. The
/// reference's coefficients are measuredCoefficients(alpha_R, beta_R) under
/// the conditions of their measurement, and what the model gives from a
/// reference run under others.

#include "kesp/survival/cellParameters.h"
#include "kesp/survival/linearQuadratic.h"

namespace kesp {

/// A ratio with its standard error.
struct RatioEstimate {
    double value = 0.0;  ///< the ratio (dimensionless)
    double sem = 0.0;    ///< its standard error to first order
};

/// RBE_LD = alpha / alpha_R, the limit at low dose.
RatioEstimate rbeLowDose(const LinearQuadratic& particle, const LinearQuadratic& reference);
/// RBE_HD = sqrt(beta / beta_R) (= Sigma / Sigma_R), the limit at high dose.
RatioEstimate rbeHighDose(const LinearQuadratic& particle, const LinearQuadratic& reference);
/// The RBE at a particle dose D > 0 Gy: D_R / D with
/// alpha_R D_R + beta_R D_R^2 = alpha D + beta D^2.
RatioEstimate rbeAtDose(const LinearQuadratic& particle, const LinearQuadratic& reference, double doseGy);
/// The RBE at a reference dose D_R > 0 Gy: D_R over the particle dose of the
/// same survival.
RatioEstimate rbeAtReferenceDose(const LinearQuadratic& particle, const LinearQuadratic& reference,
                                 double referenceDoseGy);
/// The RBE at a survival level 0 < S < 1: D_R(S) / D(S).
RatioEstimate rbeAtSurvival(const LinearQuadratic& particle, const LinearQuadratic& reference,
                            double survival);

/// The OER for cell killing at a survival level 0 < S < 1: the dose for S
/// under hypoxia over the dose for S aerobic (both of the same cell).
RatioEstimate oerAtSurvival(const LinearQuadratic& hypoxic, const LinearQuadratic& aerobic, double survival);
/// Its low-dose limit alpha_aerobic / alpha_hypoxic.
RatioEstimate oerLowDose(const LinearQuadratic& hypoxic, const LinearQuadratic& aerobic);
/// Its high-dose limit sqrt(beta_aerobic / beta_hypoxic).
RatioEstimate oerHighDose(const LinearQuadratic& hypoxic, const LinearQuadratic& aerobic);

}  // namespace kesp
