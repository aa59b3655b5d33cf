#include "kesp/report/scanRatios.h"

#include <cmath>

#include "kesp/report/scanText.h"

namespace kesp {

std::optional<YieldRatio> yieldRatio(const std::optional<YieldEstimate>& a, const std::optional<YieldEstimate>& b)
{
    if (!a || !b || b->mean == 0.0 || !std::isfinite(a->mean) || !std::isfinite(b->mean)) {
        return std::nullopt;
    }
    const double d = a->mean;
    const double r = b->mean;
    if (!a->sem || !b->sem) {
        return YieldRatio{d / r, std::nullopt};
    }
    const double x = *a->sem / r;
    const double y = d * *b->sem / (r * r);
    return YieldRatio{d / r, std::sqrt(x * x + y * y)};
}

std::vector<std::string> ratioFields(const std::optional<YieldRatio>& ratio)
{
    if (!ratio) {
        return {std::string(), std::string()};
    }
    return {shortestText(ratio->value), ratio->sem ? shortestText(*ratio->sem) : std::string()};
}

}  // namespace kesp
