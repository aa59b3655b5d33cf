#include "kesp/physics/microdosimetry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <span>

#include "kesp/physics/stoppingPower.h"
#include "kesp/support/numberFormat.h"
#include "kesp/support/numerics.h"
#include "kesp/support/runError.h"

namespace kesp {

namespace {

constexpr double cmPerUm = 1e-4;
constexpr double chordWeightKeV = 2e12;      // 2/d^2 chord weighting, x in cm, d in um
constexpr double specificEnergyGy = 0.3059;  // 1 keV in a unit-density sphere of 1 um diameter, in Gy
constexpr double linealEnergyFactor = 0.204;  // about 0.3059 x 2/3: eps over the mean chord 2d/3
constexpr double doseCrossSection = 7.853981633974483;  // 10 pi / 4: pi d^2/4 in nGy cm^2

// Log-log interpolation in a range table: on the interval from entry i to
// entry i+1, ln E = slope(i) ln(x / R(i)) + ln E(i), with slope(i) =
// ln(E(i+1)/E(i)) / ln(R(i+1)/R(i)); the interval's constants are worked out
// once per table instead of at every evaluation.
struct RangeInterpolation {
    std::array<double, rangeTablePoints - 1> slope{};
    std::array<double, rangeTablePoints - 1> logEnergy{};
};

RangeInterpolation interpolationOf(const RangeTable& table)
{
    RangeInterpolation result;
    for (std::size_t i = 0; i + 1 < rangeTablePoints; ++i) {
        const double e1 = table.energyGrid[i];
        const double e2 = table.energyGrid[i + 1];
        const double r1 = table.rangeGrid[i];
        const double r2 = table.rangeGrid[i + 1];
        result.slope[i] = std::log(e2 / e1) / std::log(r2 / r1);
        result.logEnergy[i] = std::log(e1);
    }
    return result;
}

// The chord integrand of one particle and its range table, with Z^(-2/3) of
// its effective charge worked out once.
struct ChordIntegrand {
    const ParticleKind& particle;
    const RangeTable& table;
    const RangeInterpolation& interpolation;
    double chargePower;

    double operator()(double x) const;
};

// Kinetic energy (MeV) whose CSDA range is x (cm): log-log interpolation in the
// range table, extrapolated beyond its ends.
double energyAtRange(const ChordIntegrand& f, double x)
{
    const std::span<const double> ranges(f.table.rangeGrid);
    int j = tableLocate(ranges, x);
    j = std::clamp(j, 1, rangeTablePoints - 1);
    const auto lower = static_cast<std::size_t>(j - 1);
    const double r1 = f.table.rangeGrid[lower];
    return std::exp(f.interpolation.slope[lower] * std::log(x / r1)
                    + f.interpolation.logEnergy[lower]);
}

// Chord-weighted stopping power at path length x (cm) into the sphere: x^2
// times the energy deposited locally per unit path (radiative losses of the
// electron escape).
double ChordIntegrand::operator()(double x) const
{
    const std::int32_t Z = particle.Z;
    const double gamma = (particle.T - energyAtRange(*this, x)) / particle.restEnergy + 1.0;
    const double beta2 = 1.0 - 1.0 / (gamma * gamma);
    // Zeff = Z (1 - exp(-125 beta Z^(-2/3))), as effectiveCharge computes it.
    const double zeff =
        Z == -1 ? -1.0
                : static_cast<double>(Z) * (1.0 - std::exp(-125.0 * std::sqrt(beta2) * chargePower));
    const double zeb = zeff * zeff / beta2;
    const StoppingPair pair = stoppingPowerFit(Z, gamma, zeb);
    return x * x * (Z == -1 ? pair.electronic : pair.total);
}

}  // namespace

StoppingAndMicrodosimetry stoppingAndMicrodosimetry(const ParticleKind& particle,
                                                    const RangeTable& table, double d)
{
    const StoppingComponents s = stoppingPowerComponents(particle.Z, particle.restEnergy, particle.T);
    const double pathLength = std::min(table.rangeGrid[rangeTablePoints - 1], d * cmPerUm);
    const RangeInterpolation interpolation = interpolationOf(table);
    const ChordIntegrand f{particle, table, interpolation,
                           std::pow(static_cast<double>(particle.Z), -2.0 / 3.0)};
    const double integral = qromo(f, 0.0, pathLength, midpointStage);
    const double eps = chordWeightKeV * integral / (d * d);
    const double zf = specificEnergyGy * eps / (d * d * d);
    const double yf = zf * (d * d) / linealEnergyFactor;
    const double dpuf = doseCrossSection * (d * d) * zf;
    return {s.electronic, s.radiative, s.nuclear, s.total, dpuf, yf, zf};
}

void requireFiniteMicrodosimetry(double dpuf, double yf, double zf, double d)
{
    if (std::isfinite(dpuf) && std::isfinite(yf) && std::isfinite(zf)) {
        return;
    }
    stopRun(ErrorKind::physics, "The nucleus diameter " + renderNumber(d, "E5").text
            + " um (CELL: NDIA=) gives no finite microdosimetry (zf = " + renderNumber(zf, "E5").text
            + ", yf = " + renderNumber(yf, "E5").text
            + "); give the diameter of a cell nucleus in um, for example NDIA=5.");
}

}  // namespace kesp
