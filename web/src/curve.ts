// Curve mode: DSB yield, RBE and OER against LET for several ions over an
// energy range at several oxygen levels. Every point is one run of the
// engine on the worker pool; the charts and the table grow as runs finish.

import uPlot from "uplot";
import type { ResultsDocument } from "./document";
import { physicsOf } from "./document";
import { figure, replaceChart, chartWidth } from "./results";
import { inputFile, itemProblem, switchWords, type InputFile, type RadiationItems, type Settings } from "./settings";

export interface CurveRun {
  ion: string; // the ion, or the reference particle
  energy: string; // MeV/u, or the reference's energy in its unit
  level: string; // % O2
  reference: boolean;
  input: InputFile;
}

export interface CurvePlan {
  ions: string[];
  energies: string[];
  levels: string[];
  reference: RadiationItems;
  runs: CurveRun[];
  problems: string[];
}

export const mostPoints = 50;

function list(text: string): string[] {
  return text.split(/[\s,;]+/).filter((word) => word !== "");
}

// Evenly spaced in log10 from `from` to `to`, both ends as given, worked
// out in the order kesp-scan works out a log range, so that the energies are
// the same numbers.
export function logSpaced(from: number, to: number, points: number): number[] {
  return Array.from({ length: points }, (_, i) => {
    if (i === 0) return from;
    if (i === points - 1) return to;
    const share = i / (points - 1);
    return 10 ** (Math.log10(from) + share * (Math.log10(to) - Math.log10(from)));
  });
}

function energyProblems(settings: Settings): string[] {
  const from = Number(settings.curveFrom);
  const to = Number(settings.curveTo);
  const points = Number(settings.curvePoints);
  const problems: string[] = [];
  if (!(from > 0) || !(to > 0) || !Number.isFinite(from) || !Number.isFinite(to)) {
    problems.push("Energy range: give two positive energies per nucleon (MeV/u)");
  } else if (to < from) {
    problems.push("Energy range: the upper end is below the lower end");
  }
  if (!Number.isInteger(points) || points < 1 || points > mostPoints) {
    problems.push(`Energies: give a whole number of points from 1 to ${mostPoints}`);
  }
  return problems;
}

export function curvePlan(settings: Settings): CurvePlan {
  const ions = list(settings.curveIons);
  const levels = list(settings.curveLevels);
  const reference: RadiationItems = {
    particle: settings.referenceParticle,
    energy: settings.referenceEnergy,
    energyUnit: settings.referenceUnit,
  };
  const problems = energyProblems(settings);
  if (ions.length === 0) problems.push("Ions: name at least one ion (p, 4He, 12C, ...)");
  if (levels.length === 0) problems.push("Oxygen levels: give at least one level in % O2");
  for (const word of [...ions, ...levels]) {
    const problem = itemProblem("Curve", word);
    if (problem) problems.push(problem);
  }
  const points = Number(settings.curvePoints);
  const energies = problems.length === 0 ? logSpaced(Number(settings.curveFrom), Number(settings.curveTo), points).map(String) : [];
  const percent: Settings = { ...settings, oxygenUnit: "%" };
  const runs: CurveRun[] = levels.map((level) => ({
    ion: reference.particle.trim(),
    energy: reference.energy.trim(),
    level,
    reference: true,
    input: inputFile(percent, reference, level),
  }));
  for (const ion of ions) {
    for (const energy of energies) {
      for (const level of levels) {
        const radiation: RadiationItems = { particle: ion, energy, energyUnit: "MeV/u" };
        runs.push({ ion, energy, level, reference: false, input: inputFile(percent, radiation, level) });
      }
    }
  }
  for (const run of runs) {
    problems.push(...run.input.problems.filter((problem) => !problems.includes(problem)));
  }
  return { ions, energies, levels, reference, runs, problems };
}

export function referenceName(reference: RadiationItems): string {
  return `${reference.energy.trim()} ${reference.energyUnit} ${reference.particle.trim()}`;
}

// A run's items as a scan names them, for messages.
export function runLabel(run: CurveRun): string {
  return run.reference
    ? `reference ${run.ion} ${run.energy} PO2=${run.level}`
    : `PAR=${run.ion} MEV/A=${run.energy} PO2=${run.level}`;
}

interface Ratio {
  value: number;
  sem: number | null;
}

// a/b with its standard error from both standard errors.
export function ratio(a: number, sa: number | null, b: number, sb: number | null): Ratio | null {
  if (!(b !== 0) || !Number.isFinite(a) || !Number.isFinite(b)) {
    return null;
  }
  if (sa === null || sb === null) {
    return { value: a / b, sem: null };
  }
  const x = sa / b;
  const y = (a * sb) / (b * b);
  return { value: a / b, sem: Math.sqrt(x * x + y * y) };
}

// The finished runs of a curve and what follows from them.
export class CurveResults {
  readonly documents = new Map<CurveRun, ResultsDocument>();

  constructor(readonly plan: CurvePlan) {}

