#include "kesp/report/quantities.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace kesp {

namespace {

using G = QuantityGroup;

// One row per quantity: name, unit, description, group, JSON paths, CSV
// column, Python paths, TypeScript paths.
constexpr std::array quantityTable{
    // The radiation.
    Quantity{"particle", "",
             "particle name as the user wrote it, its element symbol in canonical case (12C, 4He, p, e)", G::radiation,
             "settings.radiation.particle settings.radiation.components[].particle physics.components[].particle "
             "physics.field_average.particle",
             "particle", "components.particle settings.field.components[].particle",
             "ResultsDocument.settings.radiation.particle"},
    Quantity{"weight", "", "a mixed-field component's share of the absorbed dose, normalised to a sum of 1",
             G::radiation,
             "settings.radiation.components[].weight physics.components[].weight physics.field_average.weight", "",
             "components.weight settings.field.components[].weight", ""},
    Quantity{"field_file", "", "the field file a mixed field was read from", G::radiation,
             "settings.radiation.field_file", "", "settings.field.file_name", ""},
    Quantity{"charge_number", "", "charge number Z; -1 for the electron", G::radiation, "", "Z", "", ""},
    Quantity{"mass_number", "", "mass number A; 0 for the electron", G::radiation, "", "A", "", ""},

    // The particle's physics at the entry into the nucleus.
    Quantity{"kinetic_energy_mev", "MeV", "kinetic energy of the whole particle", G::physics,
             "physics.particle.kinetic_energy_mev settings.radiation.kinetic_energy_mev "
             "settings.radiation.components[].kinetic_energy_mev",
             "ke_mev", "kinetic_energy_mev physics.kinetic_energy_mev components.kinetic_energy_mev "
             "settings.field.components[].kinetic_energy_mev",
             "Quantities.kinetic_energy_mev"},
    Quantity{"kinetic_energy_per_nucleon_mev", "MeV",
             "kinetic energy per nucleon: per mass number for an ion, per u of its mass for the electron", G::physics,
             "physics.particle.kinetic_energy_per_nucleon_mev",
             "ke_mev_per_u",
             "kinetic_energy_per_nucleon_mev physics.kinetic_energy_per_nucleon_mev "
             "components.kinetic_energy_per_nucleon_mev",
             "Quantities.kinetic_energy_per_nucleon_mev"},
    Quantity{"let_kev_per_um", "keV/um", "LET: the total stopping power (electronic + nuclear + radiative)",
             G::physics, "physics.particle.let_kev_per_um", "let_kev_um",
             "let_kev_per_um physics.let_kev_per_um components.let_kev_per_um", "Quantities.let_kev_per_um"},
    Quantity{"electronic_stopping_kev_per_um", "keV/um", "electronic (for the electron: collisional) stopping power",
             G::physics, "physics.particle.electronic_stopping_kev_per_um", "let_electronic_kev_um",
             "physics.electronic_stopping_kev_per_um components.electronic_stopping_kev_per_um",
             "Quantities.electronic_stopping_kev_per_um"},
    Quantity{"nuclear_stopping_kev_per_um", "keV/um", "nuclear stopping power (0 for the electron)", G::physics,
             "physics.particle.nuclear_stopping_kev_per_um", "",
             "physics.nuclear_stopping_kev_per_um components.nuclear_stopping_kev_per_um",
             "Quantities.nuclear_stopping_kev_per_um"},
    Quantity{"radiative_stopping_kev_per_um", "keV/um", "radiative stopping power (0 for ions)", G::physics,
             "physics.particle.radiative_stopping_kev_per_um", "",
             "physics.radiative_stopping_kev_per_um components.radiative_stopping_kev_per_um",
             "Quantities.radiative_stopping_kev_per_um"},
    Quantity{"csda_range_cm", "cm", "CSDA range", G::physics, "physics.particle.csda_range_cm", "csda_range_cm",
             "csda_range_cm physics.csda_range_cm components.csda_range_cm", "Quantities.csda_range_cm"},
    Quantity{"zeff_over_beta_squared", "", "(Zeff/beta)^2: effective charge over speed, squared", G::physics,
             "physics.particle.zeff_over_beta_squared", "zeb",
             "zeff_over_beta_squared physics.zeff_over_beta_squared components.zeff_over_beta_squared",
             "Quantities.zeff_over_beta_squared"},
    Quantity{"dose_per_fluence_ngy_cm2", "nGy cm^2", "absorbed dose per unit fluence", G::physics,
             "physics.particle.dose_per_fluence_ngy_cm2", "dose_per_fluence_ngy_cm2",
             "dose_per_fluence_ngy_cm2 physics.dose_per_fluence_ngy_cm2 components.dose_per_fluence_ngy_cm2",
             "Quantities.dose_per_fluence_ngy_cm2"},
    Quantity{"yf_kev_per_um", "keV/um", "frequency-mean lineal energy yF", G::physics,
             "physics.particle.yf_kev_per_um", "yf_kev_um",
             "yf_kev_per_um physics.yf_kev_per_um components.yf_kev_per_um",
             "Quantities.yf_kev_per_um"},
    Quantity{"zf_gy", "Gy", "frequency-mean specific energy zF in the nucleus", G::physics, "physics.particle.zf_gy",
             "zf_gy", "zf_gy physics.zf_gy components.zf_gy", "Quantities.zf_gy"},

    // The damage model.
    Quantity{"segment_length_bp_per_cell_per_gy", "bp per cell per Gy", "segment length nseg", G::damageModel,
             "damage_model.particle.segment_length_bp_per_cell_per_gy", "segment_length_bp", "",
             "ResultsDocument.damage_model.particle.segment_length_bp_per_cell_per_gy"},
    Quantity{"strand_breaks_per_cell_per_gy", "per cell per Gy", "strand breaks sigSb", G::damageModel,
             "damage_model.particle.strand_breaks_per_cell_per_gy", "sb_per_cell_gy", "",
             "ResultsDocument.damage_model.particle.strand_breaks_per_cell_per_gy"},
    Quantity{"base_damages_per_cell_per_gy", "per cell per Gy", "base damages sigBd", G::damageModel,
             "damage_model.particle.base_damages_per_cell_per_gy", "bd_per_cell_gy", "",
             "ResultsDocument.damage_model.particle.base_damages_per_cell_per_gy"},
    Quantity{"chemical_repair_probability", "", "chemical repair probability pcr", G::damageModel,
             "damage_model.particle.chemical_repair_probability", "repair_probability", "",
             "ResultsDocument.damage_model.particle.chemical_repair_probability"},
    Quantity{"o2_fixation_probability", "", "O2 fixation probability 1-pcr", G::damageModel,
             "damage_model.particle.o2_fixation_probability", "", "",
             "ResultsDocument.damage_model.particle.o2_fixation_probability"},
    Quantity{"ssb_hypoxia_reduction_factor", "", "hypoxia reduction factor for SSB induction, 1/(1-pcr)",
             G::damageModel, "damage_model.particle.ssb_hypoxia_reduction_factor", "", "",
             "ResultsDocument.damage_model.particle.ssb_hypoxia_reduction_factor"},
    Quantity{"dsb_hypoxia_reduction_factor", "", "hypoxia reduction factor for DSB induction, [1/(1-pcr)]^2",
             G::damageModel,
             "damage_model.particle.dsb_hypoxia_reduction_factor physics.components[].dsb_hypoxia_reduction_factor "
             "physics.field_average.dsb_hypoxia_reduction_factor",
             "", "components.dsb_hypoxia_reduction_factor",
             "ResultsDocument.damage_model.particle.dsb_hypoxia_reduction_factor"},
    Quantity{"base_damage_to_strand_break_ratio", "", "base damage to strand break ratio f", G::damageModel,
             "damage_model.base_damage_to_strand_break_ratio", "", "", ""},
    Quantity{"min_cluster_separation_bp", "bp", "minimum distance between clusters Nmin", G::damageModel,
             "damage_model.min_cluster_separation_bp", "", "", ""},
    Quantity{"max_dsb_separation_bp", "bp", "maximum distance between two Sb that make a DSB Ndsb", G::damageModel,
             "damage_model.max_dsb_separation_bp", "", "", ""},

    // Cluster yields: per cell of the run's DNA content, and per Gbp.
    Quantity{"dsb_per_cell_per_gy", "per cell per Gy", "DSB clusters, mean over the cells", G::yields,
             "yields.dsb.per_cell_per_gy.mean", "dsb", "dsb.per_cell_per_gy.mean",
             "ResultsDocument.yields.dsb.per_cell_per_gy.mean"},
    Quantity{"dsb_per_cell_per_gy_sem", "per cell per Gy", "standard error of dsb_per_cell_per_gy", G::yields,
             "yields.dsb.per_cell_per_gy.sem", "dsb_sem", "dsb.per_cell_per_gy.sem",
             "ResultsDocument.yields.dsb.per_cell_per_gy.sem"},
    Quantity{"ssb_per_cell_per_gy", "per cell per Gy", "SSB clusters, mean over the cells", G::yields,
             "yields.ssb.per_cell_per_gy.mean", "ssb", "ssb.per_cell_per_gy.mean",
             "ResultsDocument.yields.ssb.per_cell_per_gy.mean"},
    Quantity{"ssb_per_cell_per_gy_sem", "per cell per Gy", "standard error of ssb_per_cell_per_gy", G::yields,
             "yields.ssb.per_cell_per_gy.sem", "ssb_sem", "ssb.per_cell_per_gy.sem",
             "ResultsDocument.yields.ssb.per_cell_per_gy.sem"},
    Quantity{"other_per_cell_per_gy", "per cell per Gy", "clusters of base damage only, mean over the cells",
             G::yields, "yields.other.per_cell_per_gy.mean", "other", "other.per_cell_per_gy.mean",
             "ResultsDocument.yields.other.per_cell_per_gy.mean"},
    Quantity{"other_per_cell_per_gy_sem", "per cell per Gy", "standard error of other_per_cell_per_gy", G::yields,
             "yields.other.per_cell_per_gy.sem", "other_sem", "other.per_cell_per_gy.sem",
             "ResultsDocument.yields.other.per_cell_per_gy.sem"},
    Quantity{"all_per_cell_per_gy", "per cell per Gy", "all clusters, mean over the cells", G::yields,
             "yields.all.per_cell_per_gy.mean", "all", "all.per_cell_per_gy.mean",
             "ResultsDocument.yields.all.per_cell_per_gy.mean"},
    Quantity{"all_per_cell_per_gy_sem", "per cell per Gy", "standard error of all_per_cell_per_gy", G::yields,
             "yields.all.per_cell_per_gy.sem", "all_sem", "all.per_cell_per_gy.sem",
             "ResultsDocument.yields.all.per_cell_per_gy.sem"},
    Quantity{"dsb_per_gy_per_gbp", "per Gy per Gbp", "DSB clusters per cell per Gy over the DNA content",
             G::yields, "yields.dsb.per_gy_per_gbp.mean", "dsb_per_gy_gbp", "dsb.per_gy_per_gbp.mean",
             "ResultsDocument.yields.dsb.per_gy_per_gbp.mean"},
    Quantity{"dsb_per_gy_per_gbp_sem", "per Gy per Gbp", "standard error of dsb_per_gy_per_gbp", G::yields,
             "yields.dsb.per_gy_per_gbp.sem", "", "dsb.per_gy_per_gbp.sem",
             "ResultsDocument.yields.dsb.per_gy_per_gbp.sem"},
    Quantity{"ssb_per_gy_per_gbp", "per Gy per Gbp", "SSB clusters per cell per Gy over the DNA content",
             G::yields, "yields.ssb.per_gy_per_gbp.mean", "ssb_per_gy_gbp", "ssb.per_gy_per_gbp.mean",
             "ResultsDocument.yields.ssb.per_gy_per_gbp.mean"},
    Quantity{"ssb_per_gy_per_gbp_sem", "per Gy per Gbp", "standard error of ssb_per_gy_per_gbp", G::yields,
             "yields.ssb.per_gy_per_gbp.sem", "", "ssb.per_gy_per_gbp.sem",
             "ResultsDocument.yields.ssb.per_gy_per_gbp.sem"},
    Quantity{"other_per_gy_per_gbp", "per Gy per Gbp", "base-damage clusters per cell per Gy over the DNA content",
             G::yields, "yields.other.per_gy_per_gbp.mean", "", "other.per_gy_per_gbp.mean",
             "ResultsDocument.yields.other.per_gy_per_gbp.mean"},
    Quantity{"other_per_gy_per_gbp_sem", "per Gy per Gbp", "standard error of other_per_gy_per_gbp", G::yields,
             "yields.other.per_gy_per_gbp.sem", "", "other.per_gy_per_gbp.sem",
             "ResultsDocument.yields.other.per_gy_per_gbp.sem"},
    Quantity{"all_per_gy_per_gbp", "per Gy per Gbp", "all clusters per cell per Gy over the DNA content", G::yields,
             "yields.all.per_gy_per_gbp.mean", "", "all.per_gy_per_gbp.mean",
             "ResultsDocument.yields.all.per_gy_per_gbp.mean"},
    Quantity{"all_per_gy_per_gbp_sem", "per Gy per Gbp", "standard error of all_per_gy_per_gbp", G::yields,
             "yields.all.per_gy_per_gbp.sem", "", "all.per_gy_per_gbp.sem",
             "ResultsDocument.yields.all.per_gy_per_gbp.sem"},

    // TABLE 1. The page reads these through a record of any key, which no
    // type check can hold to the table: they have no TypeScript path.
    Quantity{"percent_bd", "%", "BD: one or more Bd, no Sb", G::complexity, "tables.complexity_percent.bd", "pct_bd",
             "complexity.bd", ""},
    Quantity{"percent_ssb", "%", "SSB: one Sb, no other damage", G::complexity, "tables.complexity_percent.ssb",
             "pct_ssb", "complexity.ssb", ""},
    Quantity{"percent_ssb_plus", "%", "SSB+: two Sb on the same strand", G::complexity,
             "tables.complexity_percent.ssb_plus", "pct_ssb_plus", "complexity.ssb_plus", ""},
    Quantity{"percent_two_ssb", "%", "2SSB: Sb on opposite strands more than 10 bp apart", G::complexity,
             "tables.complexity_percent.two_ssb", "pct_2ssb", "complexity.two_ssb", ""},
    Quantity{"percent_dsb", "%", "DSB: two Sb on opposite strands within 10 bp", G::complexity,
             "tables.complexity_percent.dsb", "pct_dsb", "complexity.dsb", ""},
    Quantity{"percent_dsb_plus", "%", "DSB+: a DSB with more Sb within 10 bp", G::complexity,
             "tables.complexity_percent.dsb_plus", "pct_dsb_plus", "complexity.dsb_plus", ""},
    Quantity{"percent_dsb_plus_plus", "%", "DSB++: more than one DSB", G::complexity,
             "tables.complexity_percent.dsb_plus_plus", "pct_dsb_plus_plus", "complexity.dsb_plus_plus", ""},
    Quantity{"percent_ssb_c", "%", "SSBc: complex SSB (SSB+ and 2SSB) among SSBs", G::complexity,
             "tables.complexity_percent.ssb_c", "", "complexity.ssb_c", ""},
    Quantity{"percent_ssb_cb", "%", "SSBcb: the same, base damage counted", G::complexity,
             "tables.complexity_percent.ssb_cb", "", "complexity.ssb_cb", ""},
    Quantity{"percent_dsb_c", "%", "DSBc: complex DSB (DSB+ and DSB++) among DSBs", G::complexity,
             "tables.complexity_percent.dsb_c", "", "complexity.dsb_c", ""},
    Quantity{"percent_dsb_cb", "%", "DSBcb: the same, base damage counted", G::complexity,
             "tables.complexity_percent.dsb_cb", "", "complexity.dsb_cb", ""},

    // What kesp-scan works out between rows.
    Quantity{"rbe_dsb", "", "RBE for DSB induction: the row's DSB yield over the reference row's", G::scan, "",
             "rbe_dsb", "", ""},
    Quantity{"rbe_dsb_sem", "", "standard error of rbe_dsb", G::scan, "", "rbe_dsb_sem", "", ""},
    Quantity{"oer_dsb", "",
             "OER for DSB induction: the DSB yield at the scan's aerobic oxygen level over the row's (a scan that "
             "varies oxygen)",
             G::scan, "", "oer_dsb", "", ""},
    Quantity{"oer_dsb_sem", "", "standard error of oer_dsb", G::scan, "", "oer_dsb_sem", "", ""},

    // Cell survival (repair-misrepair-fixation model), with cell parameters.
    Quantity{"theta_per_dsb", "per DSB", "theta of the cell line: the linear term of alpha per DSB", G::survival,
             "survival.theta_per_dsb", "", "survival.theta_per_dsb", "RunResponse.survival.theta_per_dsb"},
    Quantity{"kappa_per_dsb2", "per DSB^2", "kappa of the cell line: beta = (kappa / 2) Sigma^2", G::survival,
             "survival.kappa_per_dsb2", "", "survival.kappa_per_dsb2", "RunResponse.survival.kappa_per_dsb2"},
    Quantity{"alpha_per_gy", "Gy^-1", "alpha of the radiation for cell killing: theta Sigma + kappa zF Sigma^2",
             G::survival, "survival.alpha_per_gy.mean", "alpha_per_gy", "survival.alpha_per_gy",
             "RunResponse.survival.alpha_per_gy.mean"},
    Quantity{"alpha_per_gy_sem", "Gy^-1", "standard error of alpha_per_gy", G::survival,
             "survival.alpha_per_gy.sem", "alpha_per_gy_sem", "survival.alpha_per_gy_sem",
             "RunResponse.survival.alpha_per_gy.sem"},
    Quantity{"beta_per_gy2", "Gy^-2", "beta of the radiation for cell killing: (kappa / 2) Sigma^2", G::survival,
             "survival.beta_per_gy2.mean", "beta_per_gy2", "survival.beta_per_gy2",
             "RunResponse.survival.beta_per_gy2.mean"},
    Quantity{"beta_per_gy2_sem", "Gy^-2", "standard error of beta_per_gy2", G::survival, "survival.beta_per_gy2.sem",
             "beta_per_gy2_sem", "survival.beta_per_gy2_sem", "RunResponse.survival.beta_per_gy2.sem"},
    Quantity{"reference_alpha_per_gy", "Gy^-1",
             "alpha of the reference radiation under the run's conditions (the measured alpha_R under those of "
             "the measurement)",
             G::survival, "survival.reference.alpha_per_gy.mean", "", "survival.reference.alpha_per_gy", ""},
    Quantity{"reference_alpha_per_gy_sem", "Gy^-1", "standard error of reference_alpha_per_gy (0 as measured)",
             G::survival, "survival.reference.alpha_per_gy.sem", "", "survival.reference.alpha_per_gy_sem", ""},
    Quantity{"reference_beta_per_gy2", "Gy^-2", "beta of the reference radiation under the run's conditions",
             G::survival, "survival.reference.beta_per_gy2.mean", "", "survival.reference.beta_per_gy2", ""},
    Quantity{"reference_beta_per_gy2_sem", "Gy^-2", "standard error of reference_beta_per_gy2 (0 as measured)",
             G::survival, "survival.reference.beta_per_gy2.sem", "", "survival.reference.beta_per_gy2_sem", ""},
    Quantity{"rbe_low_dose", "", "RBE for cell killing at low dose: alpha / alpha_R", G::survival,
             "survival.rbe_low_dose.mean", "rbe_low_dose", "survival.rbe_low_dose",
             "RunResponse.survival.rbe_low_dose.mean"},
    Quantity{"rbe_low_dose_sem", "", "standard error of rbe_low_dose", G::survival, "survival.rbe_low_dose.sem",
             "rbe_low_dose_sem", "survival.rbe_low_dose_sem", "RunResponse.survival.rbe_low_dose.sem"},
    Quantity{"rbe_high_dose", "", "RBE for cell killing at high dose: sqrt(beta / beta_R) = Sigma / Sigma_R",
             G::survival, "survival.rbe_high_dose.mean", "rbe_high_dose", "survival.rbe_high_dose",
             "RunResponse.survival.rbe_high_dose.mean"},
    Quantity{"rbe_high_dose_sem", "", "standard error of rbe_high_dose", G::survival, "survival.rbe_high_dose.sem",
             "rbe_high_dose_sem", "survival.rbe_high_dose_sem", "RunResponse.survival.rbe_high_dose.sem"},
    Quantity{"reference_dose_gy", "Gy", "a dose D_R of the reference radiation an RBE is given at", G::survival,
             "survival.rbe_at_reference_dose[].reference_dose_gy", "", "", ""},
    Quantity{"rbe_at_reference_dose", "",
             "RBE for cell killing at a reference dose D_R: D_R over the dose of the same survival (the column "
             "names D_R: 2 Gy by default)",
             G::survival, "survival.rbe_at_reference_dose[].rbe.mean", "rbe_at_reference_dose_2gy", "", ""},
    Quantity{"rbe_at_reference_dose_sem", "", "standard error of rbe_at_reference_dose", G::survival,
             "survival.rbe_at_reference_dose[].rbe.sem", "rbe_at_reference_dose_2gy_sem", "", ""},
    Quantity{"survival_level", "", "a survival fraction S an RBE is given at", G::survival,
             "survival.rbe_at_survival[].survival", "", "", ""},
    Quantity{"dose_for_survival_gy", "Gy", "the radiation's dose for the survival level S", G::survival,
             "survival.rbe_at_survival[].dose_gy", "", "", ""},
    Quantity{"reference_dose_for_survival_gy", "Gy", "the reference radiation's dose for the survival level S",
             G::survival, "survival.rbe_at_survival[].reference_dose_gy", "", "", ""},
    Quantity{"rbe_at_survival", "",
             "RBE for cell killing at a survival level S: D_R(S) / D(S) (the column names S: 0.1 by default)",
             G::survival, "survival.rbe_at_survival[].rbe.mean", "rbe_at_survival_0.1", "", ""},
    Quantity{"rbe_at_survival_sem", "", "standard error of rbe_at_survival", G::survival,
             "survival.rbe_at_survival[].rbe.sem", "rbe_at_survival_0.1_sem", "", ""},
    Quantity{"oer_low_dose", "",
             "OER for cell killing at low dose: alpha at the highest oxygen level of the row's pair over alpha at "
             "the lowest, on both rows (a scan that varies oxygen)",
             G::survival, "", "oer_low_dose", "", ""},
    Quantity{"oer_low_dose_sem", "", "standard error of oer_low_dose", G::survival, "", "oer_low_dose_sem", "", ""},
    Quantity{"oer_high_dose", "", "OER for cell killing at high dose: sqrt(beta aerobic / beta hypoxic)", G::survival,
             "", "oer_high_dose", "", ""},
    Quantity{"oer_high_dose_sem", "", "standard error of oer_high_dose", G::survival, "", "oer_high_dose_sem", "",
             ""},
    Quantity{"oer_at_survival", "",
             "OER for cell killing at a survival level S: the dose for S at the lowest oxygen level of the row's "
             "pair over that at the highest (the column names S)",
             G::survival, "", "oer_at_survival_0.1", "", ""},
    Quantity{"oer_at_survival_sem", "", "standard error of oer_at_survival", G::survival, "",
             "oer_at_survival_0.1_sem", "", ""},

    // How the run went.
    Quantity{"seed", "", "the random number seed used (from the clock when 0 was asked for)", G::run, "run.seed",
             "seed", "seed", "ResultsDocument.run.seed"},
    Quantity{"cells_requested", "", "cells asked for (SIMCON: NOCS=)", G::run, "settings.cells run.cells_requested", "",
             "cells_requested settings.cells", "ResultsDocument.settings.cells CheckResponse.cells"},
    Quantity{"cells_simulated", "", "cells simulated, which the statistics are of", G::run,
             "run.cells_simulated physics.field_average.cells_simulated", "cells", "cells_simulated",
             "ResultsDocument.run.cells_simulated RunResponse.cellsSimulated"},
    Quantity{"component_cells_simulated", "", "cells simulated of each component of a mixed field", G::run,
             "run.component_cells physics.components[].cells_simulated", "", "components.cells_simulated", ""},
    Quantity{"interrupted", "", "whether the run stopped on request before all its cells", G::run, "run.interrupted",
             "", "interrupted", "ResultsDocument.run.interrupted RunResponse.interrupted"},
    Quantity{"running_minutes", "min", "CPU time of the run, as the report states it", G::run, "", "",
             "running_minutes", ""},

    // The settings.
    Quantity{"seed_requested", "", "random number seed asked for (SIMCON: SEED=); 0 asks for one from the clock",
             G::settings, "settings.seed", "", "settings.seed", "ResultsDocument.settings.seed"},
    Quantity{"dna_content_gbp", "Gbp", "DNA content of the cell (CELL: DNA=)", G::settings, "settings.dna_content_gbp",
             "", "settings.dna_content_gbp", "ResultsDocument.settings.dna_content_gbp"},
    Quantity{"nucleus_diameter_um", "um", "diameter of the cell nucleus (CELL: NDIA=)", G::settings,
             "settings.nucleus_diameter_um", "", "settings.nucleus_diameter_um", ""},
    Quantity{"unrepairable_base_fraction", "", "fraction Bl/Bd of base damage that is unrepairable (KESP: FBL=)",
             G::settings, "settings.bl_fraction_of_bd", "", "settings.unrepairable_base_fraction", ""},
    Quantity{"oxygen_percent", "% O2", "oxygen concentration (EVO2: PO2=, or MMHG= converted)", G::settings,
             "settings.oxygen_percent", "", "settings.oxygen_percent", ""},
    Quantity{"oxygen_effect", "", "whether the oxygen model applies (false with /no2 or /2006)", G::settings,
             "settings.oxygen_model.enabled", "", "settings.oxygen_model.enabled", ""},
    Quantity{"oxygen_zeb_dependent", "", "whether the oxygen factor depends on (Zeff/beta)^2 (false with /nq)",
             G::settings, "settings.oxygen_model.zeb_dependent", "", "settings.oxygen_model.zeb_dependent", ""},
    Quantity{"oxygen_maximum_enhancement", "", "maximum oxygen enhancement M0 (EVO2: M0=)", G::settings,
             "settings.oxygen_model.m0", "", "settings.oxygen_model.maximum_enhancement", ""},
    Quantity{"oxygen_half_effect_percent", "% O2", "O2 concentration at half effect K (EVO2: K=)", G::settings,
             "settings.oxygen_model.k_percent_o2", "", "settings.oxygen_model.half_effect_oxygen_percent", ""},
    Quantity{"oxygen_half_effect_zeb", "", "(Zeff/beta)^2 of the half-way point q (EVO2: Q=)", G::settings,
             "settings.oxygen_model.q_zeb", "", "settings.oxygen_model.half_effect_zeb", ""},
    Quantity{"oxygen_steepness", "", "steepness exponent r (EVO2: R=)", G::settings, "settings.oxygen_model.r", "",
             "settings.oxygen_model.steepness", ""},
    Quantity{"dmso_concentration_mol_per_dm3", "mol dm^-3", "DMSO concentration (DMSO: CONC=)", G::settings,
             "settings.dmso.concentration_mol_per_dm3", "", "settings.dmso.concentration_mol_per_dm3", ""},
    Quantity{"dmso_non_scavengeable_fraction", "", "fraction of non-scavengeable DNA damage fnsd (DMSO: FNSD=)",
             G::settings, "settings.dmso.non_scavengeable_fraction", "", "settings.dmso.non_scavengeable_fraction", ""},
    Quantity{"dmso_half_level_concentration_mol_per_dm3", "mol dm^-3", "concentration at half-level chmx (DMSO: CHMX=)",
             G::settings, "settings.dmso.half_level_concentration_mol_per_dm3", "",
             "settings.dmso.half_level_concentration_mol_per_dm3", ""},
    Quantity{"masses_2006", "", "whether the older set of mass constants is used (/2006)", G::settings,
             "settings.masses_2006", "", "settings.masses_2006", ""},
};

constexpr std::array groupTitles{
    std::pair{G::radiation, "The radiation"},
    std::pair{G::physics, "Physics of the particle at the entry into the nucleus"},
    std::pair{G::damageModel, "The damage model"},
    std::pair{G::yields, "Cluster yields per Gy"},
    std::pair{G::complexity, "Clusters by complexity class (TABLE 1)"},
    std::pair{G::scan, "Ratios between the rows of a scan"},
    std::pair{G::survival, "Cell survival"},
    std::pair{G::run, "How the run went"},
    std::pair{G::settings, "Settings"},
};

std::vector<std::string> words(std::string_view text)
{
    std::vector<std::string> list;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t blank = std::min(text.find(' ', start), text.size());
        if (blank > start) {
            list.emplace_back(text.substr(start, blank - start));
        }
        start = blank + 1;
    }
    return list;
}

