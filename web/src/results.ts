// The results of one run: the yields table, the particle physics and the
// complexity classes as a bar chart, all read from the JSON document.

import uPlot from "uplot";
import { complexityClasses, physicsOf, type Estimate, type ResultsDocument } from "./document";

// Four significant figures, as a reader compares yields; integers as they are.
export function figure(value: number | null | undefined, digits = 4): string {
  if (value === null || value === undefined || !Number.isFinite(value)) {
    return "—";
  }
  if (value !== 0 && (Math.abs(value) >= 1e6 || Math.abs(value) < 1e-3)) {
    return value.toExponential(digits - 1);
  }
  return Number(value.toPrecision(digits)).toString();
}

function estimateText(estimate: Estimate | undefined): [string, string] {
  return [figure(estimate?.mean), figure(estimate?.sem, 2)];
}

function cell(row: HTMLTableRowElement, text: string, header = false): void {
  const element = document.createElement(header ? "th" : "td");
  element.textContent = text;
  if (header) {
    element.scope = "row";
  }
  row.append(element);
}

const yieldRows: [keyof ResultsDocument["yields"], string][] = [
  ["dsb", "DSB"],
  ["ssb", "SSB"],
  ["other", "Other (base damage only)"],
  ["all", "All clusters"],
];

export function fillYields(table: HTMLTableElement, results: ResultsDocument): void {
  const body = table.tBodies[0] ?? table.createTBody();
  body.replaceChildren();
  for (const [key, label] of yieldRows) {
    const row = body.insertRow();
    cell(row, label, true);
    const yieldOf = results.yields[key];
    for (const text of [...estimateText(yieldOf?.per_cell_per_gy), ...estimateText(yieldOf?.per_gy_per_gbp)]) {
      cell(row, text);
    }
  }
  const caption = table.caption ?? table.createCaption();
  caption.textContent = `Clusters per Gy for a cell of ${figure(results.settings.dna_content_gbp)} Gbp, ${results.run.cells_simulated} cells, seed ${results.run.seed} (mean and standard error of the mean)`;
}

export function fillPhysics(list: HTMLElement, results: ResultsDocument): void {
  const physics = physicsOf(results);
  const entries: [string, string][] = [
    ["LET (stopping power at entry)", `${figure(physics.let_kev_per_um)} keV/µm`],
    ["CSDA range", `${figure(physics.csda_range_cm)} cm`],
    ["(Zeff/β)²", figure(physics.zeff_over_beta_squared)],
    ["zF (frequency-mean specific energy)", `${figure(physics.zf_gy)} Gy`],
    ["yF (frequency-mean lineal energy)", `${figure(physics.yf_kev_per_um)} keV/µm`],
    ["Dose per unit fluence", `${figure(physics.dose_per_fluence_ngy_cm2)} nGy cm²`],
  ];
  if (!results.physics.particle) {
    entries.unshift(["Mixed field", "dose-weighted average of its components"]);
  }
  list.replaceChildren();
  for (const [term, value] of entries) {
    const dt = document.createElement("dt");
    dt.textContent = term;
    const dd = document.createElement("dd");
    dd.textContent = value;
    list.append(dt, dd);
  }
}

export function chartWidth(container: HTMLElement): number {
  return Math.max(260, Math.min(container.clientWidth || 600, 760));
}

// A chart redrawn in place: the old one goes when the new one is drawn.
export function replaceChart(container: HTMLElement, options: uPlot.Options, data: uPlot.AlignedData): uPlot {
  container.replaceChildren();
  return new uPlot(options, data, container);
}

export function drawComplexity(container: HTMLElement, results: ResultsDocument): void {
  const percent = complexityClasses.map(([key]) => results.tables.complexity_percent[key] ?? 0);
  const labels = complexityClasses.map(([, label]) => label);
  const xs = labels.map((_, i) => i);
  replaceChart(
    container,
    {
      title: "Clusters by complexity class (% of all clusters)",
      width: chartWidth(container),
      height: 260,
      legend: { show: false },
      cursor: { show: false },
      scales: { x: { time: false, range: [-0.5, labels.length - 0.5] }, y: { range: [0, 100] } },
      axes: [
        { values: (_u, ticks) => ticks.map((t) => labels[t] ?? ""), splits: () => xs, grid: { show: false } },
        { label: "% of clusters" },
      ],
      series: [{}, { label: "% of clusters", fill: "#1f5fa8", stroke: "#1f5fa8", paths: uPlot.paths.bars?.({ size: [0.6] }), points: { show: false } }],
    },
    [xs, percent],
  );
  container.dataset.points = String(percent.length);
  fillComplexityTable(labels, percent);
  container.setAttribute(
    "aria-label",
    `Bar chart of the complexity classes: ${labels.map((label, i) => `${label} ${figure(percent[i])} %`).join(", ")}`,
  );
}

// The chart's values as a table beneath it, for the classes too small to see.
function fillComplexityTable(labels: string[], percent: number[]): void {
  const table = document.getElementById("complexity-table") as HTMLTableElement | null;
  if (!table) {
    return;
  }
  const [head, values] = [table.tHead?.rows[0], table.tBodies[0]?.rows[0]];
  head?.replaceChildren();
  values?.replaceChildren();
  labels.forEach((label, i) => {
    const th = document.createElement("th");
    th.scope = "col";
    th.textContent = label;
    head?.append(th);
    const td = document.createElement("td");
    td.textContent = figure(percent[i]);
    values?.append(td);
  });
}
