#pragma once
/// \file
/// CSDA range of a particle and its table of range against energy. Energies in
/// MeV, ranges in cm. Every function works only on what it is given, so
/// several threads may call them at once.

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace kesp {

/// Number of energy points of a range table.
inline constexpr int rangeTablePoints = 100;

/// Lower limit of every range integral, 2^-23 MeV.
inline constexpr double rangeLowerLimitMeV = 1.1920928955078125e-7;

/// What the range and chord integrals need to know of a particle.
struct ParticleKind {
    std::int32_t Z = 0;        ///< charge number; -1 for the electron
    std::int32_t A = 0;        ///< mass number; 0 for the electron
    double restEnergy = 0.0;   ///< rest energy m0c^2, MeV
    double T = 0.0;            ///< kinetic energy, MeV

    /// Equal when charge, mass number, rest energy and energy are equal.
    bool operator==(const ParticleKind&) const = default;
};

/// The CSDA range of a particle against its kinetic energy, on a grid up to
/// its energy. Entry i (0-based here) is grid point i+1. All zero until a
/// table is built.
struct RangeTable {
    std::array<double, rangeTablePoints> energyGrid{};  ///< kinetic energy, MeV, geometric from 1e-6 up to T
    std::array<double, rangeTablePoints> rangeGrid{};   ///< CSDA range at each energy of the grid, cm

    /// Equal when both grids are equal.
    bool operator==(const RangeTable&) const = default;
};

/// Path length per unit energy (cm/MeV) at kinetic energy E: 0.1 over the
/// stopping power in keV/um, radiative losses included for the electron.
double inverseStoppingPower(const ParticleKind& particle, double energy);

/// CSDA range (cm) at the given kinetic energy; 0 at or below 2^-23 MeV.
double csdaRange(const ParticleKind& particle, double energy);

/// The 100-point range table of the particle up to its T, each entry
/// integrated from the lower limit anew.
RangeTable computeRangeTable(const ParticleKind& particle);

/// The range tables of one run, each built once per particle (Z, A, rest
/// energy) and energy and shared afterwards; safe to use from several
/// threads at once.
class RangeTableCache {
public:
    /// The range table of this particle at its kinetic energy T: the one
    /// built before for the same particle and energy, else a new one, kept.
    std::shared_ptr<const RangeTable> tableFor(const ParticleKind& particle);

private:
    struct Key {
        std::int32_t Z;
        std::int32_t A;
        std::uint64_t restEnergyBits;
        std::uint64_t energyBits;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const;
    };

    std::mutex mutex_;
    std::unordered_map<Key, std::shared_ptr<const RangeTable>, KeyHash> tables_;
};

}  // namespace kesp