std::string_view groupKey(QuantityGroup group)
{
    switch (group) {
        case G::radiation: return "radiation";
        case G::physics: return "physics";
        case G::damageModel: return "damage_model";
        case G::yields: return "yields";
        case G::complexity: return "complexity";
        case G::scan: return "scan";
        case G::survival: return "survival";
        case G::run: return "run";
        case G::settings: return "settings";
    }
    return "";
}

// The names of a place as Markdown code, or a dash.
std::string codeList(std::string_view names)
{
    std::string text;
    for (const std::string& name : words(names)) {
        text += (text.empty() ? "`" : ", `") + name + "`";
    }
    return text.empty() ? "–" : text;
}

// The TypeScript type of a path "Type.a.b": each step looked up in the
// non-null part of the one before, so a missing field fails the type check.
std::string typeLookup(const std::string& path)
{
    std::string spaced = path;
    std::replace(spaced.begin(), spaced.end(), '.', ' ');
    const std::vector<std::string> steps = words(spaced);
    std::string type = steps.front();
    for (std::size_t i = 1; i < steps.size(); ++i) {
        type = "NonNullable<" + type + ">[\"" + steps[i] + "\"]";
    }
    return type;
}

// Where the page declares the types the table names.
std::string_view moduleOf(std::string_view type)
{
    return type == "CheckResponse" || type == "RunResponse" ? "./engineTypes" : "./document";
}

