#include "kesp/report/mixedFieldTables.h"

#include <string>

#include "kesp/engine/fieldAverage.h"
#include "kesp/support/lineBuilder.h"
#include "kesp/support/lineWriter.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

constexpr std::size_t fullTableWidth = 115;
constexpr std::size_t summaryTableWidth = 78;

std::string rowStart(std::string_view name)
{
    std::string line = blankLine();
    // A particle name has at most 5 characters: it always goes in whole.
    static_cast<void>(placeText(name, 5, Justify::right, line));
    return line;
}

// Weighted sums of the full table's columns; `electronic` and `nuclear` make
// up the Coll+Nuc column of the average row.
struct FullTableSums {
    double weight = 0.0, kineticEnergy = 0.0, energyPerNucleon = 0.0, zeb = 0.0;
    double electronic = 0.0, nuclear = 0.0, radiative = 0.0, total = 0.0;
    double range = 0.0, dpuf = 0.0, zf = 0.0, hrf = 0.0;

    void add(const ComponentRow& row)
    {
        const double w = row.weight;
        const ComponentPhysics& p = row.physics;
        weight += w;
        kineticEnergy += w * row.kineticEnergy;
        energyPerNucleon += w * row.energyPerNucleon;
        zeb += w * row.zeb;
        electronic += w * p.sElectronic;
        nuclear += w * p.sNuclear;
        radiative += w * p.sRadiative;
        total += w * p.sTotal;
        range += w * p.rangeCsda;
        dpuf += w * p.dpuf;
        zf += w * p.zf;
        hrf += w * row.hrf;
    }
};

void writeFullRow(std::ostream& out, std::string_view name, double weight, double kineticEnergy,
                  double energyPerNucleon, double zeb, double collisionalAndNuclear,
                  const ComponentPhysics& p, double hrf)
{
    std::string line = rowStart(name);
    appendNumber(weight, "E2", "  ", line);
    appendNumber(kineticEnergy, "E3", "  ", line);
    appendNumber(energyPerNucleon, "E3", "  ", line);
    appendNumber(zeb, "E3", "  ", line);
    appendNumber(collisionalAndNuclear, "E2", "  ", line);
    appendNumber(p.sRadiative, "E2", " ", line);
    appendNumber(p.sTotal, "E3", " ", line);
    appendNumber(p.rangeCsda, "E3", "  ", line);
    appendNumber(p.dpuf, "E3", "  ", line);
    appendNumber(p.zf, "E2", " ", line);
    appendNumber(hrf, "F3", " ", line);
    writeLine(out, RecordForm::plain, line);
}

void writeFullTableHeading(std::ostream& out, double po2)
{
    writeRecord(out, "");
    writeRecord(out, "");
    const char* const introduction[] = {
        "MXRF TABLE: Particle types and properties of the (input) mixed radiation field. The hypoxia reduction factor (HRF)",
        "for DSB induction is estimated as [1/(1-pcr)]^2, where pcr = the probability a lesion undergoes chemical repair",
        "for the specified (input) oxygen concentration compared to fully aerobic (100% O2) conditions.  The frequency-mean",
        "specific energy (zf) is for a spherical target representative of the cell nucleus. Radiative losses by the primary",
        "charged particle are assumed non-local and do not not contribute to specific energy or the dose per unit fluence",
    };
    for (const char* text : introduction) {
        writeLine(out, RecordForm::plain, text);
    }
    std::string line = makeField(
        "(DPUF).  The reported stopping power is at the point of entry into the cell nucleus",
        reportLineLength);
    appendNumber(po2, "F3", " (pO2 = ", line);
    appendText("%).", line);
    writeLine(out, RecordForm::plain, line);
    writeRule(out, '=', fullTableWidth);
    writeLine(out, RecordForm::plain,
              "        Normed   -- Kinetic Energy --               Stopping Power (keV/um)      CSDA       Dosimetry (Gy)    HRF");
    writeLine(out, RecordForm::plain,
              "  Ion     wt       (MeV)     (MeV/A)      zeb     Coll+Nuc  Radiat    Total    Range (cm)   DPUF       zf     DSB");
    writeRule(out, '=', fullTableWidth);
}

void writeSummaryRow(std::ostream& out, std::string_view name, double weight,
                     double kineticEnergy, double energyPerNucleon, double zeb, double yf,
                     double zf, double range, double hrf)
{
    std::string line = rowStart(name);
    appendNumber(weight, "E2", "  ", line);
    appendNumber(kineticEnergy, "E2", " ", line);
    appendNumber(energyPerNucleon, "E2", " ", line);
    appendNumber(zeb, "E2", " ", line);
    appendNumber(yf, "E2", " ", line);
    appendNumber(zf, "E2", " ", line);
    appendNumber(range, "E2", " ", line);
    appendNumber(hrf, "F3", "  ", line);
    writeLine(out, RecordForm::plain, line);
}

}  // namespace

void writeMixedFieldTable(std::ostream& out, double po2, const std::vector<ComponentRow>& rows)
{
    writeFullTableHeading(out, po2);
    const auto count = static_cast<double>(rows.size());
    FullTableSums sums;
    for (const ComponentRow& row : rows) {
        sums.add(row);
        writeFullRow(out, row.name, row.weight, row.kineticEnergy, row.energyPerNucleon, row.zeb,
                     row.physics.sTotal - row.physics.sRadiative, row.physics, row.hrf);
    }
    ComponentPhysics average;
    average.sRadiative = sums.radiative;
    average.sTotal = sums.total;
    average.rangeCsda = sums.range;
    average.dpuf = sums.dpuf;
    average.zf = sums.zf;
    writeFullRow(out, "Avg", sums.weight / count, sums.kineticEnergy, sums.energyPerNucleon,
                 sums.zeb, sums.electronic + sums.nuclear, average, sums.hrf);
    writeRule(out, '=', fullTableWidth);
    writeLine(out, RecordForm::plain,
              "ZEB = (zeff/beta)^2 (Barkas 1963); DPUF = absorbed dose per unit fluence (nGy-cm^2/particle); zf in units of Gy");
}

void writeMixedFieldSummaryRows(std::ostream& out, double po2, const std::vector<ComponentRow>& rows)
{
    std::string line =
        makeField("Particle types and properties of the mixed radiation field", reportLineLength);
    appendNumber(po2, "F3", " (pO2 = ", line);
    appendText("%).", line);
    writeLine(out, RecordForm::blankLineFirst, line);
    writeRule(out, '=', summaryTableWidth);
    writeLine(out, RecordForm::plain,
              "        Normed   Kinetic Energy               yf       zf      Range    HRF");
    writeLine(out, RecordForm::plain,
              "  Ion     wt     (MeV)    (MeV/A)   zeb    (keV/um)   (Gy)     (cm)     DSB");
    writeRule(out, '=', summaryTableWidth);
    for (const ComponentRow& row : rows) {
        writeSummaryRow(out, row.name, row.weight, row.kineticEnergy, row.energyPerNucleon, row.zeb,
                        row.physics.yf, row.physics.zf, row.physics.rangeCsda, row.hrf);
    }
}

void writeMixedFieldSummary(std::ostream& out, double po2, const std::vector<ComponentRow>& rows)
{
    writeMixedFieldSummaryRows(out, po2, rows);
    const ComponentRow a = fieldAverage(rows);
    writeSummaryRow(out, a.name, a.weight, a.kineticEnergy, a.energyPerNucleon, a.zeb, a.physics.yf, a.physics.zf,
                    a.physics.rangeCsda, a.hrf);
    writeRule(out, '=', summaryTableWidth);
}

}  // namespace kesp
