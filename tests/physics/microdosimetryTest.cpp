#include "kesp/physics/microdosimetry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "kesp/physics/effectiveCharge.h"
#include "kesp/physics/rangeTable.h"
#include "kesp/physics/stoppingPower.h"
#include "kesp/support/numerics.h"
#include "kesp/support/runError.h"

namespace kesp {
namespace {

constexpr double protonRest = 938.272013;
constexpr double electronRest = 0.510999;

// The chord integral reads only Z, the rest energy and T.
ParticleKind particleKind(std::int32_t Z, double restEnergy, double T)
{
    return ParticleKind{Z, 0, restEnergy, T};
}

// Mean energy imparted per event (keV), recovered from zf.
double energyPerEvent(const StoppingAndMicrodosimetry& m, double d)
{
    return m.zf * d * d * d / 0.3059;
}

TEST(MicrodosimetryTest, linealEnergyAndDosePerFluenceFollowFromSpecificEnergy)
{
    const ParticleKind proton = particleKind(1, protonRest, 10.0);
    const RangeTable table = computeRangeTable(proton);
    for (const double d : {1.0, 5.0, 8.3}) {
        const StoppingAndMicrodosimetry m = stoppingAndMicrodosimetry(proton, table, d);
        EXPECT_GT(m.zf, 0.0);
        EXPECT_EQ(m.yf, m.zf * (d * d) / 0.204) << "d = " << d;
        EXPECT_EQ(m.dpuf, 7.853981633974483 * (d * d) * m.zf) << "d = " << d;
    }
}

TEST(MicrodosimetryTest, constantStoppingPowerImpartsItTimesTheMeanChord)
{
    // A hand-made table in which every range belongs to the same energy E0, so
    // the particle keeps T - E0 along the whole chord.
    const double T = 10.0;
    const double e0 = 4.0;
    RangeTable table;
    for (std::size_t i = 0; i < table.rangeGrid.size(); ++i) {
        table.energyGrid[i] = e0;
        table.rangeGrid[i] = 1e-6 * std::pow(1.1, static_cast<double>(i));  // up to 0.0125 cm
    }
    const double gamma = (T - e0) / protonRest + 1.0;
    const double beta2 = 1.0 - 1.0 / (gamma * gamma);
    const double zeff = effectiveCharge(1, std::sqrt(beta2));
    const double s = stoppingPowerFit(1, gamma, zeff * zeff / beta2).total;
    const double d = 5.0;
    const StoppingAndMicrodosimetry m = stoppingAndMicrodosimetry(particleKind(1, protonRest, T), table, d);
    EXPECT_NEAR(energyPerEvent(m, d), 2.0 * s * d / 3.0, 1e-12 * s * d);
    // The stopping-power half uses T itself, not the table.
    EXPECT_EQ(m.sTotal, stoppingPowerComponents(1, protonRest, T).total);
}

TEST(MicrodosimetryTest, emptyRangeTableGivesNoEnergyPerEvent)
{
    // The first particle set-up of a run meets the all-zero table.
    const StoppingAndMicrodosimetry m =
        stoppingAndMicrodosimetry(particleKind(-1, electronRest, 1.0), RangeTable{}, 5.0);
    EXPECT_EQ(m.zf, 0.0);
    EXPECT_EQ(m.yf, 0.0);
    EXPECT_EQ(m.dpuf, 0.0);
    EXPECT_GT(m.sElectronic, 0.0);
    EXPECT_EQ(m.sNuclear, 0.0);
}

TEST(MicrodosimetryTest, trackEndingInsideTheSphereStopsTheChordIntegral)
{
    // A 0.1 MeV proton stops within about 1.5 um: beyond that the integral no
    // longer grows with d, so zf d^3 is the same for both diameters.
    const ParticleKind proton = particleKind(1, protonRest, 0.1);
    const RangeTable table = computeRangeTable(proton);
    ASSERT_LT(table.rangeGrid[99], 3e-4);
    const double small = energyPerEvent(stoppingAndMicrodosimetry(proton, table, 3.0), 3.0);
    const double large = energyPerEvent(stoppingAndMicrodosimetry(proton, table, 6.0), 6.0);
    EXPECT_NEAR(large * 6.0 * 6.0, small * 3.0 * 3.0, 1e-12 * small * 9.0);
}

TEST(MicrodosimetryTest, electronDepositsOnlyItsCollisionalLoss)
{
    // 1 MeV electron through 5 um: its energy barely changes, so eps is close
    // to the collisional stopping power times the mean chord 10/3 um (within
    // 0.2 %; the total stopping power would be 0.7 % higher).
    const ParticleKind electron = particleKind(-1, electronRest, 1.0);
    const StoppingAndMicrodosimetry m = stoppingAndMicrodosimetry(electron, computeRangeTable(electron), 5.0);
    EXPECT_NEAR(energyPerEvent(m, 5.0), m.sElectronic * 10.0 / 3.0, 2e-3 * m.sElectronic * 10.0 / 3.0);
    EXPECT_GT(m.sRadiative, 0.0);
}

// The chord integrand written out from the formulas, with every logarithm
// taken at every evaluation.
struct PlainChordIntegrand {
    const ParticleKind& p;
    const RangeTable& table;

