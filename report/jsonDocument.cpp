#include "kesp/report/jsonDocument.h"

#include <nlohmann/json.hpp>

#include "kesp/damage/damageYields.h"
#include "kesp/physics/particleSpelling.h"
#include "kesp/report/banner.h"
#include "kesp/report/damageSections.h"
#include "kesp/report/survivalJson.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

// Keys stay in the order they are written, which is the report's order.
using Json = nlohmann::ordered_json;

constexpr int formatVersion = 1;

// Every setting of the run, with its unit in its key. The only place that
// reads the settings.
Json settingsJson(const RunSettings& settings)
{
    Json radiation;
    const RadiationField& field = settings.field;
    if (field.singleParticle()) {
        const FieldComponent& particle = field.component(1);
        radiation = {{"particle", canonicalParticleName(trimmed(particle.name))},
                     {"kinetic_energy_mev", particle.kineticEnergy}};
    } else {
        Json components = Json::array();
        for (int k = 1; k <= field.componentCount(); ++k) {
            const FieldComponent& component = field.component(k);
            components.push_back({{"particle", canonicalParticleName(trimmed(component.name))},
                                  {"kinetic_energy_mev", component.kineticEnergy},
                                  {"weight", component.weight}});
        }
        radiation = {{"field_file", field.fileName()}, {"components", components}};
    }
    const OxygenModel& oxygen = settings.oxygenModel;
    const DmsoModel& dmso = settings.dmso;
    return {
        {"cells", settings.cells},
        {"seed", settings.seed},
        {"dna_content_gbp", settings.dnaContent},
        {"nucleus_diameter_um", settings.nucleusDiameter},
        {"bl_fraction_of_bd", settings.unrepairableBaseFraction},
        {"oxygen_percent", settings.oxygenPercent},
        {"oxygen_model",
         {{"enabled", oxygen.enabled},
          {"zeb_dependent", oxygen.zebDependent},
          {"m0", oxygen.maximumEnhancement},
          {"k_percent_o2", oxygen.halfEffectOxygen},
          {"q_zeb", oxygen.halfEffectZeb},
          {"r", oxygen.steepness}}},
        {"dmso",
         {{"concentration_mol_per_dm3", dmso.concentration},
          {"non_scavengeable_fraction", dmso.nonScavengeableFraction},
          {"half_level_concentration_mol_per_dm3", dmso.halfLevelConcentration}}},
        {"masses_2006", settings.masses2006},
        {"radiation", radiation},
    };
}

Json runJson(const RunResults& results)
{
    Json cells = nullptr;
    if (!results.singleParticle) {
        cells = results.componentCells;
    }
    return {{"seed", results.seed},
            {"cells_requested", results.cellsRequested},
            {"cells_simulated", results.cellsSimulated},
            {"interrupted", results.interrupted},
            {"component_cells", cells}};
}

Json quantitiesJson(const ParticleQuantities& q)
{
    return {{"kinetic_energy_mev", q.kineticEnergyMeV},
            {"kinetic_energy_per_nucleon_mev", q.kineticEnergyPerNucleonMeV},
            {"let_kev_per_um", q.letKeVPerUm},
            {"electronic_stopping_kev_per_um", q.electronicStoppingKeVPerUm},
            {"nuclear_stopping_kev_per_um", q.nuclearStoppingKeVPerUm},
            {"radiative_stopping_kev_per_um", q.radiativeStoppingKeVPerUm},
            {"csda_range_cm", q.csdaRangeCm},
            {"zeff_over_beta_squared", q.zeffOverBetaSquared},
            {"dose_per_fluence_ngy_cm2", q.dosePerFluenceNGyCm2},
            {"yf_kev_per_um", q.yFKeVPerUm},
            {"zf_gy", q.zFGy}};
}

Json componentJson(const ComponentResult& component)
{
    return {{"particle", component.particle},
            {"weight", component.weight},
            {"cells_simulated", component.cellsSimulated},
            {"dsb_hypoxia_reduction_factor", component.dsbHypoxiaReductionFactor},
            {"physics", quantitiesJson(component.physics)}};
}

// The particle's physics, or the components' and the field's average.
Json physicsJson(const RunResults& results)
{
    if (results.singleParticle) {
        return {{"particle", quantitiesJson(results.particleQuantities())},
                {"components", nullptr},
                {"field_average", nullptr}};
    }
    Json components = Json::array();
    for (const ComponentResult& component : results.componentResults()) {
        components.push_back(componentJson(component));
    }
    return {{"particle", nullptr},
            {"components", components},
            {"field_average", componentJson(results.fieldAverageResult())}};
}

