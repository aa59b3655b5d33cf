#pragma once
// The ranges within which a value describes a cell nucleus and a particle the
// model was made for, and what a value outside them most likely is: an amount
// written in another unit (bp for Gbp, m for um, keV for MeV). A value outside
// its range is still used as written; the reader only warns.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "kesp/physics/particleIdentification.h"

namespace kesp {

// A unit a value is often written in by mistake: `perUnit` of it make one
// of the item's own unit (1e9 bp make one Gbp).
struct UnitSlip {
    std::string_view unit;
    double perUnit;
};

// What an item means, the range in which it makes sense and the value a
// typical input gives it (to pick the likeliest slip).
struct PlausibleRange {
    std::string_view meaning;  // "the DNA content of a cell nucleus"
    std::string_view unit;     // the item's unit, "Gbp"
    double low;
    double high;
    double typical;
    std::span<const UnitSlip> slips;
};

// DNA= (Gbp) and NDIA= (um).
extern const PlausibleRange dnaContentRange;
extern const PlausibleRange nucleusDiameterRange;

// Protons and ions: kinetic energy per nucleon, MeV; electrons: kinetic energy, MeV.
inline constexpr double highestEnergyPerNucleonMeV = 1000.0;
inline constexpr double highestElectronEnergyMeV = 500.0;

// Why `written` (the item as written, "DNA=6e9") holds a value outside the
// range, with the likely slip and what to write; nothing when it lies within.
// `keyword` is the item's keyword ("DNA=").
std::optional<std::string> outsideRange(std::string_view written, std::string_view keyword, double value,
                                        const PlausibleRange& range);

// Why a particle at this kinetic energy (MeV, whole particle) lies above the
// energies the model was made for ("proton at 2000 MeV (2000 MeV per
// nucleon) is above ..."), ending in what to write if the value was meant in
// keV; nothing when it does not, or when the particle is unknown or the
// energy not positive (other warnings say so). The energy was given as
// `written` with the keyword `item` ("KE=", "MEV/A="); an empty item means a
// field file's record.
std::optional<std::string> energyAboveRange(std::string_view name, double kineticEnergy, std::string_view item,
                                            double written, const MassConstants& masses);

}  // namespace kesp
