#include "physics/rangeTable.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <mutex>
#include <unordered_map>

#include "physics/stoppingPower.h"
#include "support/numerics.h"

namespace kesp {

namespace {

constexpr double smallestEnergyMeV = 1e-6;              // start of the range table
constexpr double negligibleEnergyMeV = 2.220446049250313e-16;  // 2^-52
constexpr double keVPerUmToMeVPerCmInverse = 0.1;       // 1 keV/um = 10 MeV/cm

// The integrand of one range integral: the particle, Z^(-2/3) of its
// effective charge worked out once, and where the last effective charge goes.
struct RangeIntegrand {
    const ParticleKind& particle;
    double chargePower;  // Z^(-2/3)
    LastEffectiveCharge& last;
};

double chargePowerOf(std::int32_t Z)
{
    return std::pow(static_cast<double>(Z), -2.0 / 3.0);
}

double evaluate(const RangeIntegrand& f, double energy)
{
    const ParticleKind& particle = f.particle;
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
        static_cast<double>(Z) * (1.0 - std::exp(-125.0 * std::sqrt(beta2) * f.chargePower));
    f.last = LastEffectiveCharge{true, zeff};
    const double zeb = zeff * zeff / beta2;
    const FitPair fits = Z == 1 ? protonFits(u) : ionFits(u);
    return keVPerUmToMeVPerCmInverse / ((fits.electronic + fits.nuclear) * zeb);
}

// The integrator takes a plain function; each thread points it at the
// integrand of the integral it is working on.
thread_local const RangeIntegrand* activeIntegrand = nullptr;

double evaluateActive(double energy)
{
    return evaluate(*activeIntegrand, energy);
}

double integrate(const RangeIntegrand& f, double energy)
{
    const RangeIntegrand* outer = activeIntegrand;
    activeIntegrand = &f;
    const double range = qromo(evaluateActive, rangeLowerLimitMeV, energy, midpointStage);
    activeIntegrand = outer;
    return range;
}

// ---- The run's range tables ----

struct TableKey {
    std::int32_t Z;
    std::int32_t A;
    std::uint64_t restEnergyBits;
    std::uint64_t energyBits;
    bool operator==(const TableKey&) const = default;
};

struct TableKeyHash {
    std::size_t operator()(const TableKey& key) const
    {
        std::size_t h = std::hash<std::uint64_t>{}(key.restEnergyBits);
        h = h * 31 + std::hash<std::uint64_t>{}(key.energyBits);
        return h * 31 + static_cast<std::size_t>(key.Z) * 1000 + static_cast<std::size_t>(key.A);
    }
};

struct TableCache {
    std::mutex mutex;
    std::unordered_map<TableKey, std::shared_ptr<const BuiltRangeTable>, TableKeyHash> tables;
};

TableCache& tableCache()
{
    static TableCache cache;
    return cache;
}

TableKey keyOf(const ParticleKind& particle)
{
    return TableKey{particle.Z, particle.A, std::bit_cast<std::uint64_t>(particle.restEnergy),
                    std::bit_cast<std::uint64_t>(particle.T)};
}

void storeEffectiveCharge(const LastEffectiveCharge& last)
{
    if (last.written) {
        particleState().zeff = last.zeff;
    }
}

}  // namespace

ParticleKind currentParticleKind()
{
    const ParticleState& state = particleState();
    return ParticleKind{state.Z, state.A, state.restEnergy, state.T};
}

double inverseStoppingPower(const ParticleKind& particle, double energy, LastEffectiveCharge& last)
{
    return evaluate(RangeIntegrand{particle, chargePowerOf(particle.Z), last}, energy);
}

double csdaRange(const ParticleKind& particle, double energy, LastEffectiveCharge& last)
{
    if (energy > rangeLowerLimitMeV) {
        return integrate(RangeIntegrand{particle, chargePowerOf(particle.Z), last}, energy);
    }
    return 0.0;
}

BuiltRangeTable computeRangeTable(const ParticleKind& particle)
{
    BuiltRangeTable built;
    const RangeIntegrand f{particle, chargePowerOf(particle.Z), built.last};
    const double ratio = std::exp(std::log(particle.T / smallestEnergyMeV) / rangeTablePoints);
    double e = smallestEnergyMeV;
    for (std::size_t i = 0; i < built.table.energyGrid.size(); ++i) {
        e = e * ratio;
        built.table.energyGrid[i] = e;
        // Each entry is integrated from the lower limit anew.
        built.table.rangeGrid[i] = integrate(f, e);
    }
    return built;
}

std::shared_ptr<const BuiltRangeTable> rangeTableFor(const ParticleKind& particle)
{
    TableCache& cache = tableCache();
    const TableKey key = keyOf(particle);
    {
        const std::lock_guard<std::mutex> lock(cache.mutex);
        const auto found = cache.tables.find(key);
        if (found != cache.tables.end()) {
            return found->second;
        }
    }
    // Built outside the lock; a table two threads happen to build at once
    // comes out the same on both.
    auto built = std::make_shared<const BuiltRangeTable>(computeRangeTable(particle));
    const std::lock_guard<std::mutex> lock(cache.mutex);
    return cache.tables.try_emplace(key, std::move(built)).first->second;
}

void clearRangeTableCache()
{
    TableCache& cache = tableCache();
    const std::lock_guard<std::mutex> lock(cache.mutex);
    cache.tables.clear();
}

double inverseStoppingPower(double energy)
{
    LastEffectiveCharge last;
    const double value = inverseStoppingPower(currentParticleKind(), energy, last);
    storeEffectiveCharge(last);
    return value;
}

double csdaRange(double energy)
{
    LastEffectiveCharge last;
    const double range = csdaRange(currentParticleKind(), energy, last);
    storeEffectiveCharge(last);
    return range;
}

void buildRangeTable()
{
    installRangeTable(*rangeTableFor(currentParticleKind()));
}

void installRangeTable(const BuiltRangeTable& built)
{
    ParticleState& state = particleState();
    state.energyGrid = built.table.energyGrid;
    state.rangeGrid = built.table.rangeGrid;
    storeEffectiveCharge(built.last);
}

}  // namespace kesp
