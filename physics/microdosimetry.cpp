#include "physics/microdosimetry.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "physics/effectiveCharge.h"
#include "physics/particleState.h"
#include "physics/stoppingPower.h"
#include "support/numerics.h"

namespace kesp {

namespace {

constexpr double cmPerUm = 1e-4;
constexpr double chordWeightKeV = 2e12;      // 2/d^2 chord weighting, x in cm, d in um
constexpr double specificEnergyGy = 0.3059;  // 1 keV in a unit-density sphere of 1 um diameter, in Gy
constexpr double linealEnergyFactor = 0.204;  // about 0.3059 x 2/3: eps over the mean chord 2d/3
constexpr double doseCrossSection = 7.853981633974483;  // 10 pi / 4: pi d^2/4 in nGy cm^2

// Kinetic energy (MeV) whose CSDA range is x (cm): log-log interpolation in the
// range table, extrapolated beyond its ends.
double energyAtRange(const ParticleState& state, double x)
{
    const std::span<const double> ranges(state.rangeGrid);
    int j = tableLocate(ranges, x);
    j = std::clamp(j, 1, rangeTablePoints - 1);
    const auto lower = static_cast<std::size_t>(j - 1);
    const double e1 = state.energyGrid[lower];
    const double e2 = state.energyGrid[lower + 1];
    const double r1 = state.rangeGrid[lower];
    const double r2 = state.rangeGrid[lower + 1];
    return std::exp(std::log(e2 / e1) / std::log(r2 / r1) * std::log(x / r1) + std::log(e1));
}

// Chord-weighted stopping power at path length x (cm) into the sphere: x^2
// times the energy deposited locally per unit path (radiative losses of the
// electron escape).
double chordIntegrand(double x)
{
    const ParticleState& state = particleState();
    const std::int32_t Z = state.Z;
    const double gamma = (state.T - energyAtRange(state, x)) / state.restEnergy + 1.0;
    const double beta2 = 1.0 - 1.0 / (gamma * gamma);
    const double zeff = Z == -1 ? -1.0 : effectiveCharge(Z, std::sqrt(beta2));
    const double zeb = zeff * zeff / beta2;
    const StoppingPair pair = stoppingPowerFit(Z, gamma, zeb);
    return x * x * (Z == -1 ? pair.electronic : pair.total);
}

}  // namespace

StoppingAndMicrodosimetry stoppingAndMicrodosimetry(std::int32_t Z, double restEnergy, double T,
                                                    double d)
{
    const StoppingComponents s = stoppingPowerComponents(Z, restEnergy, T);
    const double pathLength = std::min(particleState().rangeGrid[rangeTablePoints - 1], d * cmPerUm);
    const double integral = qromo(chordIntegrand, 0.0, pathLength, midpointStage);
    const double eps = chordWeightKeV * integral / (d * d);
    const double zf = specificEnergyGy * eps / (d * d * d);
    const double yf = zf * (d * d) / linealEnergyFactor;
    const double dpuf = doseCrossSection * (d * d) * zf;
    return {s.electronic, s.radiative, s.nuclear, s.total, dpuf, yf, zf};
}

}  // namespace kesp
