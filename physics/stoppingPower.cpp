#include "kesp/physics/stoppingPower.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <span>

#include "kesp/physics/effectiveCharge.h"

namespace kesp {

namespace {

// Fit coefficients: numerator c0..ck, then denominator d1..dk (the denominator's
// constant term is 1). Each fit returns a constant at or below its threshold on
// u, which is 1 eV of kinetic energy of the particle it was made for (helium-4
// for the ion fits).
constexpr std::array<double, 7> protonElectronicCoefficients = {
    -1.71272366498783, -0.09896786093644341, 0.00932673664280753, 0.001014880222974224,
    0.135930316087051, 0.005311122303906679, -1.658898588364723e-05};
constexpr std::array<double, 9> protonNuclearCoefficients = {
    -10.91056561372281, 2.795589507432424, -0.4080218106574333, -0.115593454367405,
    -0.005883788047492116,
    -0.3626547178135023, 0.02794106286280476, 0.01160652785845694, 0.0006544306357967235};
constexpr std::array<double, 10> ionElectronicCoefficients = {
    -1.781153306804154, -0.5250284517145329, -0.05831452239698408, -0.003146312232327009,
    -8.296603399462511e-05,
    0.3421225978369815, 0.04515340024560312, 0.002865804187209991, 8.748306541313718e-05,
    9.285956192041201e-07};
constexpr std::array<double, 11> ionNuclearCoefficients = {
    -10.86886846390955, 0.4480730420609905, 0.6709300921111738, 0.09995243057410468,
    0.00601465160813964, 0.0001341358179407163,
    -0.1427644353679513, -0.09795745464365832, -0.01415600313726102, -0.0008548761545652307,
    -1.921675620711609e-05};
constexpr std::array<double, 7> electronCollisionalCoefficients = {
    -45.38794582194495, -29405.09681790257, -699327.6220962063, 7010.395952123257,
    4100.459579812904, 335704.2101714835, 53847.83661194274};
// exp(c1 u + c0 - c2 (ln u)^2 + c3 sqrt(u) - c4/u)
constexpr std::array<double, 5> electronRadiativeCoefficients = {
    -9.701246290346992, 0.6999746831683911, 0.1091303546670202, 2.121477524371522,
    1.484140304843552e-06};

constexpr double protonThreshold = 1.06577e-9;
constexpr double protonElectronicBelowThreshold = 0.0004735088;
constexpr double protonNuclearBelowThreshold = 0.0003886855;
constexpr double ionThreshold = 2.68284e-10;
constexpr double ionElectronicBelowThreshold = 0.0002075195;
constexpr double ionNuclearBelowThreshold = 0.001086234;
constexpr double electronThreshold = 1.95695e-6;
constexpr double electronCollisionalBelowThreshold = 7.83384e-6;
constexpr double electronRadiativeBelowThreshold = 1.972456e-13;

// c[0] + c[1] x + ... + c[k] x^k by Horner's rule from the highest power.
double polynomial(std::span<const double> c, double x)
{
    std::size_t i = c.size() - 1;
    double sum = c[i];
    while (i > 0) {
        --i;
        sum = sum * x + c[i];
    }
    return sum;
}

// 1 + d[0] x + ... + d[k-1] x^k by Horner's rule from the highest power.
double denominator(std::span<const double> d, double x)
{
    return polynomial(d, x) * x + 1.0;
}

// exp(N(x)/D(x)) with the numerator of the given degree.
template <std::size_t size>
double rationalFit(const std::array<double, size>& coefficients, std::size_t degree, double x)
{
    const std::span<const double> all(coefficients);
    return std::exp(polynomial(all.first(degree + 1), x) / denominator(all.subspan(degree + 1), x));
}

}  // namespace

FitPair protonFits(double u)
{
    if (u <= protonThreshold) {
        return {protonElectronicBelowThreshold, protonNuclearBelowThreshold};
    }
    const double lnU = std::log(u);
    return {rationalFit(protonElectronicCoefficients, 3, lnU),
            rationalFit(protonNuclearCoefficients, 4, lnU)};
}

FitPair ionFits(double u)
{
    if (u <= ionThreshold) {
        return {ionElectronicBelowThreshold, ionNuclearBelowThreshold};
    }
    const double lnU = std::log(u);
    return {rationalFit(ionElectronicCoefficients, 4, lnU), rationalFit(ionNuclearCoefficients, 5, lnU)};
}

double protonElectronic(double u)
{
    if (u <= protonThreshold) {
        return protonElectronicBelowThreshold;
    }
    return rationalFit(protonElectronicCoefficients, 3, std::log(u));
}

double protonNuclear(double u)
{
    if (u <= protonThreshold) {
        return protonNuclearBelowThreshold;
    }
    return rationalFit(protonNuclearCoefficients, 4, std::log(u));
}

double ionElectronic(double u)
{
    if (u <= ionThreshold) {
        return ionElectronicBelowThreshold;
    }
    return rationalFit(ionElectronicCoefficients, 4, std::log(u));
}

double ionNuclear(double u)
{
    if (u <= ionThreshold) {
        return ionNuclearBelowThreshold;
    }
    return rationalFit(ionNuclearCoefficients, 5, std::log(u));
}

double electronCollisional(double u)
{
    if (u <= electronThreshold) {
        return electronCollisionalBelowThreshold;
    }
    return rationalFit(electronCollisionalCoefficients, 3, std::sqrt(u));
}

double electronRadiative(double u)
{
    if (u <= electronThreshold) {
        return electronRadiativeBelowThreshold;
    }
    const auto& c = electronRadiativeCoefficients;
    const double lnU = std::log(u);
    return std::exp(c[1] * u + c[0] - c[2] * (lnU * lnU) + c[3] * std::sqrt(u) - c[4] / u);
}

StoppingPair stoppingPowerFit(std::int32_t Z, double gamma, double zeb)
{
    if (!(gamma > 1.0)) {
        return {0.0, 0.0};
    }
    const double u = std::log(gamma);
    double a = 0.0;
    double b = 0.0;
    if (Z >= 1) {
        const FitPair fits = Z == 1 ? protonFits(u) : ionFits(u);
        a = fits.electronic;
        b = fits.nuclear;
    } else {
        a = electronCollisional(u);
        b = electronRadiative(u);
    }
    return {a * zeb, (a + b) * zeb};
}

StoppingComponents stoppingPowerComponents(std::int32_t Z, double restEnergy, double T)
{
    const double gamma = T / restEnergy + 1.0;
    const double beta2 = 1.0 - 1.0 / (gamma * gamma);
    const double zeff = Z <= 0 ? static_cast<double>(Z) : effectiveCharge(Z, std::sqrt(beta2));
    const double zeb = zeff * zeff / beta2;
    const StoppingPair pair = stoppingPowerFit(Z, gamma, zeb);
    if (Z <= 0) {
        return {pair.electronic, pair.total - pair.electronic, 0.0, pair.total};
    }
    return {pair.electronic, 0.0, pair.total - pair.electronic, pair.total};
}

}  // namespace kesp
