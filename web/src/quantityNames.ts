// Written by the library from its table of quantities (report/quantities.cpp);
// a test fails when this file differs from what the table writes
// (KESP_UPDATE_GOLDEN=1 rewrites it). The page's type check fails when a
// type lacks a field the table names, or has a quantity the table lacks.

import type { Quantities, ResultsDocument } from "./document";
import type { CheckResponse, RunResponse } from "./engineTypes";

// Each field the table places in the page's types.
export type QuantityFields = [
  NonNullable<NonNullable<NonNullable<ResultsDocument>["settings"]>["radiation"]>["particle"],
  NonNullable<Quantities>["kinetic_energy_mev"],
  NonNullable<Quantities>["kinetic_energy_per_nucleon_mev"],
  NonNullable<Quantities>["let_kev_per_um"],
  NonNullable<Quantities>["electronic_stopping_kev_per_um"],
  NonNullable<Quantities>["nuclear_stopping_kev_per_um"],
  NonNullable<Quantities>["radiative_stopping_kev_per_um"],
  NonNullable<Quantities>["csda_range_cm"],
  NonNullable<Quantities>["zeff_over_beta_squared"],
  NonNullable<Quantities>["dose_per_fluence_ngy_cm2"],
  NonNullable<Quantities>["yf_kev_per_um"],
  NonNullable<Quantities>["zf_gy"],
  NonNullable<NonNullable<NonNullable<ResultsDocument>["damage_model"]>["particle"]>["segment_length_bp_per_cell_per_gy"],
  NonNullable<NonNullable<NonNullable<ResultsDocument>["damage_model"]>["particle"]>["strand_breaks_per_cell_per_gy"],
  NonNullable<NonNullable<NonNullable<ResultsDocument>["damage_model"]>["particle"]>["base_damages_per_cell_per_gy"],
  NonNullable<NonNullable<NonNullable<ResultsDocument>["damage_model"]>["particle"]>["chemical_repair_probability"],
  NonNullable<NonNullable<NonNullable<ResultsDocument>["damage_model"]>["particle"]>["o2_fixation_probability"],
  NonNullable<NonNullable<NonNullable<ResultsDocument>["damage_model"]>["particle"]>["ssb_hypoxia_reduction_factor"],
  NonNullable<NonNullable<NonNullable<ResultsDocument>["damage_model"]>["particle"]>["dsb_hypoxia_reduction_factor"],
  NonNullable<NonNullable<NonNullable<NonNullable<ResultsDocument>["yields"]>["dsb"]>["per_cell_per_gy"]>["mean"],
  NonNullable<NonNullable<NonNullable<NonNullable<ResultsDocument>["yields"]>["dsb"]>["per_cell_per_gy"]>["sem"],
  NonNullable<NonNullable<NonNullable<NonNullable<ResultsDocument>["yields"]>["ssb"]>["per_cell_per_gy"]>["mean"],
  NonNullable<NonNullable<NonNullable<NonNullable<ResultsDocument>["yields"]>["ssb"]>["per_cell_per_gy"]>["sem"],
  NonNullable<NonNullable<NonNullable<NonNullable<ResultsDocument>["yields"]>["other"]>["per_cell_per_gy"]>["mean"],
  NonNullable<NonNullable<NonNullable<NonNullable<ResultsDocument>["yields"]>["other"]>["per_cell_per_gy"]>["sem"],
  NonNullable<NonNullable<NonNullable<NonNullable<ResultsDocument>["yields"]>["all"]>["per_cell_per_gy"]>["mean"],
  NonNullable<NonNullable<NonNullable<NonNullable<ResultsDocument>["yields"]>["all"]>["per_cell_per_gy"]>["sem"],
  NonNullable<NonNullable<NonNullable<NonNullable<ResultsDocument>["yields"]>["dsb"]>["per_gy_per_gbp"]>["mean"],
  NonNullable<NonNullable<NonNullable<NonNullable<ResultsDocument>["yields"]>["dsb"]>["per_gy_per_gbp"]>["sem"],
  NonNullable<NonNullable<NonNullable<NonNullable<ResultsDocument>["yields"]>["ssb"]>["per_gy_per_gbp"]>["mean"],
  NonNullable<NonNullable<NonNullable<NonNullable<ResultsDocument>["yields"]>["ssb"]>["per_gy_per_gbp"]>["sem"],
  NonNullable<NonNullable<NonNullable<NonNullable<ResultsDocument>["yields"]>["other"]>["per_gy_per_gbp"]>["mean"],
  NonNullable<NonNullable<NonNullable<NonNullable<ResultsDocument>["yields"]>["other"]>["per_gy_per_gbp"]>["sem"],
  NonNullable<NonNullable<NonNullable<NonNullable<ResultsDocument>["yields"]>["all"]>["per_gy_per_gbp"]>["mean"],
  NonNullable<NonNullable<NonNullable<NonNullable<ResultsDocument>["yields"]>["all"]>["per_gy_per_gbp"]>["sem"],
  NonNullable<NonNullable<RunResponse>["survival"]>["theta_per_dsb"],
  NonNullable<NonNullable<RunResponse>["survival"]>["kappa_per_dsb2"],
  NonNullable<NonNullable<NonNullable<RunResponse>["survival"]>["alpha_per_gy"]>["mean"],
  NonNullable<NonNullable<NonNullable<RunResponse>["survival"]>["alpha_per_gy"]>["sem"],
  NonNullable<NonNullable<NonNullable<RunResponse>["survival"]>["beta_per_gy2"]>["mean"],
  NonNullable<NonNullable<NonNullable<RunResponse>["survival"]>["beta_per_gy2"]>["sem"],
  NonNullable<NonNullable<NonNullable<RunResponse>["survival"]>["rbe_low_dose"]>["mean"],
  NonNullable<NonNullable<NonNullable<RunResponse>["survival"]>["rbe_low_dose"]>["sem"],
  NonNullable<NonNullable<NonNullable<RunResponse>["survival"]>["rbe_high_dose"]>["mean"],
  NonNullable<NonNullable<NonNullable<RunResponse>["survival"]>["rbe_high_dose"]>["sem"],
  NonNullable<NonNullable<ResultsDocument>["run"]>["seed"],
  NonNullable<NonNullable<ResultsDocument>["settings"]>["cells"],
  NonNullable<CheckResponse>["cells"],
  NonNullable<NonNullable<ResultsDocument>["run"]>["cells_simulated"],
  NonNullable<RunResponse>["cellsSimulated"],
  NonNullable<NonNullable<ResultsDocument>["run"]>["interrupted"],
  NonNullable<RunResponse>["interrupted"],
  NonNullable<NonNullable<ResultsDocument>["settings"]>["seed"],
  NonNullable<NonNullable<ResultsDocument>["settings"]>["dna_content_gbp"],
];

type Same<A, B> = [A] extends [B] ? ([B] extends [A] ? true : false) : false;

// The fields of Quantities are the table's.
export const exactFields0: Same<keyof NonNullable<Quantities>, "kinetic_energy_mev" | "kinetic_energy_per_nucleon_mev" | "let_kev_per_um" | "electronic_stopping_kev_per_um" | "nuclear_stopping_kev_per_um" | "radiative_stopping_kev_per_um" | "csda_range_cm" | "zeff_over_beta_squared" | "dose_per_fluence_ngy_cm2" | "yf_kev_per_um" | "zf_gy"> = true;

// The fields of ResultsDocument.damage_model.particle are the table's.
export const exactFields1: Same<keyof NonNullable<NonNullable<NonNullable<ResultsDocument>["damage_model"]>["particle"]>, "segment_length_bp_per_cell_per_gy" | "strand_breaks_per_cell_per_gy" | "base_damages_per_cell_per_gy" | "chemical_repair_probability" | "o2_fixation_probability" | "ssb_hypoxia_reduction_factor" | "dsb_hypoxia_reduction_factor"> = true;