// The parents whose fields must be exactly the table's: every field of the
// page's Quantities type is a quantity, and so is every field of the
// damage model's particle section.
constexpr std::array exactParents{std::string_view("Quantities"),
                                  std::string_view("ResultsDocument.damage_model.particle")};

}  // namespace

std::span<const Quantity> quantities()
{
    return quantityTable;
}

const Quantity* findQuantity(std::string_view name)
{
    const auto found = std::find_if(quantityTable.begin(), quantityTable.end(),
                                    [name](const Quantity& q) { return q.name == name; });
    return found == quantityTable.end() ? nullptr : &*found;
}

std::string_view groupTitle(QuantityGroup group)
{
    for (const auto& [key, title] : groupTitles) {
        if (key == group) {
            return title;
        }
    }
    return "";
}

void writeQuantitiesJson(std::ostream& out)
{
    // One quantity a line, so that a change to one is a change to one line.
    out << "[\n";
    for (std::size_t i = 0; i < quantityTable.size(); ++i) {
        const Quantity& q = quantityTable[i];
        const nlohmann::ordered_json entry{{"name", q.name},
                                           {"unit", q.unit},
                                           {"description", q.description},
                                           {"group", groupKey(q.group)},
                                           {"json", words(q.jsonPaths)},
                                           {"csv", words(q.csvColumn)},
                                           {"python", words(q.pythonPaths)},
                                           {"typescript", words(q.typescriptPaths)}};
        out << " " << entry.dump() << (i + 1 < quantityTable.size() ? ",\n" : "\n");
    }
    out << "]\n";
}

