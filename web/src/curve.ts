// Curve mode: DSB yield, RBE and OER against LET for several ions over an
// energy range at several oxygen levels, and with the Cell survival section
// on the RBE for cell killing. The form's curve is a scan of the
// engine's library: the engine plans it, runs its rows on the worker pool
// and forms the table (the RBE, the OER and their SEMs with it) exactly as
// kesp-scan does; the page only draws what the table holds.

import uPlot from "uplot";
import { chartWidth, figure } from "./results";
import type { MeasuredReference } from "./engineTypes";
import { measuredReference } from "./survival";
import { itemProblem, radiationItems, referenceRadiation, switchWords, type RadiationItems, type Settings } from "./settings";

// The most energies the form takes; the engine bounds the whole curve.
export const mostPoints = 50;

// One item and its value, named as the input file names it.
interface ItemValue {
  item: string;
  value: string;
}

// The scan the engine plans: see web/engine/webScans.h.
export interface ScanStructure {
  name: string;
  vary: ({ item: string; values: string[] } | { item: string; range: { from: number; to: number; points: number; spacing: "log" } })[];
  fixed: ItemValue[];
  reference: ItemValue[];
  switches: string[];
  survival?: MeasuredReference; // the survival block: its columns hold alpha, beta and the RBEs for cell killing
}

export interface CurvePlan {
  structure: ScanStructure;
  ions: string[];
  levels: string[];
  reference: RadiationItems;
  switches: string[];
  survival: boolean; // the table has the survival columns
  problems: string[]; // what the form cannot hand to the engine
}

export interface ScanError {
  error?: { kind: string; message: string };
}

export interface PlannedRun {
  reference: boolean;
  index: number;
  label: string;
}

export interface PlanResponse extends ScanError {
  problems: string[];
  refusal: string | null;
  diagnostics: { text: string; severity: string }[];
  rows: number;
  references: number;
  cells: number;
  runs: PlannedRun[];
  columns: string[];
  input: string;
}

export interface ScanRow {
  fields: string[];
  dsb: number | null;
  dsbSem: number | null;
  // With a survival block: the run's DSB sources, which the page hands back
  // to the engine's table as they came (web/engine/webScanSurvival.h).
  dsbSources?: { withSem: boolean; sources: Record<string, number | null>[] };
}

export interface ScanRunResponse extends ScanError {
  row: ScanRow | null;
  message: string | null;
  cellsSimulated: number;
  interrupted: boolean;
}

export interface TableResponse extends ScanError {
  csv: string;
  columns: string[];
  rows: { index: number; fields: string[] }[];
  references: { index: number; fields: string[] }[];
  done: number;
  planned: number;
}

