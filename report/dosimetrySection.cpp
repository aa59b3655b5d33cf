#include "kesp/report/dosimetrySection.h"

#include <string>
#include <string_view>

#include "kesp/support/lineBuilder.h"
#include "kesp/support/lineWriter.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

// One indented record: a number followed by its explanation.
void writeValue(std::ostream& out, double value, std::string_view code, std::string_view text)
{
    std::string line = blankLine();
    appendNumber(value, code, "", line);
    appendText(text, line);
    writeLine(out, RecordForm::indented, line);
}

// A stopping-power component with its share of the total; the share's decimal
// point sits four columns after the opening parenthesis.
void writeShare(std::ostream& out, double part, double total, std::string_view kind)
{
    std::string line = blankLine();
    appendNumber(part, "E5", "", line);
    appendText(" keV/um (", line);
    const int column = static_cast<int>(trimmedLength(line)) + 4;
    // Far from the line's end: the share always goes in whole.
    static_cast<void>(placeNumber(100.0 * part / total, column, Justify::decimalPoint, "F3", line));
    appendText(kind, line);
    writeLine(out, RecordForm::indented, line);
}

void writeStoppingRecords(std::ostream& out, const ParticleState& particle, double range)
{
    writeValue(out, particle.dpuf, "E5", " absorbed dose per unit fluence (nGy-cm^2/particle)");
    writeValue(out, range, "E5", " cm (CSDA range)");
    writeValue(out, particle.sTotal, "E5", " keV/um (total stopping power)");
    if (particle.Z == -1) {
        writeShare(out, particle.sElectronic, particle.sTotal, "% collisional)");
        writeShare(out, particle.sRadiative, particle.sTotal, "% radiative)");
    } else {
        writeShare(out, particle.sElectronic, particle.sTotal, "% electronic)");
        writeShare(out, particle.sNuclear, particle.sTotal, "% nuclear)");
    }
}

void writeMicrodosimetryRecords(std::ostream& out, const ParticleState& particle, double diameter)
{
    std::string line = makeField("MICRODOSIMETRY ", reportLineLength);
    appendNumber(diameter, "F3", " (target = ", line);
    appendText(" um diameter cell nucleus)", line);
    writeLine(out, RecordForm::blankLineFirst, line);

    const double chord = 2.0 * diameter / 3.0;
    writeValue(out, chord, "E4", " um (avg. chord length = 4V/S = 2d/3)");
    writeValue(out, chord * particle.yf, "E4", " keV (energy imparted per event)");
    writeValue(out, particle.yf, "E4", " keV/um (frequency-mean lineal energy)");
    writeValue(out, particle.zf, "E4", " Gy (frequency-mean specific energy)");
    writeValue(out, 1.0 / particle.zf, "E4", " 1/Gy (event frequency per unit absorbed dose)");
}

}  // namespace

void writeDosimetrySection(std::ostream& out, const ParticlePhysics& physics, double diameter)
{
    const std::string title =
        makeField("DOSIMETRY (@ point of entry into cell nucleus)", reportLineLength);
    writeLine(out, RecordForm::blankLineFirst, title);
    writeStoppingRecords(out, physics.particle, physics.csdaRange);
    writeMicrodosimetryRecords(out, physics.particle, diameter);
}

}  // namespace kesp
