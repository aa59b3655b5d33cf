#include "kesp/physics/particleIdentification.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

#include "kesp/physics/nuclideTable.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

// Entry k-1 is the symbol of Z = k; one-letter symbols end in a blank.
constexpr std::array<std::string_view, 109> elementSymbols = {
    "H ", "He", "Li", "Be", "B ", "C ", "N ", "O ", "F ", "Ne", "Na", "Mg", "Al", "Si", "P ",
    "S ", "Cl", "Ar", "K ", "Ca", "Sc", "Ti", "V ", "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn",
    "Ga", "Ge", "As", "Se", "Br", "Kr", "Rb", "Sr", "Y ", "Zr", "Nb", "Mo", "Tc", "Ru", "Rh",
    "Pd", "Ag", "Cd", "In", "Sn", "Sb", "Te", "I ", "Xe", "Cs", "Ba", "La", "Ce", "Pr", "Nd",
    "Pm", "Sm", "Eu", "Gd", "Tb", "Dy", "Ho", "Er", "Tm", "Yb", "Lu", "Hf", "Ta", "W ", "Re",
    "Os", "Ir", "Pt", "Au", "Hg", "Tl", "Pb", "Bi", "Po", "At", "Rn", "Fr", "Ra", "Ac", "Th",
    "Pa", "U ", "Np", "Pu", "Am", "Cm", "Bk", "Cf", "Es", "Fm", "Md", "No", "Lr", "Rf", "Db",
    "Sg", "Bh", "Hs", "Mt"};

// Longest digit text that still converts as a number.
constexpr std::size_t maxNumberLength = 99;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The first run of characters satisfying `belongs` at or after `position`;
// `position` is left just behind the run. Empty when there is none.
template <typename Predicate>
std::string_view nextRunOf(std::string_view text, std::size_t& position, Predicate belongs)
{
    const auto end = text.end();
    const auto first = std::find_if(text.begin() + static_cast<std::ptrdiff_t>(position), end,
                                    belongs);
    const auto last = std::find_if_not(first, end, belongs);
    position = static_cast<std::size_t>(last - text.begin());
    return text.substr(static_cast<std::size_t>(first - text.begin()),
                       static_cast<std::size_t>(last - first));
}

// Reads a run of digits as the mass number. A value beyond the 32-bit range
// becomes the lowest 32-bit integer, as every integer conversion of the input does.
bool readMassNumber(std::string_view digits, std::int32_t& A)
{
    if (digits.size() > maxNumberLength) {
        return false;
    }
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), A);
    if (result.ec == std::errc::result_out_of_range) {
        A = std::numeric_limits<std::int32_t>::min();
    }
    return true;
}

// Charge number of the symbol, 0 when no element has it.
std::int32_t elementNumber(std::string_view symbol)
{
    const auto found = std::find(elementSymbols.begin(), elementSymbols.end(), symbol);
    if (found == elementSymbols.end()) {
        return 0;
    }
    return static_cast<std::int32_t>(found - elementSymbols.begin()) + 1;
}

// The symbol made of the first two letters of a run, capitalised.
std::string symbolFromLetters(std::string_view letters)
{
    std::string symbol = makeField(letters, 2);
    toLower(symbol, 2);
    toUpper(symbol, 1);
    return symbol;
}

void applyMass(ParticleIdentity& identity, const MassConstants& constants)
{
    const NuclideMass mass = nuclideMass(identity.Z, identity.A, constants);
    identity.massU = mass.massU;
    identity.restEnergy = mass.restEnergy;
    identity.status = mass.status;
}

// A name without digits: the electron or the proton by its first letter.
ParticleIdentity identifyByFirstLetter(std::string work, const MassConstants& constants)
{
    ParticleIdentity identity;
    toLower(work, work.size());
    const char first = work.empty() ? ' ' : work.front();
    if (first == 'e') {
        identity.symbol = "e ";
        identity.Z = -1;
        identity.A = 0;
    } else if (first == 'p') {
        identity.symbol = "p ";
        identity.Z = 1;
        identity.A = 1;
    } else {
        identity.status = particleUnknownOrNoNuclide;
        return identity;
    }
    applyMass(identity, constants);
    return identity;
}

double ionRestEnergy(const MassConstants& constants, double massU, std::int32_t Z)
{
    if (constants.ionRestEnergy == IonRestEnergy::atomic) {
        return massU * constants.uEnergyMeV;
    }
    return massU * constants.uEnergyMeV - static_cast<double>(Z) * constants.electronRestEnergyMeV;
}

// The first isotope of element Z with a mass number of at least A, or null
// when the table holds none.
const Nuclide* lightestNuclideFrom(std::int32_t Z, std::int32_t A)
{
    const auto before = [](const Nuclide& entry, const Nuclide& wanted) {
        return entry.Z < wanted.Z || (entry.Z == wanted.Z && entry.A < wanted.A);
    };
    const auto found =
        std::lower_bound(nuclideTable.begin(), nuclideTable.end(), Nuclide{Z, A, 0.0}, before);
    if (found == nuclideTable.end() || found->Z != Z) {
        return nullptr;
    }
    return &*found;
}

}  // namespace

ParticleIdentity identifyParticle(std::string_view name, const MassConstants& constants)
{
    std::string work(name);
    squeezeBlanks(work);

    std::size_t position = 0;
    const std::string_view digits = nextRunOf(work, position, isDigit);
    if (digits.empty()) {
        return identifyByFirstLetter(work, constants);
    }

    ParticleIdentity identity;
    if (!readMassNumber(digits, identity.A)) {
        identity.status = particleBadNumber;
        return identity;
    }
    // Letters are looked for only behind the digits: "Ne20" has none there.
    const std::string_view letters = nextRunOf(work, position, isLetter);
    if (letters.empty()) {
        identity.status = particleNoSymbol;
        return identity;
    }
    identity.symbol = symbolFromLetters(letters);
    identity.Z = elementNumber(identity.symbol);
    if (identity.Z == 0) {
        identity.status = particleUnknownElement;
        return identity;
    }
    applyMass(identity, constants);
    return identity;
}

NuclideMass nuclideMass(std::int32_t Z, std::int32_t A, const MassConstants& constants)
{
    if (Z == -1) {
        return {constants.electronMassU, constants.electronRestEnergyMeV, particleIdentified};
    }
    if (Z == 1 && A == 1) {
        return {constants.protonMassU, constants.protonRestEnergyMeV, particleIdentified};
    }
    if (Z <= 0 || A <= 0) {
        return {0.0, 0.0, particleBadNumber};
    }
    const Nuclide* nuclide = lightestNuclideFrom(Z, A);
    if (nuclide == nullptr) {
        return {0.0, 0.0, particleUnknownOrNoNuclide};
    }
    return {nuclide->massU, ionRestEnergy(constants, nuclide->massU, Z), particleIdentified};
}

std::int32_t tabulatedMassNumber(std::int32_t Z, std::int32_t A)
{
    const Nuclide* nuclide = lightestNuclideFrom(Z, A);
    return nuclide == nullptr ? 0 : nuclide->A;
}

}  // namespace kesp