function list(text: string): string[] {
  return text.split(/[\s,;]+/).filter((word) => word !== "");
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

// The form's curve as a scan: PAR, MEV/A (log-spaced by the engine) and PO2
// vary, the form's cell, chemistry and simulation items are shared, and the
// reference radiation runs at each oxygen level.
export function curvePlan(settings: Settings): CurvePlan {
  const ions = list(settings.curveIons);
  const levels = list(settings.curveLevels);
  const reference = referenceRadiation(settings);
  const problems = energyProblems(settings);
  if (ions.length === 0) problems.push("Ions: name at least one ion (p, 4He, 12C, ...)");
  if (levels.length === 0) problems.push("Oxygen levels: give at least one level in % O2");
  for (const word of [...ions, ...levels]) {
    const problem = itemProblem("Curve", word);
    if (problem) problems.push(problem);
  }
  const shared: [string, string, string][] = [
    ["Cells", "NOCS", settings.cells],
    ["Seed", "SEED", settings.seed],
    ["DMSO", "CONC", settings.dmso],
    ["DNA content", "DNA", settings.dna],
    ["Nucleus diameter", "NDIA", settings.nucleus],
    ["Reference particle", "PAR", reference.particle],
    ["Reference energy", "KE", reference.energy],
  ];
  for (const [label, , value] of shared) {
    const problem = itemProblem(label, value);
    if (problem) problems.push(problem);
  }
  const from = Number(settings.curveFrom);
  const points = Number(settings.curvePoints);
  const energies =
    points === 1
      ? { item: "MEV/A", values: [settings.curveFrom.trim()] }
      : { item: "MEV/A", range: { from, to: Number(settings.curveTo), points, spacing: "log" as const } };
  const switches = switchWords(settings).filter((word) => word !== "/json");
  const structure: ScanStructure = {
    name: "kesp-curve",
    vary: [{ item: "PAR", values: ions }, energies, { item: "PO2", values: levels }],
    fixed: shared.slice(0, 5).map(([, item, value]) => ({ item, value: value.trim() })),
    reference: radiationItems(reference),
    switches,
  };
  const survival = settings.survival === "on";
  if (survival) {
    const { measured, problems: measuredProblems } = measuredReference(settings);
    problems.push(...measuredProblems);
    structure.survival = measured;
  }
  return { structure, ions, levels, reference, switches, survival, problems };
}

export function referenceName(reference: RadiationItems): string {
  return `${reference.energy} ${reference.energyUnit} ${reference.particle}`;
}

// The comment line of the curve's table, before the engine's row count.
export function curveHeading(plan: CurvePlan): string {
  return `KESP web page curve | reference: ${referenceName(plan.reference)} | switches: ${plan.switches.join(" ") || "none"}`;
}

// ----- drawing what the table holds -----

// A table row's fields by column name.
class Columns {
  private readonly position = new Map<string, number>();

  constructor(names: string[]) {
    names.forEach((name, i) => this.position.set(name, i));
  }

  text(fields: string[], name: string): string {
    return fields[this.position.get(name) ?? -1] ?? "";
  }

  number(fields: string[], name: string): number | null {
    const text = this.text(fields, name);
    return text === "" ? null : Number(text);
  }
}

interface Curve {
  label: string;
  points: { x: number; y: number }[];
}

// Aligned data for uPlot: the union of the curves' x values, each curve
// null where it has no point.
function aligned(curves: Curve[]): uPlot.AlignedData {
  const xs = [...new Set(curves.flatMap((c) => c.points.map((p) => p.x)))].sort((a, b) => a - b);
  const ys = curves.map((c) => {
    const at = new Map(c.points.map((p) => [p.x, p.y]));
    return xs.map((x) => at.get(x) ?? null);
  });
  return [xs, ...ys];
}

const palette = ["#1f5fa8", "#b3261e", "#1b7a3a", "#7a4a00", "#6a3d9a", "#00727a", "#8a1c5e", "#444444"];
const dashes = [[], [6, 4], [2, 3], [10, 3, 2, 3]];

interface ChartOf {
  container: HTMLElement;
  title: string;
  chart: uPlot;
}

// The RBEs for cell killing of a table with survival columns, as its
// columns name them: the low-dose limit, at each reference dose, and the
// high-dose limit.
function killingMeasures(columns: string[]): { column: string; label: string }[] {
  const atDoses = columns
    .filter((name) => name.startsWith("rbe_at_reference_dose_") && !name.endsWith("_sem"))
    .map((column) => ({ column, label: `at ${column.slice("rbe_at_reference_dose_".length, -"gy".length)} Gy of the reference` }));
  return [{ column: "rbe_low_dose", label: "low dose" }, ...atDoses, { column: "rbe_high_dose", label: "high dose" }];
}

export interface CurveContainers {
  dsb: HTMLElement;
  rbe: HTMLElement;
  oer: HTMLElement;
  killing: HTMLElement; // shown with the survival columns only
}

// The charts of one curve (DSB yield, RBE and OER, and the RBE for cell
// killing when the table has the survival columns), made once when the
// curve starts and fed new data as its rows arrive; made anew (the old ones
// destroyed) for the next curve.
export class CurveCharts {
  private readonly charts: ChartOf[] = [];
  private readonly measures: { column: string; label: string }[];

  constructor(
    containers: CurveContainers,
    private readonly plan: CurvePlan,
    columns: string[],
  ) {
    this.measures = plan.survival ? killingMeasures(columns) : [];
    const series = this.series();
    const style = (i: number): [string, number[]] => {
      const { ion, level } = series[i]!;
      return [palette[plan.ions.indexOf(ion) % palette.length]!, dashes[plan.levels.indexOf(level) % dashes.length]!];
    };
    const labels = series.map(({ ion, level }) => `${ion}, ${level} % O2`);
    this.make(containers.dsb, "DSB yield against LET", "DSB per Gy per Gbp", labels, style);
    this.make(
      containers.rbe,
      `RBE for DSB induction against LET, reference ${referenceName(plan.reference)}`,
      "RBE (DSB)",
      labels,
      style,
    );
    const sorted = [...plan.levels].sort((a, b) => Number(a) - Number(b));
    const oerTitle =
      sorted.length < 2
        ? "OER against LET (give two or more oxygen levels)"
        : `OER against LET (DSB yield at ${sorted[sorted.length - 1]} % over ${sorted[0]} % O2)`;
    this.make(containers.oer, oerTitle, "OER (DSB)", plan.ions, (i) => [palette[i % palette.length]!, []]);
    containers.killing.hidden = !plan.survival;
    containers.killing.replaceChildren();
    delete containers.killing.dataset.points;
    if (plan.survival) {
      // A colour for each ion and level, a dash for each RBE.
      const killing = labels.flatMap((label, i) => this.measures.map((m, k) => ({ label: `${label}, ${m.label}`, i, k })));
      this.make(
        containers.killing,
        `RBE for cell killing against LET, reference ${referenceName(plan.reference)}`,
        "RBE (cell killing)",
        killing.map(({ label }) => label),
        (j) => [palette[killing[j]!.i % palette.length]!, dashes[killing[j]!.k % dashes.length]!],
      );
    }
  }

  private series(): { ion: string; level: string }[] {
    return this.plan.ions.flatMap((ion) => this.plan.levels.map((level) => ({ ion, level })));
  }

  private make(container: HTMLElement, title: string, yLabel: string, labels: string[], styleOf: (i: number) => [string, number[]]): void {
    container.replaceChildren();
    const chart = new uPlot(
      {
        title,
        width: chartWidth(container),
        height: 300,
        scales: { x: { time: false, distr: 3 } },
        axes: [{ label: "LET (keV/µm)" }, { label: yLabel, size: 60 }],
        series: [
          { label: "LET (keV/µm)", value: (_u, v) => figure(v) },
          ...labels.map((label, i) => {
            const [stroke, dash] = styleOf(i);
            return { label, stroke, dash, width: 2, spanGaps: true, points: { show: true, size: 7 }, value: (_u: uPlot, v: number) => figure(v) };
          }),
        ],
      },
      [[], ...labels.map(() => [])],
      container,
    );
    this.charts.push({ container, title, chart });
    this.count(container, title, 0);
  }

  private count(container: HTMLElement, title: string, points: number): void {
    container.dataset.points = String(points);
    container.setAttribute("aria-label", `${title}: ${points} points`);
  }

  // The points of the table's rows: the DSB yield and the RBE per ion and
  // level, the OER per ion (the first row of each pair that has it).
  update(table: TableResponse): void {
    const columns = new Columns(table.columns);
    const series = this.series();
    const curve = (label: string) => ({ label, points: [] as { x: number; y: number }[] });
    const dsb = series.map(({ ion, level }) => curve(`${ion}, ${level}`));
    const rbe = series.map(({ ion, level }) => curve(`${ion}, ${level}`));
    const oer = this.plan.ions.map(curve);
    const killing = series.flatMap(({ ion, level }) => this.measures.map(({ label }) => curve(`${ion}, ${level}, ${label}`)));
    const oerSeen = new Set<string>();
    for (const { fields } of table.rows) {
      const ion = columns.text(fields, "PAR");
      const level = columns.text(fields, "PO2");
      const x = columns.number(fields, "let_kev_um");
      if (x === null) continue;
      const k = series.findIndex((s) => s.ion === ion && Number(s.level) === Number(level));
      const add = (target: Curve | undefined, y: number | null) => y !== null && target?.points.push({ x, y });
      add(dsb[k], columns.number(fields, "dsb_per_gy_gbp"));
      add(rbe[k], columns.number(fields, "rbe_dsb"));
      this.measures.forEach(({ column }, m) => add(killing[k * this.measures.length + m], columns.number(fields, column)));
      const pair = `${ion} ${columns.text(fields, "MEV/A")}`;
      const ratio = columns.number(fields, "oer_dsb");
      if (ratio !== null && !oerSeen.has(pair)) {
        oerSeen.add(pair);
        add(oer[this.plan.ions.indexOf(ion)], ratio);
      }
    }
    [dsb, rbe, oer, killing].slice(0, this.charts.length).forEach((curves, i) => {
      const { container, title, chart } = this.charts[i]!;
      chart.setData(aligned(curves));
      this.count(container, title, curves.reduce((n, c) => n + c.points.length, 0));
    });
  }

  destroy(): void {
    for (const { chart } of this.charts) {
      chart.destroy();
    }
    this.charts.length = 0;
  }
}

// The table of every run, a row made per run when the curve starts and
// filled as the engine's table has it.
export class CurveTable {
  private readonly rows = new Map<string, HTMLTableRowElement>();
  private readonly shown = new Map<string, string>();

  constructor(table: HTMLTableElement, runs: PlannedRun[]) {
    const body = table.tBodies[0] ?? table.createTBody();
    body.replaceChildren();
    for (const run of runs) {
      const row = body.insertRow();
      row.dataset.run = run.label;
      row.insertCell().textContent = run.label;
      for (let i = 0; i < 6; ++i) row.insertCell().textContent = "…";
      this.rows.set(key(run.reference, run.index), row);
    }
  }

  // Rewrites only the rows whose fields changed.
  update(response: TableResponse): void {
    const columns = new Columns(response.columns);
    const fill = (reference: boolean, index: number, fields: string[]) => {
      const id = key(reference, index);
      const text = fields.join(",");
      const row = this.rows.get(id);
      if (!row || this.shown.get(id) === text) return;
      this.shown.set(id, text);
      const withSem = (value: string, sem: string) =>
        value === "" ? "" : `${figure(Number(value))}${sem === "" ? "" : ` ± ${figure(Number(sem), 2)}`}`;
      const cells = [
        reference ? `${columns.text(fields, "particle")} (reference)` : columns.text(fields, "PAR"),
        figure(columns.number(fields, "ke_mev_per_u")),
        columns.text(fields, "PO2"),
        figure(columns.number(fields, "let_kev_um")),
        figure(columns.number(fields, "dsb_per_gy_gbp")),
        reference ? "" : withSem(columns.text(fields, "rbe_dsb"), columns.text(fields, "rbe_dsb_sem")),
        reference ? "" : withSem(columns.text(fields, "oer_dsb"), columns.text(fields, "oer_dsb_sem")),
      ];
      cells.forEach((text, i) => {
        row.cells[i]!.textContent = text;
      });
    };
    for (const { index, fields } of response.references) fill(true, index, fields);
    for (const { index, fields } of response.rows) fill(false, index, fields);
  }
}

function key(reference: boolean, index: number): string {
  return `${reference ? "r" : "c"}${index}`;
}
