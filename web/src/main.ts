// The page: the form, its check as you type, a run or a curve on the
// engine's workers, the results and the downloads.

import "uplot/dist/uPlot.min.css";
import "../style.css";
import { stopReason, type CheckResponse, type EngineFile, type EngineRequest, type RunResponse } from "./engineTypes";
import { Cancelled, EngineWorker, WorkerPool } from "./workers";
import { sha256Hex } from "./sha256";
import {
  addressOf, fieldFileName, inputName, settingsFromAddress, singleInput, switchNames, switchWords,
  type Settings, type SwitchName,
} from "./settings";
import type { ResultsDocument } from "./document";
import { drawComplexity, fillPhysics, fillYields } from "./results";
import { radiationName, showSurvival, survivalRequest } from "./survival";
import {
  CurveCharts, CurveTable, curveHeading, curvePlan, type CurvePlan, type PlanResponse, type ScanRow,
  type ScanRunResponse, type TableResponse,
} from "./curve";

const workerScript = "engineWorker.js";
const checkDelayMs = 250;

function element<T extends HTMLElement>(id: string): T {
  const found = document.getElementById(id);
  if (!found) {
    throw new Error(`The page has no element #${id}`);
  }
  return found as T;
}

const form = element<HTMLFormElement>("settings");
const runButton = element<HTMLButtonElement>("run");
const cancelButton = element<HTMLButtonElement>("cancel");
const progressBar = element<HTMLProgressElement>("progress");
const statusLine = element<HTMLParagraphElement>("status");
const diagnosticList = element<HTMLUListElement>("diagnostics");
const inputView = element<HTMLPreElement>("input-text");
const fieldInput = element<HTMLInputElement>("field-file");
const fieldSummary = element<HTMLParagraphElement>("field-summary");

const checker = new EngineWorker(workerScript);
const runner = new EngineWorker(workerScript);
const pool = new WorkerPool(workerScript, navigator.hardwareConcurrency || 2);

let settings: Settings = settingsFromAddress(location.search);
let busy = false;
let checking = false; // the check before a run is under way
let checkTimer: number | undefined;
let checkNumber = 0;

// What the last finished run leaves for the downloads.
let lastRun: { input: string; report: string; json: string } | null = null;
let lastCurve: { csv: string } | null = null;
// The charts of the curve on show, destroyed when the next one starts.
let curveCharts: CurveCharts | null = null;
// A curve's table is asked for at most once in this many ms per run of the
// curve while its runs go on, and at most once a second: a small curve
// grows visibly, a large one does not keep the page busy redrawing.
const curveRedrawMsPerRun = 8;

// ----- the form and the page address -----

function controls(name: string): (HTMLInputElement | HTMLSelectElement)[] {
  return Array.from(form.elements).filter(
    (control): control is HTMLInputElement | HTMLSelectElement =>
      (control instanceof HTMLInputElement || control instanceof HTMLSelectElement) && control.name === name,
  );
}

function fillForm(from: Settings): void {
  const record = from as unknown as Record<string, unknown>;
  for (const key of Object.keys(from)) {
    for (const control of controls(key)) {
      if (control instanceof HTMLInputElement && control.type === "checkbox") {
        control.checked = key === "switches" ? from.switches.includes(control.value as SwitchName) : record[key] === "on";
      } else if (control instanceof HTMLInputElement && control.type === "radio") {
        control.checked = control.value === record[key];
      } else {
        control.value = String(record[key]);
      }
    }
  }
  showField();
}

function readForm(): Settings {
  const read: Settings = { ...settings };
  const record = read as unknown as Record<string, unknown>;
  for (const key of Object.keys(read)) {
    const found = controls(key);
    if (found.length === 0) {
      continue;
    }
    if (key === "switches") {
      read.switches = switchNames.filter((name) =>
        found.some((control) => control instanceof HTMLInputElement && control.checked && control.value === name),
      );
    } else if (found[0] instanceof HTMLInputElement && found[0].type === "checkbox") {
      record[key] = found[0].checked ? "on" : "off";
    } else if (found[0] instanceof HTMLInputElement && found[0].type === "radio") {
      record[key] = found.find((control) => (control as HTMLInputElement).checked)?.value ?? record[key];
    } else {
      record[key] = found[0]!.value;
    }
  }
  return read;
}

