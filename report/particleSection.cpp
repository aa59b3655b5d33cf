#include "kesp/report/particleSection.h"

#include <cmath>
#include <string>
#include <string_view>

#include "kesp/physics/particleState.h"
#include "kesp/support/lineBuilder.h"
#include "kesp/support/lineWriter.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

constexpr double wavelengthConstant = 1.24;  // pm MeV: de Broglie wavelength = 1.24 / (p c)
constexpr double zebLimit = 10000.0;         // the effective-charge model holds up to Zeff/beta = 100

bool isElectron(const ParticleState& particle)
{
    return particle.Z == -1;
}

void writeIdentity(std::ostream& out, const ParticleState& particle)
{
    std::string line = makeField("PARTICLE:", reportLineLength);
    if (isElectron(particle)) {
        appendText(" e-", line);
    } else if (particle.Z == 1 && particle.A == 1) {
        appendText(" proton", line);
    } else {
        appendNumber(particle.A, "I", " ", line);
        appendText(particle.symbol, line);
    }
    appendNumber(particle.massU, "E5", " (mass = ", line);
    appendNumber(particle.restEnergy, "E5", " u = ", line);
    appendText(" MeV/c^2)", line);
    writeLine(out, RecordForm::blankLineFirst, line);
}

// One blank, the number from column 2, then the text.
void writeQuantity(std::ostream& out, double value, std::string_view text)
{
    std::string line = blankLine();
    appendNumber(value, "E5", "", line);
    appendText(text, line);
    writeLine(out, RecordForm::indented, line);
}

// A quantity followed by its limit: "value label limit text".
void writeBoundedQuantity(std::ostream& out, double value, std::string_view label, double limit,
                          std::string_view limitCode, std::string_view text)
{
    std::string line = blankLine();
    appendNumber(value, "E5", "", line);
    appendNumber(limit, limitCode, label, line);
    appendText(text, line);
    writeLine(out, RecordForm::indented, line);
}

}  // namespace

void writeParticleSection(std::ostream& out, const ParticleState& particle)
{
    const double T = particle.T;
    const double m0c2 = particle.restEnergy;
    const double pc = std::sqrt(T * T + 2.0 * T * m0c2);

    writeIdentity(out, particle);
    writeBoundedQuantity(out, T, " MeV >= ", particle.tLimit, "E5", " MeV");
    if (isElectron(particle)) {
        writeBoundedQuantity(out, T / particle.massU, " MeV/u >= ", particle.tLimit / particle.massU,
                             "E5", " MeV/u)");
    } else {
        writeBoundedQuantity(out, T / particle.A, " MeV/A >= ", particle.tLimit / particle.A, "E5",
                             " MeV/A)");
    }
    writeQuantity(out, pc, " MeV (p*c = momentum x speed of light)");
    writeQuantity(out, wavelengthConstant / pc, " pm (de Broglie wavelength)");
    writeQuantity(out, T / m0c2 + 1.0, " = T/m0c2+1 (Lorentz factor) >= 1");
    writeQuantity(out, std::sqrt(particle.beta2 * particle.zeb), " ABS(effective charge); Barkas 1963 ");
    writeQuantity(out, std::sqrt(particle.beta2), " beta = (v/c) <= 1");
    writeBoundedQuantity(out, particle.zeb, " (zeff/beta)^2 <= ", zebLimit, "E3", "");
}

}  // namespace kesp