    double operator()(double x) const
    {
        int j = tableLocate(table.rangeGrid, x);
        j = std::clamp(j, 1, rangeTablePoints - 1);
        const auto i = static_cast<std::size_t>(j - 1);
        const double e1 = table.energyGrid[i];
        const double e2 = table.energyGrid[i + 1];
        const double r1 = table.rangeGrid[i];
        const double r2 = table.rangeGrid[i + 1];
        const double energy =
            std::exp(std::log(e2 / e1) / std::log(r2 / r1) * std::log(x / r1) + std::log(e1));
        const double gamma = (p.T - energy) / p.restEnergy + 1.0;
        const double beta2 = 1.0 - 1.0 / (gamma * gamma);
        const double zeff = p.Z == -1 ? -1.0 : effectiveCharge(p.Z, std::sqrt(beta2));
        const StoppingPair pair = stoppingPowerFit(p.Z, gamma, zeff * zeff / beta2);
        return x * x * (p.Z == -1 ? pair.electronic : pair.total);
    }
};

TEST(MicrodosimetryTest, specificEnergyIsThePlainChordIntegralBitForBit)
{
    const double alphaRest = 4.0026032497 * 931.494 - 2.0 * 0.510999;
    struct Case {
        std::int32_t Z;
        double restEnergy;
        double T;
        double d;
    };
    // A range longer and one shorter than the diameter, electron, proton, ion.
    for (const Case& c : {Case{1, protonRest, 10.0, 5.0}, Case{1, protonRest, 0.3, 8.0},
                          Case{-1, electronRest, 1.0, 5.0}, Case{2, alphaRest, 8.0, 3.0}}) {
        const ParticleKind kind = particleKind(c.Z, c.restEnergy, c.T);
        const RangeTable table = computeRangeTable(kind);
        const double path = std::min(table.rangeGrid[rangeTablePoints - 1], c.d * 1e-4);
        const double eps = 2e12 * qromo(PlainChordIntegrand{kind, table}, 0.0, path) / (c.d * c.d);
        EXPECT_EQ(stoppingAndMicrodosimetry(kind, table, c.d).zf, 0.3059 * eps / (c.d * c.d * c.d))
            << "Z = " << c.Z << ", T = " << c.T;
    }
}

TEST(MicrodosimetryTest, diameterFarOutsideACellsStopsTheRun)
{
    const ParticleKind proton = particleKind(1, protonRest, 10.0);
    const RangeTable table = computeRangeTable(proton);
    const StoppingAndMicrodosimetry usual = stoppingAndMicrodosimetry(proton, table, 5.0);
    EXPECT_NO_THROW(requireFiniteMicrodosimetry(usual.dpuf, usual.yf, usual.zf, 5.0));
    for (const double d : {1e300, 1e-300}) {
        const StoppingAndMicrodosimetry m = stoppingAndMicrodosimetry(proton, table, d);
        try {
            requireFiniteMicrodosimetry(m.dpuf, m.yf, m.zf, d);
            ADD_FAILURE() << "no stop at d = " << d;
        } catch (const RunError& error) {
            EXPECT_PRED_FORMAT2(::testing::IsSubstring, "um (CELL: NDIA=) gives no finite microdosimetry",
                                error.what());
        }
    }
}

}  // namespace
}  // namespace kesp
