#pragma once
/// \file
/// The particle type currently being treated.

#include <cstdint>
#include <string>

namespace kesp {

/// The particle being treated: what it is, its energy and speed, and its
/// stopping powers and microdosimetry at that energy.
struct ParticleState {
    std::string symbol = "  ";   ///< element symbol, or "e " / "p "
    std::int32_t Z = 0;          ///< charge number; -1 for the electron
    std::int32_t A = 0;          ///< mass number; 0 for the electron
    double massU = 0.0;          ///< rest mass, u
    double restEnergy = 0.0;     ///< rest energy m0c^2, MeV
    double tLimit = 0.0;         ///< kinetic energy (MeV) at which Zeff/beta = 100
    double T = 0.0;              ///< kinetic energy of the whole particle, MeV
    double gamma = 0.0;          ///< Lorentz factor
    double beta2 = 0.0;          ///< beta squared
    double zeff = 0.0;           ///< effective charge
    double zeb = 0.0;            ///< (Zeff/beta)^2
    double sElectronic = 0.0;    ///< electronic (collisional) stopping power, keV/um
    double sRadiative = 0.0;     ///< radiative stopping power, keV/um
    double sNuclear = 0.0;       ///< nuclear stopping power, keV/um
    double sTotal = 0.0;         ///< total stopping power, keV/um
    double dpuf = 0.0;           ///< absorbed dose per unit fluence, nGy cm^2
    double yf = 0.0;             ///< frequency-mean lineal energy, keV/um
    double zf = 0.0;             ///< frequency-mean specific energy, Gy

    /// Equal when every value is equal.
    bool operator==(const ParticleState&) const = default;
};

/// Kinetic energy per nucleon, MeV: per mass number for an ion. The electron
/// has no nucleon; its energy is given per u of its rest mass instead (the
/// report's "MeV/u" line), which like an ion's MeV/A goes with its speed.
/// The one definition for single particles and mixed-field components alike.
inline double kineticEnergyPerNucleon(const ParticleState& particle)
{
    return particle.Z == -1 ? particle.T / particle.massU : particle.T / particle.A;
}

}  // namespace kesp