  private dsb(run: CurveRun | undefined): { mean: number; sem: number | null } | null {
    const document = run && this.documents.get(run);
    return document?.yields.dsb?.per_cell_per_gy ?? null;
  }

  private find(ion: string, energy: string, level: string, reference = false): CurveRun | undefined {
    return this.plan.runs.find(
      (run) => run.reference === reference && run.level === level && (reference || (run.ion === ion && run.energy === energy)),
    );
  }

  // The DSB yield over that of the reference run at the same oxygen level.
  rbe(run: CurveRun): Ratio | null {
    const d = this.dsb(run);
    const r = this.dsb(this.find("", "", run.level, true));
    return d && r ? ratio(d.mean, d.sem, r.mean, r.sem) : null;
  }

  // The DSB yield at the highest oxygen level over that at the lowest.
  oer(ion: string, energy: string): Ratio | null {
    const levels = [...this.plan.levels].sort((a, b) => Number(a) - Number(b));
    if (levels.length < 2) return null;
    const high = this.dsb(this.find(ion, energy, levels[levels.length - 1]!));
    const low = this.dsb(this.find(ion, energy, levels[0]!));
    return high && low ? ratio(high.mean, high.sem, low.mean, low.sem) : null;
  }

  let(run: CurveRun): number | null {
    const document = this.documents.get(run);
    return document ? physicsOf(document).let_kev_per_um : null;
  }
}

interface Curve {
  label: string;
  points: { x: number | null; y: number | null }[];
}

// Aligned data for uPlot: the union of the curves' x values, each curve
// null where it has no point.
function aligned(curves: Curve[]): uPlot.AlignedData {
  const xs = [...new Set(curves.flatMap((c) => c.points.filter((p) => p.x !== null && p.y !== null).map((p) => p.x!)))].sort(
    (a, b) => a - b,
  );
  const ys = curves.map((c) => xs.map((x) => c.points.find((p) => p.x === x && p.y !== null)?.y ?? null));
  return [xs, ...ys];
}

const palette = ["#1f5fa8", "#b3261e", "#1b7a3a", "#7a4a00", "#6a3d9a", "#00727a", "#8a1c5e", "#444444"];
const dashes = [[], [6, 4], [2, 3], [10, 3, 2, 3]];

function drawCurves(container: HTMLElement, title: string, yLabel: string, curves: Curve[], styleOf: (i: number) => [string, number[]]): void {
  const data = aligned(curves);
  const count = curves.reduce((n, c) => n + c.points.filter((p) => p.x !== null && p.y !== null).length, 0);
  container.dataset.points = String(count);
  container.setAttribute("aria-label", `${title}: ${count} points`);
  replaceChart(
    container,
    {
      title,
      width: chartWidth(container),
      height: 300,
      scales: { x: { time: false, distr: 3 } },
      axes: [{ label: "LET (keV/µm)" }, { label: yLabel, size: 60 }],
      series: [
        { label: "LET (keV/µm)", value: (_u, v) => figure(v) },
        ...curves.map((curve, i) => {
          const [stroke, dash] = styleOf(i);
          return { label: curve.label, stroke, dash, width: 2, spanGaps: true, points: { show: true, size: 7 }, value: (_u: uPlot, v: number) => figure(v) };
        }),
      ],
    },
    data,
  );
}

export function drawCurveCharts(charts: { dsb: HTMLElement; rbe: HTMLElement; oer: HTMLElement }, results: CurveResults): void {
  const { plan } = results;
  const series = plan.ions.flatMap((ion) => plan.levels.map((level) => ({ ion, level })));
  const style = (i: number): [string, number[]] => {
    const { ion, level } = series[i]!;
    return [palette[plan.ions.indexOf(ion) % palette.length]!, dashes[plan.levels.indexOf(level) % dashes.length]!];
  };
  const curveOf = (value: (run: CurveRun) => number | null) =>
    series.map(({ ion, level }) => ({
      label: `${ion}, ${level} % O2`,
      points: plan.runs
        .filter((run) => !run.reference && run.ion === ion && run.level === level)
        .map((run) => ({ x: results.let(run), y: value(run) })),
    }));
  drawCurves(charts.dsb, "DSB yield against LET", "DSB per Gy per Gbp", curveOf((run) => {
    const document = results.documents.get(run);
    return document?.yields.dsb?.per_gy_per_gbp.mean ?? null;
  }), style);
  drawCurves(
    charts.rbe,
    `RBE for DSB induction against LET, reference ${referenceName(plan.reference)}`,
    "RBE (DSB)",
    curveOf((run) => results.rbe(run)?.value ?? null),
    style,
  );
  const levels = [...plan.levels].sort((a, b) => Number(a) - Number(b));
  const oerTitle =
    levels.length < 2
      ? "OER against LET (give two or more oxygen levels)"
      : `OER against LET (DSB yield at ${levels[levels.length - 1]} % over ${levels[0]} % O2)`;
  const oerCurves = plan.ions.map((ion) => ({
    label: ion,
    points: plan.energies.map((energy) => {
      const run = plan.runs.find((r) => !r.reference && r.ion === ion && r.energy === energy);
      return { x: run ? results.let(run) : null, y: results.oer(ion, energy)?.value ?? null };
    }),
  }));
  drawCurves(charts.oer, oerTitle, "OER (DSB)", oerCurves, (i) => [palette[i % palette.length]!, []]);
}

