#include "kesp/report/scanRange.h"

#include <cmath>
#include <cstddef>

#include "kesp/report/scanDefinition.h"
#include "kesp/report/scanText.h"

namespace kesp {

std::string rangeProblem(const ScanRange& range)
{
    if (range.points != std::floor(range.points) || range.points < 2.0
        || range.points > static_cast<double>(maxConfigurations)) {
        return "points must be a whole number from 2 to " + std::to_string(maxConfigurations) + ", not "
               + shortestText(range.points);
    }
    if (range.spacing == RangeSpacing::log && !(range.from > 0.0 && range.to > 0.0)) {
        return "a log range needs from and to above 0";
    }
    return {};
}

std::vector<double> rangeValues(const ScanRange& range)
{
    const auto count = static_cast<std::size_t>(range.points);
    const double last = static_cast<double>(count - 1);
    std::vector<double> values;
    values.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double share = static_cast<double>(i) / last;
        double value = range.spacing == RangeSpacing::log
                           ? std::pow(10.0, std::log10(range.from)
                                                + share * (std::log10(range.to) - std::log10(range.from)))
                           : range.from + share * (range.to - range.from);
        value = i == 0 ? range.from : i + 1 == count ? range.to : value;
        values.push_back(value);
    }
    return values;
}

}  // namespace kesp
