#pragma once
/// \file
/// The ratios of two DSB yields that a scan's table gives beside a row's own
/// numbers (the RBE over the reference radiation, the OER over the lowest
/// oxygen level), each with its standard error.

#include <optional>
#include <string>
#include <vector>

namespace kesp {

/// A mean with its standard error (SEM); no SEM for a run of one cell.
struct YieldEstimate {
    double mean = 0.0;          ///< the yield, DSB per cell per Gy
    std::optional<double> sem;  ///< its SEM, same unit; none for a run of one cell
};

/// A ratio of two yields and its standard error.
struct YieldRatio {
    double value = 0.0;         ///< the ratio (dimensionless)
    std::optional<double> sem;  ///< its SEM to first order; none when a yield has none
};

/// The ratio a/b with the SEM propagated to first order from the two SEMs,
/// taken as independent: sigma^2 = (sa/b)^2 + (a sb/b^2)^2, in the same
/// absolute form for every ratio (it also holds for a = 0). Nothing when
/// either yield is missing or b is 0; no SEM when either SEM is missing.
std::optional<YieldRatio> yieldRatio(const std::optional<YieldEstimate>& a, const std::optional<YieldEstimate>& b);

/// The ratio as two table fields, value and SEM, each empty where missing.
std::vector<std::string> ratioFields(const std::optional<YieldRatio>& ratio);

}  // namespace kesp