// Shows the parts of the form that belong to the chosen mode and radiation.
function showParts(): void {
  for (const part of document.querySelectorAll<HTMLElement>("[data-mode]")) {
    part.hidden = part.dataset.mode !== settings.mode;
  }
  for (const part of document.querySelectorAll<HTMLElement>("[data-radiation]")) {
    part.hidden = part.dataset.radiation !== settings.radiation;
  }
  const survivalOn = settings.survival === "on";
  for (const part of document.querySelectorAll<HTMLElement>("[data-survival]")) {
    part.hidden = !survivalOn || (part.dataset.survival !== "" && part.dataset.survival !== settings.mode);
  }
  for (const part of document.querySelectorAll<HTMLElement>("[data-reference]")) {
    part.hidden = settings.mode !== "curve" && !survivalOn;
  }
  runButton.textContent = settings.mode === "curve" ? "Run curves" : "Run";
}

function showField(): void {
  fieldSummary.textContent = settings.fieldText
    ? `${settings.fieldName}: ${settings.fieldText.split("\n").length} lines`
    : "No field file chosen yet.";
}

function settingsChanged(): void {
  settings = readForm();
  history.replaceState(null, "", `${location.pathname}${addressOf(settings)}`);
  showParts();
  scheduleCheck();
}

// ----- the check as you type -----

interface Checked {
  problems: string[];
  lines: { text: string; severity: string }[];
  stop: string | null;
  cells: number;
}

function listDiagnostics(checked: Checked): void {
  diagnosticList.replaceChildren();
  for (const { text, severity } of checked.lines) {
    const item = document.createElement("li");
    item.className = severity;
    item.textContent = text;
    diagnosticList.append(item);
  }
  if (checked.lines.length === 0) {
    const item = document.createElement("li");
    item.textContent = "No diagnostics: kesp takes this input as written.";
    diagnosticList.append(item);
  }
}

function fromResponse(response: CheckResponse, prefix = ""): Checked {
  const lines = response.diagnostics.map((d): { text: string; severity: string } => ({ text: prefix + d.text, severity: d.severity }));
  const stop = stopReason(response);
  if (response.error) {
    lines.push({ text: prefix + (stop ?? ""), severity: "error" });
  }
  return { problems: [], lines, stop, cells: response.cells };
}

// The run's request, with the cell survival when the section is on.
function request(input: string, sha256 = ""): EngineRequest {
  const survival = survivalRequest(settings).request;
  const asked: EngineRequest = { input, inputName, switches: switchWords(settings), inputSha256: sha256 };
  return survival ? { ...asked, survival } : asked;
}

function fieldFiles(): EngineFile[] {
  return settings.radiation === "field" && settings.fieldText ? [{ name: settings.fieldName, text: settings.fieldText }] : [];
}

// An uploaded field file goes by the name fieldFileName gave it; a name from
// the page's address may be anything, and the engine's folder takes plain
// file names only.
function fieldNameProblem(): string | null {
  const name = settings.fieldName;
  if (settings.radiation !== "field" || settings.fieldText === "" || fieldFileName(name) === name) {
    return null;
  }
  return (
    `Field file: the name "${name}" from the page's address is not a plain file name (letters, digits, ".", "_" ` +
    `and "-", not beginning with ".", at most 60 of them, and not ${inputName}); choose the field file to upload again`
  );
}

async function checkSingle(): Promise<Checked> {
  const input = singleInput(settings);
  const nameProblem = fieldNameProblem();
  if (nameProblem) {
    input.problems.push(nameProblem);
  }
  input.problems.push(...survivalRequest(settings).problems);
  inputView.textContent = input.text;
  if (input.problems.length > 0) {
    return { problems: input.problems, lines: [], stop: input.problems.join("; "), cells: 0 };
  }
  return fromResponse(await checker.submit("check", request(input.text), fieldFiles()));
}

// The engine plans the curves and checks every run, so that none is
// refused once they run.
async function planCurve(plan: CurvePlan): Promise<{ checked: Checked; planned: PlanResponse | null }> {
  if (plan.problems.length > 0) {
    inputView.textContent = "";
    return { checked: { problems: plan.problems, lines: [], stop: plan.problems.join("; "), cells: 0 }, planned: null };
  }
  const planned = await checker.scan<PlanResponse>({ call: "plan", plan: plan.structure });
  inputView.textContent = planned.input ?? "";
  const problems = planned.error ? [planned.error.message] : planned.problems;
  const stop = problems.length > 0 ? problems.join("; ") : planned.refusal;
  return { checked: { problems, lines: planned.diagnostics ?? [], stop, cells: planned.cells ?? 0 }, planned };
}

// The last plan the check had from the engine, which the run then takes.
let lastPlan: { key: string; planned: PlanResponse } | null = null;

async function checkCurve(plan: CurvePlan): Promise<Checked> {
  const { checked, planned } = await planCurve(plan);
  lastPlan = planned ? { key: JSON.stringify(plan.structure), planned } : null;
  return checked;
}

