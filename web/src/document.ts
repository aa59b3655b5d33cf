// The parts of the results' JSON document (as `kesp /json` writes it) that
// the page shows.

export interface Estimate {
  mean: number;
  sem: number | null;
}

export interface Yield {
  per_cell_per_gy: Estimate;
  per_gy_per_gbp: Estimate;
}

// The physics of a particle, every quantity of the document under its name
// in docs/quantities.md (quantityNames.ts holds the two to each other).
export interface Quantities {
  kinetic_energy_mev: number;
  kinetic_energy_per_nucleon_mev: number;
  let_kev_per_um: number;
  electronic_stopping_kev_per_um: number;
  nuclear_stopping_kev_per_um: number;
  radiative_stopping_kev_per_um: number;
  csda_range_cm: number;
  zeff_over_beta_squared: number;
  dose_per_fluence_ngy_cm2: number;
  yf_kev_per_um: number;
  zf_gy: number;
}

export interface ResultsDocument {
  settings: { cells: number; seed: number; dna_content_gbp: number; radiation: { particle?: string } };
  run: { seed: number; cells_simulated: number; interrupted: boolean };
  physics: {
    particle: Quantities | null;
    field_average: { physics: Quantities } | null;
  };
  damage_model: {
    particle: {
      segment_length_bp_per_cell_per_gy: number;
      strand_breaks_per_cell_per_gy: number;
      base_damages_per_cell_per_gy: number;
      chemical_repair_probability: number;
      o2_fixation_probability: number;
      ssb_hypoxia_reduction_factor: number;
      dsb_hypoxia_reduction_factor: number;
    } | null;
  };
  yields: Record<"dsb" | "ssb" | "other" | "all", Yield | null>;
  tables: { complexity_percent: Record<string, number> };
}

// The particle's physics, or the dose-weighted average of a mixed field's.
export function physicsOf(document: ResultsDocument): Quantities {
  const physics = document.physics.particle ?? document.physics.field_average?.physics;
  if (!physics) {
    throw new Error("The results document holds no physics");
  }
  return physics;
}

// The complexity classes of TABLE 1 in the report's order, with their labels.
export const complexityClasses: [string, string][] = [
  ["bd", "BD"],
  ["ssb", "SSB"],
  ["ssb_plus", "SSB+"],
  ["two_ssb", "2SSB"],
  ["dsb", "DSB"],
  ["dsb_plus", "DSB+"],
  ["dsb_plus_plus", "DSB++"],
];