function withSem(r: Ratio | null): string {
  return r ? `${figure(r.value)} ± ${figure(r.sem, 2)}` : "";
}

export function fillCurveTable(table: HTMLTableElement, results: CurveResults): void {
  const body = table.tBodies[0] ?? table.createTBody();
  body.replaceChildren();
  for (const run of results.plan.runs) {
    const document = results.documents.get(run);
    const dsb = document?.yields.dsb?.per_gy_per_gbp;
    const cells = [
      run.reference ? `${run.ion} (reference)` : run.ion,
      run.reference ? `${run.energy} ${results.plan.reference.energyUnit}` : figure(Number(run.energy)),
      run.level,
      figure(results.let(run)),
      dsb ? `${figure(dsb.mean)} ± ${figure(dsb.sem, 2)}` : document ? "" : "…",
      run.reference ? "" : withSem(results.rbe(run)),
      run.reference ? "" : withSem(results.oer(run.ion, run.energy)),
    ];
    const row = body.insertRow();
    for (const text of cells) {
      row.insertCell().textContent = text;
    }
  }
}

const csvColumns = [
  "PAR", "MEV/A", "PO2", "switches", "particle", "ke_mev", "ke_mev_per_u", "let_kev_um", "let_electronic_kev_um",
  "csda_range_cm", "zeb", "yf_kev_um", "zf_gy", "dose_per_fluence_ngy_cm2", "segment_length_bp", "sb_per_cell_gy",
  "bd_per_cell_gy", "repair_probability", "dsb", "dsb_sem", "ssb", "ssb_sem", "other", "other_sem", "all", "all_sem",
  "dsb_per_gy_gbp", "ssb_per_gy_gbp", "pct_bd", "pct_ssb", "pct_ssb_plus", "pct_2ssb", "pct_dsb", "pct_dsb_plus",
  "pct_dsb_plus_plus", "cells", "seed", "rbe_dsb", "rbe_dsb_sem", "oer_dsb", "oer_dsb_sem",
];

function text(value: number | string | null | undefined): string {
  return value === null || value === undefined ? "" : String(value);
}

function csvRow(run: CurveRun, document: ResultsDocument, results: CurveResults, switches: string): string[] {
  const p = physicsOf(document);
  const model = document.damage_model.particle;
  const y = document.yields;
  const pct = document.tables.complexity_percent;
  const rbe = results.rbe(run);
  const oer = results.oer(run.ion, run.energy);
  return [
    run.ion, run.energy, run.level, switches, document.settings.radiation.particle ?? "",
    p.kinetic_energy_mev, p.kinetic_energy_per_nucleon_mev, p.let_kev_per_um, p.electronic_stopping_kev_per_um,
    p.csda_range_cm, p.zeff_over_beta_squared, p.yf_kev_per_um, p.zf_gy, p.dose_per_fluence_ngy_cm2,
    model?.segment_length_bp_per_cell_per_gy, model?.strand_breaks_per_cell_per_gy, model?.base_damages_per_cell_per_gy,
    model?.chemical_repair_probability,
    ...(["dsb", "ssb", "other", "all"] as const).flatMap((k) => [y[k]?.per_cell_per_gy.mean, y[k]?.per_cell_per_gy.sem]),
    y.dsb?.per_gy_per_gbp.mean, y.ssb?.per_gy_per_gbp.mean,
    pct.bd, pct.ssb, pct.ssb_plus, pct.two_ssb, pct.dsb, pct.dsb_plus, pct.dsb_plus_plus,
    document.run.cells_simulated, document.run.seed,
    rbe?.value, rbe?.sem, oer?.value, oer?.sem,
  ].map(text);
}

// The curve's table: a comment line, the header and a row per finished run
// of an ion (the reference runs stand in the comment line).
export function curveCsv(results: CurveResults, settings: Settings): string {
  const switches = switchWords(settings).filter((word) => word !== "/json").join(" ");
  const lines = [
    `# KESP web page curve | reference: ${referenceName(results.plan.reference)} | switches: ${switches || "none"} | rows: ${results.plan.runs.filter((r) => !r.reference).length}`,
    csvColumns.join(","),
  ];
  for (const run of results.plan.runs) {
    const document = results.documents.get(run);
    if (!run.reference && document) {
      lines.push(csvRow(run, document, results, switches).map((field) => (/[",\n]/.test(field) ? `"${field.replace(/"/g, '""')}"` : field)).join(","));
    }
  }
  return lines.join("\n") + "\n";
}
