#include "physics/rangeTable.h"

#include <cmath>
#include <cstddef>

#include "physics/effectiveCharge.h"
#include "physics/particleState.h"
#include "physics/stoppingPower.h"
#include "support/numerics.h"

namespace kesp {

namespace {

constexpr double smallestEnergyMeV = 1e-6;              // start of the range table
constexpr double negligibleEnergyMeV = 2.220446049250313e-16;  // 2^-52
constexpr double keVPerUmToMeVPerCmInverse = 0.1;       // 1 keV/um = 10 MeV/cm

}  // namespace

double inverseStoppingPower(double energy)
{
    ParticleState& state = particleState();
    double gamma = 0.0;
    if (energy > negligibleEnergyMeV) {
        gamma = energy / state.restEnergy + 1.0;
    } else if (energy > 0.0) {
        gamma = smallestEnergyMeV / state.restEnergy + 1.0;
    } else {
        return 0.0;
    }
    const double u = std::log(gamma);
    const double beta2 = 1.0 - 1.0 / (gamma * gamma);
    const std::int32_t Z = state.Z;
    if (Z == -1) {
        const double zeb = static_cast<double>(Z * Z) / beta2;
        return keVPerUmToMeVPerCmInverse / ((electronCollisional(u) + electronRadiative(u)) * zeb);
    }
    state.zeff = effectiveCharge(Z, std::sqrt(beta2));
    const double zeb = state.zeff * state.zeff / beta2;
    const double a = Z == 1 ? protonElectronic(u) : ionElectronic(u);
    const double b = Z == 1 ? protonNuclear(u) : ionNuclear(u);
    return keVPerUmToMeVPerCmInverse / ((a + b) * zeb);
}

double csdaRange(double energy)
{
    if (energy > rangeLowerLimitMeV) {
        return qromo(inverseStoppingPower, rangeLowerLimitMeV, energy, midpointStage);
    }
    return 0.0;
}

void buildRangeTable()
{
    ParticleState& state = particleState();
    const double ratio = std::exp(std::log(state.T / smallestEnergyMeV) / rangeTablePoints);
    double e = smallestEnergyMeV;
    for (std::size_t i = 0; i < state.energyGrid.size(); ++i) {
        e = e * ratio;
        state.energyGrid[i] = e;
        // Each entry is integrated from the lower limit anew.
        state.rangeGrid[i] = qromo(inverseStoppingPower, rangeLowerLimitMeV, e, midpointStage);
    }
}

}  // namespace kesp