async function check(): Promise<Checked> {
  const number = ++checkNumber;
  const checked = settings.mode === "curve" ? await checkCurve(curvePlan(settings)) : await checkSingle();
  if (number === checkNumber) {
    listDiagnostics({ ...checked, lines: [...checked.problems.map((text) => ({ text, severity: "error" })), ...checked.lines] });
  }
  return checked;
}

function scheduleCheck(): void {
  window.clearTimeout(checkTimer);
  checkTimer = window.setTimeout(() => {
    if (!busy) {
      check().catch((error: unknown) => showStatus(`The check failed: ${error}`));
    }
  }, checkDelayMs);
}

// ----- runs -----

function showStatus(text: string): void {
  statusLine.textContent = text;
}

function setBusy(value: boolean): void {
  busy = value;
  runButton.disabled = value;
  cancelButton.disabled = !value;
  progressBar.hidden = !value;
}

function showProgress(done: number, total: number, what: string): void {
  progressBar.max = Math.max(total, 1);
  progressBar.value = done;
  showStatus(`Running: ${done} of ${total} ${what}`);
}

// Why nothing starts, or null when the run may go.
async function refusal(): Promise<Checked | null> {
  window.clearTimeout(checkTimer);
  const checked = await check();
  if (checked.stop) {
    showStatus(`Nothing is run: ${checked.stop}`);
    return null;
  }
  return checked;
}

function showRun(input: string, response: RunResponse): void {
  const results = element<HTMLElement>("results");
  element<HTMLElement>("curve-results").hidden = true;
  element<HTMLParagraphElement>("run-message").textContent = response.message ?? "";
  if (!response.report || !response.json) {
    results.hidden = true;
    showStatus(response.message ?? stopReason(response) ?? "The run gave no report");
    return;
  }
  lastRun = { input, report: response.report, json: response.json };
  const document = JSON.parse(response.json) as ResultsDocument;
  results.hidden = false;
  fillYields(element<HTMLTableElement>("yields"), document);
  fillPhysics(element<HTMLElement>("physics"), document);
  drawComplexity(element<HTMLElement>("complexity-chart"), document);
  showSurvival(
    {
      section: element("survival-results"),
      note: element("survival-note"),
      table: element<HTMLTableElement>("survival-table"),
      chart: element("survival-chart"),
    },
    response,
    settings,
    settings.radiation === "particle" ? radiationName(settings) : `the field of ${settings.fieldName}`,
  );
  element<HTMLPreElement>("report").textContent = response.report;
  showStatus(
    response.interrupted ? `Run stopped after ${response.cellsSimulated} cells` : `Done: ${response.cellsSimulated} cells`,
  );
}

async function runSingle(checked: Checked): Promise<void> {
  const input = singleInput(settings).text;
  const sha256 = await sha256Hex(input);
  const asked = request(input, sha256);
  // With the cell survival, the reference radiation's run of as many cells comes first.
  const cells = asked.survival ? 2 * checked.cells : checked.cells;
  showProgress(0, cells, "cells");
  const response = await runner.submit("run", asked, fieldFiles(), (done) => showProgress(done, cells, "cells"));
  showRun(input, response);
}

