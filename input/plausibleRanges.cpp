#include "kesp/input/plausibleRanges.h"

#include <array>
#include <cmath>

#include "kesp/input/diagnostics.h"
#include "kesp/input/particleNames.h"

namespace kesp {

namespace {

// The whole DNA content written in bp, kbp or Mbp.
constexpr std::array dnaSlips{UnitSlip{"Mbp", 1e3}, UnitSlip{"kbp", 1e6}, UnitSlip{"bp", 1e9}};
// A diameter written in nm, mm, cm or m.
constexpr std::array diameterSlips{UnitSlip{"nm", 1e3}, UnitSlip{"mm", 1e-3}, UnitSlip{"cm", 1e-4},
                                   UnitSlip{"m", 1e-6}};

constexpr double keVPerMeV = 1000.0;

// The slip that turns the value into one within the range and nearest the
// typical value; none when no slip does.
const UnitSlip* likeliestSlip(double value, const PlausibleRange& range)
{
    const UnitSlip* likeliest = nullptr;
    double nearest = 0.0;
    for (const UnitSlip& slip : range.slips) {
        const double meant = value / slip.perUnit;
        const double distance = std::abs(std::log(meant / range.typical));
        if (meant >= range.low && meant <= range.high && (likeliest == nullptr || distance < nearest)) {
            likeliest = &slip;
            nearest = distance;
        }
    }
    return likeliest;
}

std::string valueText(std::string_view written)
{
    const std::size_t equals = written.find('=');
    return std::string(equals == std::string_view::npos ? written : written.substr(equals + 1));
}

bool isElectron(const ParticleIdentity& particle)
{
    return particle.Z < 0;
}

// The highest kinetic energy (MeV, whole particle) the model is made for.
double highestEnergyOf(const ParticleIdentity& particle)
{
    return isElectron(particle) ? highestElectronEnergyMeV : highestEnergyPerNucleonMeV * particle.A;
}

// "proton at 2000 MeV (2000 MeV per nucleon) is above the energies the model is made for (...)".
std::string aboveTheModel(const ParticleIdentity& particle, double kineticEnergy)
{
    const std::string what = particleLabel(particle.Z, particle.A, particle.symbol) + " at "
                             + formatValue(kineticEnergy) + " MeV";
    if (isElectron(particle)) {
        return what + " is above the electron energies the model is made for (up to "
               + formatValue(highestElectronEnergyMeV) + " MeV)";
    }
    return what + " (" + formatValue(kineticEnergy / particle.A)
           + " MeV per nucleon) is above the energies the model is made for (up to "
           + formatValue(highestEnergyPerNucleonMeV) + " MeV per nucleon)";
}

// The unit of the item, and what to write when the value meant in keV
// lies within the range.
std::string energyUnitHint(std::string_view item, double written, bool keVFits)
{
    std::string hint = item.empty()          ? "a field file gives kinetic energies in MeV"
                       : item == "MEV/A=" ? "MEV/A= is in MeV per nucleon"
                                          : std::string(item) + " is in MeV";
    if (keVFits) {
        hint += ": if " + formatValue(written) + " is in keV, write " + std::string(item)
                + formatValue(written / keVPerMeV);
    }
    return hint;
}

}  // namespace

const PlausibleRange dnaContentRange{"the DNA content of a cell nucleus", "Gbp", 0.001, 1000.0, 6.0, dnaSlips};
const PlausibleRange nucleusDiameterRange{"the diameter of a cell nucleus", "um", 0.1, 1000.0, 5.0,
                                          diameterSlips};

std::optional<std::string> outsideRange(std::string_view written, std::string_view keyword, double value,
                                        const PlausibleRange& range)
{
    if (value >= range.low && value <= range.high) {
        return std::nullopt;
    }
    std::string message = inQuotes(written) + (value > range.high ? " is above " : " is below ")
                          + std::string(range.meaning) + " (" + formatValue(range.low) + " to "
                          + formatValue(range.high) + " " + std::string(range.unit)
                          + ") and is used as written; " + std::string(keyword) + " is in "
                          + std::string(range.unit);
    if (const UnitSlip* slip = likeliestSlip(value, range)) {
        message += ": if " + valueText(written) + " is in " + std::string(slip->unit) + ", write "
                   + std::string(keyword) + formatValue(value / slip->perUnit);
    }
    return message;
}

std::optional<std::string> energyAboveRange(std::string_view name, double kineticEnergy, std::string_view item,
                                            double written, const MassConstants& masses)
{
    const ParticleIdentity particle = identifyParticle(name, masses);
    if (particle.status != particleIdentified || !(kineticEnergy > 0.0)) {
        return std::nullopt;
    }
    const double highest = highestEnergyOf(particle);
    if (kineticEnergy <= highest) {
        return std::nullopt;
    }
    return aboveTheModel(particle, kineticEnergy) + " and is used as written; "
           + energyUnitHint(item, written, kineticEnergy / keVPerMeV <= highest);
}

}  // namespace kesp
