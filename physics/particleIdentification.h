#pragma once
// Particle names: from the name written in the input ("20Ne", "4He", "p",
// "electron") to charge number, mass number, rest mass and rest energy.
//
// The electron is Z = -1, A = 0; the proton Z = 1, A = 1; ions carry their
// charge and mass numbers and the neutral-atom mass of the nuclide table.

#include <cstdint>
#include <string>
#include <string_view>

namespace kesp {

// How the rest energy of an ion follows from its neutral-atom mass.
enum class IonRestEnergy {
    atomicLessElectrons,  // M x (MeV per u) - Z x electron rest energy
    atomic,               // M x (MeV per u), electrons kept
};

struct MassConstants {
    double uEnergyMeV;             // energy equivalent of 1 u
    double electronRestEnergyMeV;
    double electronMassU;
    double protonMassU;
    double protonRestEnergyMeV;
    IonRestEnergy ionRestEnergy;
};

inline constexpr MassConstants defaultMassConstants{
    931.494, 0.510999, 0.510999 / 931.494, 938.272013 / 931.494, 938.272013,
    IonRestEnergy::atomicLessElectrons};

// The older set selected by "/2006": the proton is the hydrogen atom, and the
// electron mass keeps the newer energy equivalent of 1 u.
inline constexpr MassConstants massConstants2006{
    931.0, 0.511, 0.511 / 931.494, 1.0078250321, 1.0078250321 * 931.0, IonRestEnergy::atomic};

// The set a run uses: the older one when the "/2006" switch is given.
inline const MassConstants& massConstantsFor(bool masses2006)
{
    return masses2006 ? massConstants2006 : defaultMassConstants;
}

// Status values of identifyParticle and nuclideMass.
inline constexpr std::int32_t particleIdentified = 0;
inline constexpr std::int32_t particleUnknownOrNoNuclide = -1;  // no such name, or A beyond the table
inline constexpr std::int32_t particleBadNumber = -2;           // mass number unreadable, Z or A <= 0
inline constexpr std::int32_t particleNoSymbol = -3;            // digits without letters after them
inline constexpr std::int32_t particleUnknownElement = -4;      // letters that are no element symbol

struct ParticleIdentity {
    std::string symbol = "  ";   // element symbol, or "e " / "p "
    std::int32_t Z = 0;
    std::int32_t A = 0;
    double massU = 0.0;          // rest mass, u
    double restEnergy = 0.0;     // rest energy, MeV
    std::int32_t status = -1;
};

// Identifies a particle from its blank-padded name field. Names without digits
// count by their first letter only: e is the electron, p the proton. Otherwise
// the first digit run is A and the first letter run after it the element.
ParticleIdentity identifyParticle(std::string_view name, const MassConstants& constants);

struct NuclideMass {
    double massU = 0.0;          // rest mass, u
    double restEnergy = 0.0;     // rest energy, MeV
    std::int32_t status = -2;
};

// Mass and rest energy of the electron (Z = -1), the proton (Z = 1, A = 1) or
// the ion (Z, A). For A below the lightest tabulated isotope of the element
// the lightest isotope's mass is given.
NuclideMass nuclideMass(std::int32_t Z, std::int32_t A, const MassConstants& constants);

// The mass number of the nuclide whose mass the ion (Z, A) is given: A when
// it is tabulated, else the lightest tabulated isotope above A; 0 when the
// table holds none.
std::int32_t tabulatedMassNumber(std::int32_t Z, std::int32_t A);

}  // namespace kesp
