#include "kesp/physics/stoppingPower.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kesp/physics/effectiveCharge.h"

namespace kesp {
namespace {

using Fit = double (*)(double);

void expectRelativelyNear(double actual, double expected, double tolerance = 1e-12)
{
    EXPECT_NEAR(actual, expected, std::fabs(expected) * tolerance);
}

TEST(StoppingPowerTest, fitsMatchValuesEvaluatedIndependently)
{
    // Reference values evaluated with Python from the fit formulas written out as
    // sums of powers (not by Horner's rule).
    struct Case { const char* name; Fit fit; double u; double expected; };
    const Case cases[] = {
        {"protonElectronic", protonElectronic, 1e-3, 0.05663365160393063},
        {"protonElectronic", protonElectronic, 0.1, 0.13214948752785344},
        {"protonNuclear", protonNuclear, 1e-3, 4.614908789321098e-05},
        {"protonNuclear", protonNuclear, 0.1, 5.4322303178206396e-05},
        {"ionElectronic", ionElectronic, 1e-4, 0.02271836788997348},
        {"ionElectronic", ionElectronic, 0.1, 0.1330173953739761},
        {"ionNuclear", ionNuclear, 1e-4, 7.339811050576198e-05},
        {"ionNuclear", ionNuclear, 0.1, 5.5386180121101764e-05},
        {"electronCollisional", electronCollisional, 1e-2, 0.07359400510758796},
        {"electronCollisional", electronCollisional, 1.0, 0.15985147454267837},
        {"electronRadiative", electronRadiative, 1e-2, 7.529820985596048e-06},
        {"electronRadiative", electronRadiative, 1.0, 0.001028354253286424},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " at u = " << c.u);
        expectRelativelyNear(c.fit(c.u), c.expected);
    }
}

TEST(StoppingPowerTest, fitsAreConstantAtAndBelowTheirThresholds)
{
    struct Case { Fit fit; double threshold; double constant; };
    const Case cases[] = {
        {protonElectronic, 1.06577e-9, 0.0004735088},
        {protonNuclear, 1.06577e-9, 0.0003886855},
        {ionElectronic, 2.68284e-10, 0.0002075195},
        {ionNuclear, 2.68284e-10, 0.001086234},
        {electronCollisional, 1.95695e-6, 7.83384e-6},
        {electronRadiative, 1.95695e-6, 1.972456e-13},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "threshold " << c.threshold);
        EXPECT_EQ(c.fit(c.threshold), c.constant);
        EXPECT_EQ(c.fit(0.0), c.constant);
        EXPECT_EQ(c.fit(-1.0), c.constant);
        // Just above the threshold the formula takes over, not far from the
        // constant (the largest step, 12 %, is the electron's collisional fit).
        const double above = c.fit(c.threshold * 1.000001);
        EXPECT_NE(above, c.constant);
        EXPECT_NEAR(above, c.constant, 0.15 * c.constant);
    }
}

TEST(StoppingPowerTest, fitPairDependsOnTheKindOfParticle)
{
    const double gamma = 1.01;
    const double u = std::log(gamma);
    const double zeb = 37.5;
    struct Case { std::int32_t Z; Fit a; Fit b; };
    const Case cases[] = {
        {-1, electronCollisional, electronRadiative},
        {1, protonElectronic, protonNuclear},
        {2, ionElectronic, ionNuclear},
        {26, ionElectronic, ionNuclear},
    };
    for (const Case& c : cases) {
        const StoppingPair pair = stoppingPowerFit(c.Z, gamma, zeb);
        EXPECT_EQ(pair.electronic, c.a(u) * zeb) << "Z = " << c.Z;
        EXPECT_EQ(pair.total, (c.a(u) + c.b(u)) * zeb) << "Z = " << c.Z;
    }
}

