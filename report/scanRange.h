#pragma once
// The values of a range of a number item (from, to, points, spacing), worked
// out the same way for a scan file and for the web page's curves.

#include <string>
#include <vector>

namespace kesp {

enum class RangeSpacing {
    linear,
    log,  // evenly in log10, so that a range from 1 to 100 passes through 10 exactly
};

/// A range as written: both ends and the number of values.
struct ScanRange {
    double from = 0.0;
    double to = 0.0;
    double points = 0.0;  // a whole number from 2 to maxConfigurations
    RangeSpacing spacing = RangeSpacing::linear;
};

/// What is wrong with the range ("points must be a whole number ..."),
/// empty when nothing is.
std::string rangeProblem(const ScanRange& range);

/// The range's values, both ends exactly as given; the range must have no
/// problem.
std::vector<double> rangeValues(const ScanRange& range);

}  // namespace kesp
