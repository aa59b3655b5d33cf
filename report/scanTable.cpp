#include "kesp/report/scanTable.h"

#include <array>

#include "kesp/engine/fieldAverage.h"
#include "kesp/physics/particleSpelling.h"
#include "kesp/report/scanPairing.h"
#include "kesp/report/scanText.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

constexpr std::array physicsColumns{
    "particle",  "Z",      "A",         "ke_mev",      "ke_mev_per_u",
    "let_kev_um", "let_electronic_kev_um", "csda_range_cm", "zeb", "yf_kev_um",
    "zf_gy",     "dose_per_fluence_ngy_cm2",
    "segment_length_bp", "sb_per_cell_gy", "bd_per_cell_gy", "repair_probability",
};

constexpr std::array simulationColumns{
    "dsb",    "dsb_sem", "ssb",    "ssb_sem", "other",    "other_sem",    "all",         "all_sem",
    "dsb_per_gy_gbp",    "ssb_per_gy_gbp",
    "pct_bd", "pct_ssb", "pct_ssb_plus", "pct_2ssb", "pct_dsb", "pct_dsb_plus", "pct_dsb_plus_plus",
    "cells",  "seed",
};

// TABLE 1's first seven classes: BD, SSB, SSB+, 2SSB, DSB, DSB+, DSB++.
constexpr std::size_t tableOneClasses = 7;

std::string wholeText(std::int64_t value)
{
    return std::to_string(value);
}

std::string optionalText(std::optional<double> value)
{
    return value ? shortestText(*value) : std::string();
}

void addSingleParticle(const RunSettings& settings, const RunResults& results, std::vector<std::string>& fields)
{
    const ParticleState& p = results.particle.particle;
    const double perNucleon = kineticEnergyPerNucleon(p);
    for (const std::string& text :
         {canonicalParticleName(settings.field.component(1).name), wholeText(p.Z), wholeText(p.A),
          shortestText(p.T), shortestText(perNucleon), shortestText(p.sTotal), shortestText(p.sElectronic),
          shortestText(results.particle.csdaRange), shortestText(p.zeb), shortestText(p.yf), shortestText(p.zf),
          shortestText(p.dpuf)}) {
        fields.push_back(text);
    }
    const DamageYields& y = results.yields;
    for (const std::string& text : {wholeText(y.segmentLength), wholeText(y.strandBreaks),
                                    wholeText(y.baseDamages), shortestText(y.repairProbability)}) {
        fields.push_back(text);
    }
}

// The field's average row, as the report's tables show it.
void addMixedField(const RunResults& results, std::vector<std::string>& fields)
{
    const ComponentRow a = fieldAverage(results.components);
    for (const std::string& text :
         {std::string("field"), std::string(), std::string(), shortestText(a.kineticEnergy),
          shortestText(a.kineticEnergyPerNucleonMeV), shortestText(a.physics.sTotal), shortestText(a.physics.sElectronic),
          shortestText(a.physics.rangeCsda), shortestText(a.zeffOverBetaSquared), shortestText(a.physics.yf),
          shortestText(a.physics.zf), shortestText(a.physics.dpuf)}) {
        fields.push_back(text);
    }
    // The damage model differs from component to component.
    fields.insert(fields.end(), 4, std::string());
}

void addSimulation(const RunResults& results, RowValues& row)
{
    // One cell has no spread to estimate a standard error from: the named
    // results then give none, where the SEM of 0 would look perfectly precise.
    for (const ClusterCategory category : clusterCategories) {
        const std::optional<ClusterYield> yield = results.clusters(category);
        row.fields.push_back(yield ? shortestText(yield->perCellPerGy.mean) : std::string());
        row.fields.push_back(yield ? optionalText(yield->perCellPerGy.sem) : std::string());
    }
    const std::optional<ClusterYield> dsb = results.clusters(ClusterCategory::dsb);
    const std::optional<ClusterYield> ssb = results.clusters(ClusterCategory::ssb);
    if (dsb) {
        row.dsb = dsb->perCellPerGy.mean;
        row.dsbSem = dsb->perCellPerGy.sem;
    }
    row.fields.push_back(dsb ? shortestText(dsb->perGyPerGbp.mean) : std::string());
    row.fields.push_back(ssb ? shortestText(ssb->perGyPerGbp.mean) : std::string());
    for (std::size_t k = 0; k < tableOneClasses; ++k) {
        row.fields.push_back(shortestText(results.percent(complexityClasses[k])));
    }
    row.fields.push_back(wholeText(results.cellsSimulated));
    row.fields.push_back(wholeText(results.seed));
}

bool needsQuotes(const std::string& field)
{
    return field.find_first_of(",\"\r\n") != std::string::npos
           || (!field.empty() && (field.front() == ' ' || field.back() == ' '));
}

}  // namespace

std::vector<std::string> tableColumns(const ScanDefinition& scan, ScanMode mode)
{
    std::vector<std::string> columns;
    for (const ScanAxis& axis : scan.vary) {
        columns.emplace_back(axis.item->name);
    }
    columns.emplace_back("switches");
    columns.insert(columns.end(), physicsColumns.begin(), physicsColumns.end());
    if (mode == ScanMode::simulation) {
        columns.insert(columns.end(), simulationColumns.begin(), simulationColumns.end());
        if (scan.hasReference()) {
            columns.emplace_back("rbe_dsb");
            columns.emplace_back("rbe_dsb_sem");
        }
        if (oxygenAxisOf(scan)) {
            columns.emplace_back("oer_dsb");
            columns.emplace_back("oer_dsb_sem");
        }
        if (scan.survival) {
            const std::vector<std::string> survival = survivalColumns(*scan.survival, oxygenAxisOf(scan).has_value());
            columns.insert(columns.end(), survival.begin(), survival.end());
        }
    }
    return columns;
}

RowValues rowValues(const ScanDefinition& scan, const Configuration& configuration, const RunSettings& settings,
                    const RunResults& results, ScanMode mode)
{
    RowValues row;
    row.fields = configuration.varied;
    row.fields.push_back(switchText(scan));
    if (results.singleParticle) {
        addSingleParticle(settings, results, row.fields);
    } else {
        addMixedField(results, row.fields);
    }
    if (mode == ScanMode::simulation) {
        addSimulation(results, row);
        if (scan.survival) {
            row.dsbSources = rowSourcesOf(results);
        }
    }
    return row;
}

PendingRow pendingRowOf(const RowValues& row)
{
    std::string text = csvLine(row.fields);
    text.pop_back();
    return PendingRow{std::move(text), row.dsb, row.dsbSem, row.dsbSources};
}

std::string tableLine(const PendingRow& row, const std::vector<std::string>& pairedFields)
{
    if (pairedFields.empty()) {
        return row.text + "\n";
    }
    return row.text + "," + csvLine(pairedFields);
}

std::size_t pairedFieldCount(const ScanDefinition& scan, ScanMode mode)
{
    if (mode != ScanMode::simulation) {
        return 0;
    }
    const bool oxygenVaries = oxygenAxisOf(scan).has_value();
    return (scan.hasReference() ? 2 : 0) + (oxygenVaries ? 2 : 0)
           + (scan.survival ? survivalColumns(*scan.survival, oxygenVaries).size() : 0);
}

std::string csvLine(const std::vector<std::string>& fields)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += ',';
        }
        if (!needsQuotes(fields[i])) {
            line += fields[i];
            continue;
        }
        line += '"';
        for (const char c : fields[i]) {
            line += c == '"' ? std::string("\"\"") : std::string(1, c);
        }
        line += '"';
    }
    return line + "\n";
}

}  // namespace kesp
