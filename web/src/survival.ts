// The Cell survival section of one run: what the form asks of the engine,
// and its answer as a table and a chart. Every number, the survival curves'
// points among them, comes from the engine's survival model; the page only
// formats and draws them.

import type { MeasuredReference, RunResponse, SurvivalRequest, SurvivalResponse, ValueWithSem } from "./engineTypes";
import { chartWidth, figure, replaceChart } from "./results";
import { itemProblem, radiationItems, referenceRadiation, type RadiationItems, type Settings } from "./settings";

export function radiationName(radiation: RadiationItems): string {
  return `${radiation.energy} ${radiation.energyUnit} ${radiation.particle}`;
}

// The reference radiation's alpha and beta as the form gives them, for a
// run's survival and a curve's survival block alike; the engine checks
// their values.
export function measuredReference(settings: Settings): { measured: MeasuredReference; problems: string[] } {
  const problems: string[] = [];
  const number = (label: string, text: string): number => {
    const value = Number(text.trim());
    if (text.trim() === "" || !Number.isFinite(value)) {
      problems.push(`${label}: "${text.trim()}" is not a number`);
    }
    return value;
  };
  const measured = {
    alpha_per_gy: number("Reference alpha", settings.referenceAlphaPerGy),
    beta_per_gy2: number("Reference beta", settings.referenceBetaPerGy2),
  };
  return { measured, problems };
}

// The survival the form asks for, or why it cannot be asked for; none when
// the section is off.
export function survivalRequest(settings: Settings): { request: SurvivalRequest | null; problems: string[] } {
  if (settings.survival !== "on") {
    return { request: null, problems: [] };
  }
  const reference = referenceRadiation(settings);
  const problems = [itemProblem("Reference particle", reference.particle), itemProblem("Reference energy", reference.energy)]
    .filter((problem): problem is string => problem !== null);
  const { measured, problems: measuredProblems } = measuredReference(settings);
  problems.push(...measuredProblems);
  const request = { ...measured, reference: radiationItems(reference) };
  return { request: problems.length > 0 ? null : request, problems };
}

export interface SurvivalParts {
  section: HTMLElement;
  note: HTMLElement;
  table: HTMLTableElement;
  chart: HTMLElement;
}

// Shows the run's survival, or why there is none; hides the section when
// the run did not ask for it.
export function showSurvival(parts: SurvivalParts, response: RunResponse, settings: Settings, radiation: string): void {
  parts.section.hidden = response.survival === undefined;
  if (response.survival === undefined) {
    return;
  }
  const survival = response.survival;
  parts.table.hidden = !survival;
  parts.chart.hidden = !survival;
  parts.note.classList.toggle("error", !survival);
  if (!survival) {
    parts.note.textContent = `No cell survival: ${response.survivalError?.message ?? "the run gave none"}`;
    return;
  }
  const reference = radiationName(referenceRadiation(settings));
  parts.note.textContent =
    `The cell's parameters come from the reference radiation, ${reference}, with αR = ${settings.referenceAlphaPerGy.trim()} Gy⁻¹ ` +
    `and βR = ${settings.referenceBetaPerGy2.trim()} Gy⁻² (illustrative values unless you entered your cell line's), run under the ` +
    `same settings: ${survival.reference_run.cells_simulated} cells, ${figure(survival.reference_run.dsb_per_cell_per_gy.mean)} DSB ` +
    `per cell per Gy, zF ${figure(survival.reference_run.zf_gy)} Gy; θ = ${figure(survival.theta_per_dsb)} per DSB, ` +
    `κ = ${figure(survival.kappa_per_dsb2)} per DSB².`;
  fillSurvivalTable(parts.table, survival);
  drawSurvival(parts.chart, survival, radiation, reference);
}

function fillSurvivalTable(table: HTMLTableElement, survival: SurvivalResponse): void {
  const rows: [string, ValueWithSem | undefined, ValueWithSem | undefined][] = [
    ["α (Gy⁻¹)", survival.alpha_per_gy, survival.reference?.alpha_per_gy],
    ["β (Gy⁻²)", survival.beta_per_gy2, survival.reference?.beta_per_gy2],
    ["RBE at low dose (α / αR)", survival.rbe_low_dose, undefined],
    ...(survival.rbe_at_reference_dose ?? []).map(
      (r): [string, ValueWithSem, undefined] => [`RBE at ${figure(r.reference_dose_gy)} Gy of the reference`, r.rbe, undefined],
    ),
    ["RBE at high dose (√(β / βR))", survival.rbe_high_dose, undefined],
  ];
  const body = table.tBodies[0] ?? table.createTBody();
  body.replaceChildren();
  for (const [label, value, reference] of rows) {
    const row = body.insertRow();
    const header = document.createElement("th");
    header.scope = "row";
    header.textContent = label;
    row.append(header);
    for (const text of [figure(value?.mean), figure(value?.sem, 2), reference ? figure(reference.mean) : ""]) {
      row.insertCell().textContent = text;
    }
  }
}

// log S against dose, the radiation's curve beside the reference's.
function drawSurvival(container: HTMLElement, survival: SurvivalResponse, radiation: string, reference: string): void {
  const { dose_gy: doses, survival_fraction: particle, reference_survival_fraction: referenceCurve } = survival.curve;
  // A fraction too small for a double is 0, which a log scale cannot show.
  const shown = (values: number[]) => values.map((value) => (value > 0 ? value : null));
  replaceChart(
    container,
    {
      title: "Cell survival against dose",
      width: chartWidth(container),
      height: 300,
      scales: { x: { time: false }, y: { distr: 3 } },
      axes: [
        { label: "Dose (Gy)" },
        // Powers of ten as 1e-4 rather than rounded to 0.
        { label: "Surviving fraction", size: 70, values: (_u, ticks) => ticks.map((t) => (t === null ? "" : t >= 0.01 ? String(t) : t.toExponential(0))) },
      ],
      series: [
        { label: "Dose (Gy)", value: (_u, v) => figure(v) },
        { label: radiation, stroke: "#b3261e", width: 2, value: (_u, v) => figure(v) },
        { label: `${reference} (reference)`, stroke: "#1f5fa8", width: 2, dash: [6, 4], value: (_u, v) => figure(v) },
      ],
    },
    [doses, shown(particle), shown(referenceCurve)],
  );
  container.dataset.points = String(doses.length);
  container.setAttribute(
    "aria-label",
    `Survival curves from 0 to ${figure(doses[doses.length - 1])} Gy: ${radiation}, ${figure(particle[particle.length - 1])} ` +
      `at the highest dose; ${reference}, ${figure(referenceCurve[referenceCurve.length - 1])}`,
  );
}