void writeQuantitiesMarkdown(std::ostream& out)
{
    out << "# Quantities\n\n"
           "Every quantity KESP's outputs give, with its unit and the name it has in each: the JSON document of\n"
           "`kesp /json` (key paths; `[]` is every element of an array; `physics.particle` stands as well for\n"
           "the same keys of a mixed field's `physics.components[].physics` and `physics.field_average.physics`),\n"
           "the table of `kesp-scan`, the Python\n"
           "module (from a `kesp.Results`: attributes, dictionary keys, DataFrame columns) and the web page's\n"
           "TypeScript types. The first column is the canonical name; the document and the table keep the names\n"
           "they had before it (stored files and scripts rely on them). Written from the library's table\n"
           "(`report/quantities.cpp`); the tests fail when an output's names differ from it.\n";
    for (const auto& [group, title] : groupTitles) {
        out << "\n## " << title << "\n\n"
            << "| Quantity | Unit | Description | JSON document | kesp-scan column | Python | TypeScript |\n"
            << "|---|---|---|---|---|---|---|\n";
        for (const Quantity& q : quantityTable) {
            if (q.group != group) {
                continue;
            }
            out << "| `" << q.name << "` | " << (q.unit.empty() ? "–" : q.unit) << " | " << q.description << " | "
                << codeList(q.jsonPaths) << " | " << codeList(q.csvColumn) << " | " << codeList(q.pythonPaths)
                << " | " << codeList(q.typescriptPaths) << " |\n";
        }
    }
}