// The model's constants and, for a single particle, its yields and the
// oxygen section's factors; a mixed field's factors are its components'.
Json damageModelJson(const RunResults& results)
{
    Json particle = nullptr;
    if (results.singleParticle) {
        const DamageYields& y = results.yields;
        const OxygenFactors oxygen = oxygenFactors(y.repairProbability);
        particle = {{"segment_length_bp_per_cell_per_gy", y.segmentLength},
                    {"strand_breaks_per_cell_per_gy", y.strandBreaks},
                    {"base_damages_per_cell_per_gy", y.baseDamages},
                    {"chemical_repair_probability", oxygen.repairProbability},
                    {"o2_fixation_probability", oxygen.fixationProbability},
                    {"ssb_hypoxia_reduction_factor", oxygen.ssbHypoxiaReduction},
                    {"dsb_hypoxia_reduction_factor", oxygen.dsbHypoxiaReduction}};
    }
    return {{"base_damage_to_strand_break_ratio", baseDamageToStrandBreakRatio},
            {"min_cluster_separation_bp", minClusterSeparationBp},
            {"max_dsb_separation_bp", maxDsbSeparationBp},
            {"particle", particle}};
}

Json estimateJson(const Estimate& estimate)
{
    Json sem = nullptr;
    if (estimate.sem) {
        sem = *estimate.sem;
    }
    return {{"mean", estimate.mean}, {"sem", sem}};
}

Json optionalEstimateJson(const std::optional<Estimate>& estimate)
{
    return estimate ? estimateJson(*estimate) : Json(nullptr);
}

Json yieldsJson(const RunResults& results)
{
    Json yields = Json::object();
    for (const ClusterCategory category : clusterCategories) {
        const std::optional<ClusterYield> yield = results.clusters(category);
        yields[std::string(key(category))] =
            yield ? Json{{"per_cell_per_gy", estimateJson(yield->perCellPerGy)},
                         {"per_gy_per_gbp", estimateJson(yield->perGyPerGbp)}}
                  : Json(nullptr);
    }
    return yields;
}

Json complexityJson(const RunResults& results)
{
    Json percent = Json::object();
    for (const ComplexityClass complexityClass : complexityClasses) {
        percent[std::string(key(complexityClass))] = results.percent(complexityClass);
    }
    return percent;
}

// One row of a table: each category's mean and SEM, or null.
Json rowJson(const RunResults& results, ClusterTable table, ClusterRow row)
{
    Json entries = Json::object();
    for (const ClusterCategory category : clusterCategories) {
        entries[std::string(key(category))] = optionalEstimateJson(results.entry(table, row, category));
    }
    return entries;
}

Json tableJson(const RunResults& results, ClusterTable table)
{
    Json rows = Json::array();
    for (int n = 1; n <= ClusterRow::largestCluster; ++n) {
        Json row = {{"lesions", n}};
        row.update(rowJson(results, table, ClusterRow::lesions(n)));
        rows.push_back(row);
    }
    return {{"table", static_cast<int>(table)},
            {"unit", unit(table)},
            {"rows", rows},
            {"all_clusters", rowJson(results, table, ClusterRow::all())}};
}

Json tablesJson(const RunResults& results)
{
    Json tables = {{"complexity_percent", complexityJson(results)}};
    for (const ClusterTable table : clusterTables) {
        tables[std::string(key(table))] = tableJson(results, table);
    }
    return tables;
}

}  // namespace

std::string jsonDocument(const RunSettings& settings, const RunResults& results, const RunProvenance& provenance,
                         const CellSurvival* survival)
{
    Json document = {
        {"format", "kesp-results"},
        {"format_version", formatVersion},
        {"program",
         {{"version", provenance.version}, {"release", programRelease()}, {"revision", provenance.revision}}},
        {"input", {{"file", provenance.inputFile}, {"sha256", provenance.inputSha256}}},
        {"switches", provenance.switches},
        {"settings", settingsJson(settings)},
        {"run", runJson(results)},
        {"physics", physicsJson(results)},
        {"damage_model", damageModelJson(results)},
        {"yields", yieldsJson(results)},
        {"tables", tablesJson(results)},
    };
    if (survival != nullptr) {
        document["survival"] = survivalJson(*survival);
    }
    // Invalid UTF-8 in a name (a file name in another encoding) is replaced
    // rather than thrown on.
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace kesp