async function runCurve(): Promise<void> {
  const plan = curvePlan(settings);
  const key = JSON.stringify(plan.structure);
  const planned = lastPlan?.key === key ? lastPlan.planned : (await planCurve(plan)).planned;
  if (!planned) {
    return;
  }
  curveCharts?.destroy();
  const charts = new CurveCharts(
    {
      dsb: element<HTMLElement>("curve-dsb"),
      rbe: element<HTMLElement>("curve-rbe"),
      oer: element<HTMLElement>("curve-oer"),
      killing: element<HTMLElement>("curve-killing"),
    },
    plan,
    planned.columns,
  );
  curveCharts = charts;
  const table = new CurveTable(element<HTMLTableElement>("curve-table"), planned.runs);
  element<HTMLElement>("results").hidden = true;
  element<HTMLElement>("curve-results").hidden = false;
  const rows: (ScanRow & { index: number })[] = [];
  const references: (ScanRow & { index: number })[] = [];
  const heading = curveHeading(plan);
  // The table of the rows done so far, from the engine; at most one request
  // at a time, and one more when rows arrived meanwhile.
  const redrawMs = Math.min(1000, Math.max(200, curveRedrawMsPerRun * planned.runs.length));
  const asked: { pending: Promise<void> | null; stale: boolean; last: number } = { pending: null, stale: false, last: 0 };
  // Why the last table failed (as when the cell's reference run gives the
  // survival model no cell); its runs' rows are then no table to download.
  let tableFailure: string | null = null;
  const refresh = async (): Promise<void> => {
    asked.stale = false;
    asked.last = Date.now();
    try {
      const response = await checker.scan<TableResponse>({ call: "table", plan: plan.structure, heading, rows, references });
      if (response.error) {
        throw new Error(response.error.message);
      }
      lastCurve = { csv: response.csv };
      tableFailure = null;
      charts.update(response);
      table.update(response);
    } catch (error) {
      lastCurve = null;
      tableFailure = error instanceof Error ? error.message : String(error);
      showStatus(`The curve's table failed: ${tableFailure}`);
    }
  };
  const redraw = (force = false): Promise<void> => {
    asked.stale = true;
    if (!asked.pending && (force || Date.now() - asked.last >= redrawMs)) {
      asked.pending = refresh().finally(() => {
        asked.pending = null;
      });
    }
    return asked.pending ?? Promise.resolve();
  };
  lastCurve = null;
  let done = 0;
  const total = planned.runs.length;
  showProgress(0, total, "runs");
  const failures: string[] = [];
  try {
    await Promise.all(
      planned.runs.map(async (run) => {
        const response = await pool.scan<ScanRunResponse>({ call: "run", plan: plan.structure, run: { reference: run.reference, index: run.index } });
        if (response.row) {
          (run.reference ? references : rows).push({ ...response.row, index: run.index });
        } else {
          failures.push(`${run.label}: ${response.error?.message ?? response.message ?? "no row"}`);
        }
        showProgress(++done, total, "runs");
        void redraw();
      }),
    );
  } finally {
    // The table of what was done, also when the curve was cancelled.
    while (asked.pending) await asked.pending;
    if (asked.stale || !lastCurve) await redraw(true);
  }
  if (tableFailure) {
    showStatus(`Done, without the curve's table: ${tableFailure}`);
    return;
  }
  showStatus(failures.length ? `Done, without ${failures.join("; ")}` : `Done: ${total} runs on ${pool.size} workers`);
}

async function run(): Promise<void> {
  // Busy from the click on, so that a second click starts nothing and Cancel
  // is live while the runs are checked.
  if (busy) {
    return;
  }
  setBusy(true);
  try {
    settings = readForm();
    checking = true;
    const checked = await refusal().finally(() => {
      checking = false;
    });
    if (checked) {
      await (settings.mode === "curve" ? runCurve() : runSingle(checked));
    }
  } catch (error) {
    showStatus(error instanceof Cancelled ? "Cancelled: the run was stopped" : `The run failed: ${error}`);
  } finally {
    setBusy(false);
  }
}

function cancel(): void {
  if (checking) {
    // The check of a large curve may take a while: it stops too.
    checker.stop();
    checker.warm();
  }
  runner.stop();
  pool.stop();
  runner.warm();
}

// ----- downloads -----

function download(name: string, text: string, type: string): void {
  const url = URL.createObjectURL(new Blob([text], { type }));
  const link = document.createElement("a");
  link.href = url;
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  window.setTimeout(() => URL.revokeObjectURL(url), 10000);
}

const base = inputName.replace(/\.inp$/, "");

element("download-report").addEventListener("click", () => lastRun && download(`${base}.out`, lastRun.report, "text/plain"));
element("download-input").addEventListener("click", () => lastRun && download(inputName, lastRun.input, "text/plain"));
element("download-json").addEventListener("click", () => lastRun && download(`${base}.json`, lastRun.json, "application/json"));
element("download-csv").addEventListener(
  "click",
  () => lastCurve && download(`${base}-curve.csv`, lastCurve.csv, "text/csv"),
);

// ----- start -----

fieldInput.addEventListener("change", async () => {
  const file = fieldInput.files?.[0];
  if (file) {
    // Name and text change together, so that no check sees the one without the other.
    const text = await file.text();
    settings.fieldName = fieldFileName(file.name);
    settings.fieldText = text;
    showField();
    settingsChanged();
  }
});
form.addEventListener("input", settingsChanged);
form.addEventListener("change", settingsChanged);
form.addEventListener("submit", (event) => {
  event.preventDefault();
  run().catch((error: unknown) => showStatus(`The run failed: ${error}`));
});
cancelButton.addEventListener("click", cancel);

fillForm(settings);
showParts();
runner.warm();
check().catch((error: unknown) => showStatus(`The check failed: ${error}`));

if ("serviceWorker" in navigator && window.isSecureContext) {
  navigator.serviceWorker.register("serviceWorker.js").catch(() => {
    // Without it the page still works, only not offline.
  });
}
