#include "kesp/physics/effectiveCharge.h"

#include <cmath>

namespace kesp {

double chargeFraction(std::int32_t Z, double beta)
{
    return 1.0 - std::exp(-125.0 * beta * std::pow(static_cast<double>(Z), -2.0 / 3.0));
}

double effectiveCharge(std::int32_t Z, double beta)
{
    return static_cast<double>(Z) * chargeFraction(Z, beta);
}

}  // namespace kesp
