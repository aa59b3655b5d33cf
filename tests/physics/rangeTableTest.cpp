#include "kesp/physics/rangeTable.h"

#include <gtest/gtest.h>

#include <cmath>

#include "kesp/physics/effectiveCharge.h"
#include "kesp/physics/stoppingPower.h"

namespace kesp {
namespace {

// Rest energies of the default mass constants: the proton's own, the electron's
// and helium-4's atomic mass less two electrons.
constexpr double protonRest = 938.272013;
constexpr double electronRest = 0.510999;
constexpr double alphaRest = 4.0026032497 * 931.494 - 2.0 * 0.510999;

// The range integrals read only Z, the rest energy and (for the table) T.
ParticleKind particleKind(std::int32_t Z, double restEnergy, double T = 0.0)
{
    return ParticleKind{Z, 0, restEnergy, T};
}

TEST(RangeTableTest, csdaRangeIsZeroAtAndBelowTheLowerLimit)
{
    const ParticleKind proton = particleKind(1, protonRest);
    EXPECT_EQ(csdaRange(proton, 1.1920928955078125e-7), 0.0);  // 2^-23 MeV
    EXPECT_EQ(csdaRange(proton, 0.0), 0.0);
    EXPECT_EQ(csdaRange(proton, -1.0), 0.0);
    EXPECT_GT(csdaRange(proton, 1.2e-7), 0.0);
}

TEST(RangeTableTest, inverseStoppingPowerIsTheReciprocalOfTheFit)
{
    struct Case { std::int32_t Z; double restEnergy; double energy; };
    const Case cases[] = {
        {-1, electronRest, 1.0}, {1, protonRest, 10.0}, {2, alphaRest, 40.0},
    };
    for (const Case& c : cases) {
        const ParticleKind kind = particleKind(c.Z, c.restEnergy);
        const double gamma = c.energy / c.restEnergy + 1.0;
        const double beta2 = 1.0 - 1.0 / (gamma * gamma);
        const double zeff = c.Z == -1 ? -1.0 : effectiveCharge(c.Z, std::sqrt(beta2));
        // Total stopping power: radiative losses count towards the electron range.
        const double total = stoppingPowerFit(c.Z, gamma, zeff * zeff / beta2).total;
        EXPECT_NEAR(inverseStoppingPower(kind, c.energy), 0.1 / total, 1e-14 / total) << "Z = " << c.Z;
    }
    // Energies at or below 0 contribute nothing; the tiniest positive ones are
    // taken as 1e-6 MeV.
    const ParticleKind alpha = particleKind(2, alphaRest);
    EXPECT_EQ(inverseStoppingPower(alpha, 0.0), 0.0);
    EXPECT_EQ(inverseStoppingPower(alpha, -5.0), 0.0);
    EXPECT_EQ(inverseStoppingPower(alpha, 1e-20), inverseStoppingPower(alpha, 1e-6));
}

TEST(RangeTableTest, knownParticlesHavePlausibleRanges)
{
    // Ranges the fits give (cm), checked against the CSDA ranges of these
    // particles in water: 10 MeV proton 0.123, 1 MeV electron 0.437; the 40 MeV
    // alpha particle has the proton's speed at 10 MeV/u and so nearly its range.
    struct Case { const char* name; std::int32_t Z; double restEnergy; double T; double low; double high; };
    const Case cases[] = {
        {"10 MeV proton", 1, protonRest, 10.0, 0.120, 0.127},
        {"1 MeV electron", -1, electronRest, 1.0, 0.430, 0.445},
        {"40 MeV alpha", 2, alphaRest, 40.0, 0.120, 0.128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ParticleKind kind = particleKind(c.Z, c.restEnergy, c.T);
        const RangeTable table = computeRangeTable(kind);
        const double range = csdaRange(kind, c.T);
        EXPECT_GT(range, c.low);
        EXPECT_LT(range, c.high);
        // The last grid point is T up to rounding, so its range is the particle's.
        EXPECT_NEAR(table.energyGrid[99], c.T, 1e-13 * c.T);
        EXPECT_NEAR(table.rangeGrid[99], range, 1e-12 * range);
    }
}

TEST(RangeTableTest, rangeTableIsGeometricInEnergyAndRisingInRange)
{
    const ParticleKind proton = particleKind(1, protonRest, 10.0);
    const RangeTable table = computeRangeTable(proton);
    const double ratio = std::exp(std::log(10.0 / 1e-6) / 100.0);
    EXPECT_DOUBLE_EQ(table.energyGrid[0], 1e-6 * ratio);
    for (std::size_t i = 1; i < table.energyGrid.size(); ++i) {
        EXPECT_DOUBLE_EQ(table.energyGrid[i] / table.energyGrid[i - 1], ratio) << "entry " << i + 1;
        EXPECT_GT(table.rangeGrid[i], table.rangeGrid[i - 1]) << "entry " << i + 1;
    }
    // Every entry is a fresh integral from the lower limit.
    EXPECT_EQ(table.rangeGrid[49], csdaRange(proton, table.energyGrid[49]));
}

TEST(RangeTableTest, integrandIsTheFormulaWrittenOutBitForBit)
{
    // The integrand works out Z^(-2/3) once per particle; the value must be
    // the one the effective-charge formula gives at every evaluation.
    for (const std::int32_t Z : {1, 2, 6, 26, 92}) {
        const ParticleKind kind{Z, 2 * Z, 931.494 * 2 * Z, 100.0};
        for (const double energy : {2e-7, 1e-6, 0.01, 1.0, 100.0}) {
            const double gamma = energy / kind.restEnergy + 1.0;
            const double u = std::log(gamma);
            const double beta2 = 1.0 - 1.0 / (gamma * gamma);
            const double zeff = effectiveCharge(Z, std::sqrt(beta2));
            const double a = Z == 1 ? protonElectronic(u) : ionElectronic(u);
            const double b = Z == 1 ? protonNuclear(u) : ionNuclear(u);
            EXPECT_EQ(inverseStoppingPower(kind, energy), 0.1 / ((a + b) * (zeff * zeff / beta2)))
                << "Z = " << Z << ", E = " << energy;
        }
    }
}

}  // namespace
}  // namespace kesp