TEST(StoppingPowerTest, noSpeedGivesNoStoppingPower)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const double gamma : {1.0, 0.5, nan}) {
        for (const std::int32_t Z : {-1, 1, 6}) {
            const StoppingPair pair = stoppingPowerFit(Z, gamma, 10.0);
            EXPECT_EQ(pair.electronic, 0.0) << "Z = " << Z << " gamma = " << gamma;
            EXPECT_EQ(pair.total, 0.0) << "Z = " << Z << " gamma = " << gamma;
        }
    }
    const StoppingComponents atRest = stoppingPowerComponents(6, 11174.86, 0.0);
    EXPECT_EQ(atRest.total, 0.0);
    EXPECT_EQ(atRest.electronic, 0.0);
}

TEST(StoppingPowerTest, protonAtTenMeVMatchesFit)
{
    const double restEnergy = 938.272013;
    const double gamma = 10.0 / restEnergy + 1.0;
    const double beta2 = 1.0 - 1.0 / (gamma * gamma);
    const double zeff = 1.0 - std::exp(-125.0 * std::sqrt(beta2));
    const double zeb = zeff * zeff / beta2;
    const double u = std::log(1.0 + 10.0 / restEnergy);
    const StoppingComponents s = stoppingPowerComponents(1, restEnergy, 10.0);
    EXPECT_DOUBLE_EQ(s.electronic, protonElectronic(u) * zeb);
    expectRelativelyNear(s.nuclear, protonNuclear(u) * zeb);  // total minus electronic
    EXPECT_EQ(s.total, s.electronic + s.nuclear);
    EXPECT_EQ(s.radiative, 0.0);
    // About 4.6 keV/um, as for a 10 MeV proton in water.
    EXPECT_NEAR(s.total, 4.6, 0.2);
}

TEST(StoppingPowerTest, electronLosesByCollisionAndRadiation)
{
    const StoppingComponents s = stoppingPowerComponents(-1, 0.510999, 1.0);
    const double gamma = 1.0 / 0.510999 + 1.0;
    const double beta2 = 1.0 - 1.0 / (gamma * gamma);
    const double u = std::log(gamma);
    EXPECT_DOUBLE_EQ(s.electronic, electronCollisional(u) / beta2);
    expectRelativelyNear(s.radiative, electronRadiative(u) / beta2);  // total minus collisional
    EXPECT_EQ(s.nuclear, 0.0);
    EXPECT_EQ(s.radiative, s.total - s.electronic);
}

TEST(StoppingPowerTest, ionsOfEqualSpeedDifferByTheirZebRatio)
{
    // Carbon-12 and neon-20 at 100 MeV per nucleon (equal gamma).
    const double carbonRest = 12.0 * 931.494 - 6.0 * 0.510999;
    const double neonRest = 19.9924401759 * 931.494 - 10.0 * 0.510999;
    const double gamma = 1.1;
    const StoppingComponents carbon = stoppingPowerComponents(6, carbonRest, (gamma - 1.0) * carbonRest);
    const StoppingComponents neon = stoppingPowerComponents(10, neonRest, (gamma - 1.0) * neonRest);
    const double beta = std::sqrt(1.0 - 1.0 / (gamma * gamma));
    const double zebRatio = std::pow(effectiveCharge(10, beta) / effectiveCharge(6, beta), 2.0);
    EXPECT_NEAR(neon.total / carbon.total, zebRatio, 1e-12);
    EXPECT_NEAR(neon.electronic / carbon.electronic, zebRatio, 1e-12);
    EXPECT_EQ(carbon.radiative, 0.0);
}

TEST(StoppingPowerTest, pairedFitsEqualTheSingleFits)
{
    // Below, at and above the thresholds and over the whole energy range.
    for (const double u : {0.0, 2.68284e-10, 1e-9, 1.06577e-9, 1e-8, 1e-6, 1e-4, 0.01, 0.5, 3.0}) {
        EXPECT_EQ(protonFits(u).electronic, protonElectronic(u)) << "u = " << u;
        EXPECT_EQ(protonFits(u).nuclear, protonNuclear(u)) << "u = " << u;
        EXPECT_EQ(ionFits(u).electronic, ionElectronic(u)) << "u = " << u;
        EXPECT_EQ(ionFits(u).nuclear, ionNuclear(u)) << "u = " << u;
    }
}

}  // namespace
}  // namespace kesp
