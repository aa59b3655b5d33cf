#include "kesp/engine/resultChecks.h"

#include <cmath>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "kesp/input/diagnostics.h"
#include "kesp/support/numberFormat.h"
#include "kesp/support/runError.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

using Quantity = std::pair<std::string_view, double>;

void requireFinite(std::initializer_list<Quantity> quantities, const std::string& origin)
{
    for (const auto& [name, value] : quantities) {
        if (!std::isfinite(value)) {
            stopRun(ErrorKind::nonFiniteResult, "The " + std::string(name) + " is not a finite number ("
                                                    + renderNumber(value, "E5").text + ") for " + origin
                                                    + "; no report is written.");
        }
    }
}

// The particle as the input names it.
std::string particleOrigin(const FieldComponent& component, const RunSettings& settings)
{
    const std::string particle = "PAR=" + component.name
                                 + " KE=" + formatValue(component.kineticEnergy);
    const std::string& file = settings.field.fileName();
    return file.empty() ? "RADX: " + particle : "field file " + file + ": " + particle;
}

std::string cellOrigin(const RunSettings& settings)
{
    return "CELL: NDIA=" + formatValue(settings.nucleusDiameter);
}

// The quantities of the particle section that follow from the particle
// and its kinetic energy alone.
void requireFiniteKinematics(const ParticleState& p, const std::string& origin)
{
    const double perNucleon = p.Z == -1 ? p.massU : static_cast<double>(p.A);
    const double pc = std::sqrt(p.T * p.T + 2.0 * p.T * p.restEnergy);
    requireFinite({{"kinetic energy per nucleon", kineticEnergyPerNucleon(p)},
                   {"validity limit of the effective-charge model per nucleon", p.tLimit / perNucleon},
                   {"momentum p*c", pc},
                   {"de Broglie wavelength", 1.24 / pc},
                   {"Lorentz factor", p.gamma},
                   {"effective charge", std::sqrt(p.beta2 * p.zeb)},
                   {"(Zeff/beta)^2", p.zeb}},
                  origin);
}

}  // namespace

void checkParticleKinematics(const ParticleState& particle, int position, const RunSettings& settings)
{
    const std::string origin = particleOrigin(settings.field.component(position), settings);
    requireFiniteKinematics(particle, settings.field.singleParticle()
                                          ? origin
                                          : "component " + std::to_string(position) + ", " + origin);
}

void checkParticlePhysics(const ParticlePhysics& physics, const RunSettings& settings)
{
    const ParticleState& p = physics.particle;
    const std::string particle = particleOrigin(settings.field.component(1), settings);
    requireFiniteKinematics(p, particle);
    requireFinite({{"CSDA range", physics.csdaRange},
                   {"total stopping power", p.sTotal},
                   {"electronic share of the stopping power", 100.0 * p.sElectronic / p.sTotal},
                   {"radiative or nuclear share of the stopping power",
                    100.0 * (p.Z == -1 ? p.sRadiative : p.sNuclear) / p.sTotal}},
                  particle);
    const double chord = 2.0 * settings.nucleusDiameter / 3.0;
    requireFinite({{"energy imparted per event", chord * p.yf},
                   {"event frequency per unit absorbed dose (1/zf)", 1.0 / p.zf}},
                  particle + ", " + cellOrigin(settings));
}

void checkComponentRow(const ComponentRow& row, int position, const RunSettings& settings)
{
    const ComponentPhysics& p = row.physics;
    requireFinite({{"weight", row.weight},
                   {"kinetic energy per nucleon", row.energyPerNucleon},
                   {"(Zeff/beta)^2", row.zeffOverBetaSquared},
                   {"hypoxia reduction factor", row.dsbHypoxiaReductionFactor},
                   {"stopping power", p.sTotal},
                   {"CSDA range", p.rangeCsda},
                   {"dose per unit fluence", p.dpuf},
                   {"frequency-mean specific energy zf", p.zf},
                   {"frequency-mean lineal energy yf", p.yf}},
                  "component " + std::to_string(position) + ", "
                      + particleOrigin(settings.field.component(position), settings) + ", "
                      + cellOrigin(settings));
}

void checkComponentAverages(const std::vector<ComponentRow>& rows, const RunSettings& settings)
{
    double kineticEnergy = 0.0, zeb = 0.0, stopping = 0.0, range = 0.0, dpuf = 0.0, yf = 0.0, zf = 0.0;
    for (const ComponentRow& row : rows) {
        kineticEnergy += row.weight * row.kineticEnergy;
        zeb += row.weight * row.zeffOverBetaSquared;
        stopping += row.weight * row.physics.sTotal;
        range += row.weight * row.physics.rangeCsda;
        dpuf += row.weight * row.physics.dpuf;
        yf += row.weight * row.physics.yf;
        zf += row.weight * row.physics.zf;
    }
    requireFinite({{"average kinetic energy", kineticEnergy},
                   {"average (Zeff/beta)^2", zeb},
                   {"average stopping power", stopping},
                   {"average CSDA range", range},
                   {"average dose per unit fluence", dpuf},
                   {"average lineal energy yf", yf},
                   {"average specific energy zf", zf}},
                  "the mixed field of " + settings.field.fileName());
}

void checkStatistics(const ClusterStatistics& statistics, const RunSettings& settings)
{
    const std::string origin = "CELL: DNA=" + formatValue(settings.dnaContent) + " NDIA="
                               + formatValue(settings.nucleusDiameter) + " and the particle or field of RADX:";
    for (std::size_t k = 1; k < statistics.classPercent.size(); ++k) {
        requireFinite({{"class percentage of TABLE 1", statistics.classPercent[k]}}, origin);
    }
    for (std::size_t t = 0; t < statistics.tables.size(); ++t) {
        for (std::size_t r = 1; r <= tallyRows; ++r) {
            for (std::size_t c = 1; c <= tallyCategories; ++c) {
                const std::string entry = "TABLE " + std::to_string(t + 2) + " value in row "
                                          + std::to_string(r) + ", column " + std::to_string(c);
                requireFinite({{entry, statistics.tables[t].mean[r][c]},
                               {entry + " (SEM)", statistics.tables[t].sem[r][c]}},
                              origin);
            }
        }
    }
}

}  // namespace kesp
