#include "kesp/physics/rangeTable.h"

#include <cmath>
#include <cstddef>

#include "kesp/physics/stoppingPower.h"
#include "kesp/support/bitCast.h"
#include "kesp/support/numerics.h"

namespace kesp {

namespace {

constexpr double smallestEnergyMeV = 1e-6;              // start of the range table
constexpr double negligibleEnergyMeV = 2.220446049250313e-16;  // 2^-52
constexpr double keVPerUmToMeVPerCmInverse = 0.1;       // 1 keV/um = 10 MeV/cm

// The integrand of one range integral: the particle and Z^(-2/3) of its
// effective charge worked out once.
struct RangeIntegrand {
    const ParticleKind& particle;
    double chargePower;  // Z^(-2/3)

    double operator()(double energy) const;
};

double chargePowerOf(std::int32_t Z)
{
    return std::pow(static_cast<double>(Z), -2.0 / 3.0);
}

double RangeIntegrand::operator()(double energy) const
{
    double gamma = 0.0;
    if (energy > negligibleEnergyMeV) {
        gamma = energy / particle.restEnergy + 1.0;
    } else if (energy > 0.0) {
        gamma = smallestEnergyMeV / particle.restEnergy + 1.0;
    } else {
        return 0.0;
    }
    const double u = std::log(gamma);
    const double beta2 = 1.0 - 1.0 / (gamma * gamma);
    const std::int32_t Z = particle.Z;
    if (Z == -1) {
        const double zeb = static_cast<double>(Z * Z) / beta2;
        return keVPerUmToMeVPerCmInverse / ((electronCollisional(u) + electronRadiative(u)) * zeb);
    }
    // Zeff = Z (1 - exp(-125 beta Z^(-2/3))), as effectiveCharge computes it.
    const double zeff =
        static_cast<double>(Z) * (1.0 - std::exp(-125.0 * std::sqrt(beta2) * chargePower));
    const double zeb = zeff * zeff / beta2;
    const FitPair fits = Z == 1 ? protonFits(u) : ionFits(u);
    return keVPerUmToMeVPerCmInverse / ((fits.electronic + fits.nuclear) * zeb);
}

double integrate(const RangeIntegrand& f, double energy)
{
    return qromo(f, rangeLowerLimitMeV, energy, midpointStage);
}

}  // namespace

double inverseStoppingPower(const ParticleKind& particle, double energy)
{
    return RangeIntegrand{particle, chargePowerOf(particle.Z)}(energy);
}

double csdaRange(const ParticleKind& particle, double energy)
{
    if (energy > rangeLowerLimitMeV) {
        return integrate(RangeIntegrand{particle, chargePowerOf(particle.Z)}, energy);
    }
    return 0.0;
}

RangeTable computeRangeTable(const ParticleKind& particle)
{
    RangeTable table;
    const RangeIntegrand f{particle, chargePowerOf(particle.Z)};
    const double ratio = std::exp(std::log(particle.T / smallestEnergyMeV) / rangeTablePoints);
    double e = smallestEnergyMeV;
    for (std::size_t i = 0; i < table.energyGrid.size(); ++i) {
        e = e * ratio;
        table.energyGrid[i] = e;
        // Each entry is integrated from the lower limit anew.
        table.rangeGrid[i] = integrate(f, e);
    }
    return table;
}

std::size_t RangeTableCache::KeyHash::operator()(const Key& key) const
{
    std::size_t h = std::hash<std::uint64_t>{}(key.restEnergyBits);
    h = h * 31 + std::hash<std::uint64_t>{}(key.energyBits);
    return h * 31 + static_cast<std::size_t>(key.Z) * 1000 + static_cast<std::size_t>(key.A);
}

std::shared_ptr<const RangeTable> RangeTableCache::tableFor(const ParticleKind& particle)
{
    const Key key{particle.Z, particle.A, bitCast<std::uint64_t>(particle.restEnergy),
                  bitCast<std::uint64_t>(particle.T)};
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        const auto found = tables_.find(key);
        if (found != tables_.end()) {
            return found->second;
        }
    }
    // Built outside the lock; a table two threads happen to build at once
    // comes out the same on both.
    auto built = std::make_shared<const RangeTable>(computeRangeTable(particle));
    const std::lock_guard<std::mutex> lock(mutex_);
    return tables_.try_emplace(key, std::move(built)).first->second;
}

}  // namespace kesp