void writeQuantitiesSummary(std::ostream& out)
{
    out << "| Quantity | Unit | JSON document | kesp-scan column | Python (`kesp.Results`) |\n"
        << "|---|---|---|---|---|\n";
    for (const Quantity& q : quantityTable) {
        if (q.group != G::physics && q.csvColumn.empty()) {
            continue;
        }
        const std::vector<std::string> json = words(q.jsonPaths);
        const std::vector<std::string> python = words(q.pythonPaths);
        out << "| `" << q.name << "` | " << (q.unit.empty() ? "–" : q.unit) << " | "
            << (json.empty() ? std::string("–") : "`" + json.front() + "`") << " | " << codeList(q.csvColumn) << " | "
            << (python.empty() ? std::string("–") : "`" + python.front() + "`") << " |\n";
    }
}

void writeQuantitiesTypeScript(std::ostream& out)
{
    std::map<std::string, std::set<std::string>> imports;
    std::vector<std::string> lookups;
    std::map<std::string, std::vector<std::string>> exact;
    for (const Quantity& q : quantityTable) {
        for (const std::string& path : words(q.typescriptPaths)) {
            const std::string root = path.substr(0, path.find('.'));
            imports[std::string(moduleOf(root))].insert(root);
            lookups.push_back(typeLookup(path));
            const std::size_t last = path.rfind('.');
            const std::string parent = path.substr(0, last);
            if (std::find(exactParents.begin(), exactParents.end(), parent) != exactParents.end()) {
                exact[parent].push_back(path.substr(last + 1));
                imports[std::string(moduleOf(parent.substr(0, parent.find('.'))))].insert(
                    parent.substr(0, parent.find('.')));
            }
        }
    }
    out << "// Written by the library from its table of quantities (report/quantities.cpp);\n"
           "// a test fails when this file differs from what the table writes\n"
           "// (KESP_UPDATE_GOLDEN=1 rewrites it). The page's type check fails when a\n"
           "// type lacks a field the table names, or has a quantity the table lacks.\n\n";
    for (const auto& [module, types] : imports) {
        out << "import type {";
        std::string separator = " ";
        for (const std::string& type : types) {
            out << separator << type;
            separator = ", ";
        }
        out << " } from \"" << module << "\";\n";
    }
    out << "\n// Each field the table places in the page's types.\n"
           "export type QuantityFields = [\n";
    for (const std::string& lookup : lookups) {
        out << "  " << lookup << ",\n";
    }
    out << "];\n\n"
           "type Same<A, B> = [A] extends [B] ? ([B] extends [A] ? true : false) : false;\n";
    int index = 0;
    for (const auto& parent : exactParents) {
        out << "\n// The fields of " << parent << " are the table's.\n"
            << "export const exactFields" << index++ << ": Same<keyof NonNullable<" << typeLookup(std::string(parent))
            << ">, ";
        std::string separator;
        for (const std::string& field : exact[std::string(parent)]) {
            out << separator << '"' << field << '"';
            separator = " | ";
        }
        out << "> = true;\n";
    }
}

}  // namespace kesp
