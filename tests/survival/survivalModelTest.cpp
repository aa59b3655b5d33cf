#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "kesp/support/runError.h"
#include "kesp/survival/cellParameters.h"
#include "kesp/survival/linearQuadratic.h"
#include "kesp/survival/relativeEffectiveness.h"

namespace kesp {
namespace {

// A cell line with (alpha/beta)_R = 10 Gy under a reference radiation of
// 8.2 DSB per cell per Gy and zF 0.002 Gy, roughly what a KESP run of
// megavoltage electrons gives for a 6 Gbp cell.
const ReferenceRadiation reference{0.2, 0.02, 8.2, 0.03, 0.002};
const LinearQuadratic measured = measuredCoefficients(reference.alphaPerGy, reference.betaPerGy2);

LinearQuadratic single(const CellParameters& cell, double sigma, double sigmaSem, double zF)
{
    const std::vector<DsbSource> components{{1.0, sigma, sigmaSem, zF}};
    return linearQuadratic(cell, components);
}

TEST(SurvivalModelTest, theReferenceRadiationGivesItsOwnCoefficientsAndAnRbeOfOne)
{
    const CellParameters cell = CellParameters::fromReference(reference);
    const LinearQuadratic lq = single(cell, reference.dsbPerCellPerGy, 0.0, reference.zFGy);
    EXPECT_NEAR(lq.alphaPerGy, reference.alphaPerGy, 1e-15);
    EXPECT_NEAR(lq.betaPerGy2, reference.betaPerGy2, 1e-15);
    EXPECT_NEAR(rbeLowDose(lq, measured).value, 1.0, 1e-14);
    EXPECT_NEAR(rbeHighDose(lq, measured).value, 1.0, 1e-14);
    for (double dose : {0.01, 0.5, 2.0, 8.0, 60.0}) {
        EXPECT_NEAR(rbeAtDose(lq, measured, dose).value, 1.0, 1e-12) << dose;
        EXPECT_NEAR(rbeAtReferenceDose(lq, measured, dose).value, 1.0, 1e-12) << dose;
    }
    for (double survival : {0.9, 0.1, 1e-4}) {
        EXPECT_NEAR(rbeAtSurvival(lq, measured, survival).value, 1.0, 1e-12) << survival;
    }
}

// The high-LET case: the RBE falls from its low-dose limit towards its
// high-dose limit, Sigma / Sigma_R, as the dose grows.
TEST(SurvivalModelTest, theRbeFallsMonotonicallyFromItsLowDoseToItsHighDoseLimit)
{
    const CellParameters cell = CellParameters::fromReference(reference);
    const LinearQuadratic carbon = single(cell, 13.0, 0.05, 0.3);
    const double low = rbeLowDose(carbon, measured).value;
    const double high = rbeHighDose(carbon, measured).value;
    EXPECT_NEAR(high, 13.0 / 8.2, 1e-14);
    ASSERT_GT(low, high);
    double before = low;
    for (double dose = 1e-3; dose < 1e4; dose *= 1.5) {
        const double rbe = rbeAtDose(carbon, measured, dose).value;
        EXPECT_LE(rbe, before * (1.0 + 1e-13)) << dose;
        EXPECT_GE(rbe, high * (1.0 - 1e-13)) << dose;
        before = rbe;
    }
    EXPECT_NEAR(rbeAtDose(carbon, measured, 1e-6).value, low, 1e-5);
    EXPECT_NEAR(rbeAtDose(carbon, measured, 1e6).value, high, 1e-3);
}

TEST(SurvivalModelTest, theDoseForASurvivalLevelInvertsTheSurvivalCurve)
{
    for (const auto& [alpha, beta] : std::vector<std::pair<double, double>>{{0.2, 0.02}, {1.1, 0.0}, {0.0, 0.05},
                                                                           {3.0, 1e-6}}) {
        for (double dose : {0.0, 0.1, 2.0, 10.0}) {
            const double survival = survivalFraction(alpha, beta, dose);
            EXPECT_NEAR(doseForSurvival(alpha, beta, survival), dose, 1e-12 * (1.0 + dose)) << alpha << " " << beta;
        }
    }
    EXPECT_THROW(static_cast<void>(doseForSurvival(0.2, 0.02, 0.0)), RunError);
    EXPECT_THROW(static_cast<void>(doseForSurvival(0.2, 0.02, 1.5)), RunError);
    EXPECT_THROW(static_cast<void>(doseForSurvival(0.0, 0.0, 0.5)), RunError);
}

// Dose-weighted mixing: one component is that component, two identical
// components are one, and a field of two mixes its components' Sigma and
// zF Sigma^2 by dose fraction.
TEST(SurvivalModelTest, aMixedFieldMixesItsComponentsByDoseFraction)
{
    const CellParameters cell = CellParameters::fromReference(reference);
    const LinearQuadratic proton = single(cell, 9.0, 0.04, 0.01);
    const std::vector<DsbSource> twice{{0.3, 9.0, 0.04, 0.01}, {0.7, 9.0, 0.04, 0.01}};
    const LinearQuadratic same = linearQuadratic(cell, twice);
    EXPECT_NEAR(same.alphaPerGy, proton.alphaPerGy, 1e-15);
    EXPECT_NEAR(same.betaPerGy2, proton.betaPerGy2, 1e-15);

    const std::vector<DsbSource> field{{1.0, 9.0, 0.0, 0.01}, {3.0, 14.0, 0.0, 0.4}};  // normalised: 0.25, 0.75
    const LinearQuadratic mixed = linearQuadratic(cell, field);
    const double meanSigma = 0.25 * 9.0 + 0.75 * 14.0;
    const double meanZfSigma2 = 0.25 * 0.01 * 81.0 + 0.75 * 0.4 * 196.0;
    EXPECT_NEAR(mixed.alphaPerGy, cell.theta() * meanSigma + cell.kappa() * meanZfSigma2, 1e-14);
    EXPECT_NEAR(mixed.betaPerGy2, cell.kappa() / 2.0 * meanSigma * meanSigma, 1e-15);
}

TEST(SurvivalModelTest, cellParametersThatTheModelCannotDescribeAreRefusedNamingTheValues)
{
    try {
        static_cast<void>(CellParameters::fromReference({0.01, 0.05, 8.2, 0.0, 0.2}));
        FAIL() << "a negative theta was taken";
    } catch (const RunError& error) {
        EXPECT_EQ(error.kind(), ErrorKind::input);
        EXPECT_NE(std::string(error.what()).find("(0.01 - 2 x 0.05 x 0.2) / 8.2 is negative"), std::string::npos)
            << error.what();
    }
    EXPECT_THROW(static_cast<void>(CellParameters::fromReference({0.2, 0.02, 0.0, 0.0, 0.0})), RunError);
    EXPECT_THROW(static_cast<void>(CellParameters::fromThetaKappa(-1.0, 0.1)), RunError);
    const CellParameters given = CellParameters::fromThetaKappa(0.02, 0.0006);
    EXPECT_EQ(given.referenceDsbSem(), 0.0);
    const std::vector<DsbSource> none;
    EXPECT_THROW(static_cast<void>(linearQuadratic(given, none)), RunError);
}

// The standard errors, propagated to first order from the SEMs of Sigma and
// Sigma_R, against the spread of the same figures over resampled yields.
TEST(SurvivalModelTest, firstOrderStandardErrorsAgreeWithResampling)
{
    const double sigma = 12.0;
    const double sigmaSem = 0.06;
    const double zF = 0.25;
    const CellParameters cell = CellParameters::fromReference(reference);
    const LinearQuadratic lq = single(cell, sigma, sigmaSem, zF);
    const LinearQuadratic aerobic = single(cell, 16.0, 0.05, zF);
    const std::vector<double> propagated{lq.alphaSem, lq.betaSem, rbeAtDose(lq, measured, 2.0).sem,
                                         rbeAtReferenceDose(lq, measured, 2.0).sem,
                                         rbeAtSurvival(lq, measured, 0.1).sem,
                                         oerAtSurvival(lq, aerobic, 0.1).sem};

    std::mt19937_64 generator(20261208);
    std::normal_distribution<double> normal(0.0, 1.0);
    constexpr int samples = 20000;
    std::vector<double> sum(propagated.size(), 0.0);
    std::vector<double> sumOfSquares(propagated.size(), 0.0);
    for (int i = 0; i < samples; ++i) {
        ReferenceRadiation drawnReference = reference;
        drawnReference.dsbPerCellPerGy += reference.dsbPerCellPerGySem * normal(generator);
        const CellParameters drawnCell = CellParameters::fromReference(drawnReference);
        const LinearQuadratic drawn = single(drawnCell, sigma + sigmaSem * normal(generator), 0.0, zF);
        const LinearQuadratic drawnAerobic = single(drawnCell, 16.0 + 0.05 * normal(generator), 0.0, zF);
        const std::vector<double> values{drawn.alphaPerGy, drawn.betaPerGy2, rbeAtDose(drawn, measured, 2.0).value,
                                         rbeAtReferenceDose(drawn, measured, 2.0).value,
                                         rbeAtSurvival(drawn, measured, 0.1).value,
                                         oerAtSurvival(drawn, drawnAerobic, 0.1).value};
        for (std::size_t k = 0; k < values.size(); ++k) {
            sum[k] += values[k];
            sumOfSquares[k] += values[k] * values[k];
        }
    }
    for (std::size_t k = 0; k < propagated.size(); ++k) {
        const double mean = sum[k] / samples;
        const double spread = std::sqrt(sumOfSquares[k] / samples - mean * mean);
        // 20000 draws fix a standard deviation to about 0.5 %; the yields'
        // relative SEMs of 0.4-0.5 % keep the first order within a few %.
        EXPECT_NEAR(propagated[k], spread, 0.05 * spread) << "figure " << k;
    }
}

}  // namespace
}  // namespace kesp
