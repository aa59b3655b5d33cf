// The web page's benchmark: the cell time of its engine in WebAssembly (in
// Node, one thread) over the native one-thread cell time for 1 MeV electrons
// (target at most 2), the page weight (every file the page loads, before
// compression; target at most 1.5 MB) and the time of a curve of 20
// energies x 2 oxygen levels at 1000 cells on all the browser's workers over
// the time `kesp-scan -j 2` takes for the same scan (target at most 2.5).
//
//     KESP_WEB_DIST=web/dist KESP_SCAN_EXECUTABLE=build-bench/scan/kesp-scan \
//       KESP_EXECUTABLE=build-bench/kesp KESP_SOURCE_DIR=. node bench/webBench.mjs
//
// KESP_BENCH_CELLS sets other cells per run than 1000 (for a quick look).

import { execFileSync } from "node:child_process";
import { mkdtempSync, rmSync, statSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { fileURLToPath } from "node:url";
import { environment, launchBrowser, openPage, runAndWait, servePage } from "../tests/web/pageHarness.mjs";

const cells = Number(process.env.KESP_BENCH_CELLS || 1000);
const from = 2;
const to = 100;
const points = 20;
const levels = [21, 0];
const pageLimitBytes = 1.5e6;
const curveLimit = 2.5;
const cellLimit = 2;

// Every file the page asks for while it opens and checks its input, as
// served (each counted once).
async function pageWeight(browser, server) {
  const { page } = await openPage(browser, server.url);
  await page.evaluate(() => navigator.serviceWorker?.ready);
  await page.close();
  const root = environment("KESP_WEB_DIST");
  const files = [...new Set(server.requests)].map((path) => (path.endsWith("/") ? `${path}index.html` : path));
  return files.reduce((sum, path) => sum + statSync(join(root, path)).size, 0);
}

async function curveSeconds(browser, server) {
  const query =
    `?mode=curve&ions=p&from=${from}&to=${to}&n=${points}&levels=${levels.join(",")}` +
    `&cells=${cells}&seed=12345&ref=e&refe=1&sw=`;
  const { page } = await openPage(browser, server.url, query);
  const workers = await page.evaluate(() => navigator.hardwareConcurrency);
  const start = performance.now();
  const status = await runAndWait(page, 3600 * 1000);
  const seconds = (performance.now() - start) / 1000;
  await page.close();
  if (!status.startsWith("Done")) {
    throw new Error(`the curve did not finish: ${status}`);
  }
  return { seconds, workers };
}

function scanSeconds() {
  const folder = mkdtempSync(join(tmpdir(), "kesp-webbench-"));
  const scan = [
    "title: the web benchmark's curve",
    `cells: ${cells}`,
    "seed: 12345",
    "switches: []",
    "vary:",
    "  PAR: [p]",
    `  MEV/A: {from: ${from}, to: ${to}, points: ${points}, spacing: log}`,
    `  PO2: [${levels.join(", ")}]`,
    "fixed:",
    "  DNA: 6",
    "  NDIA: 5",
    "  CONC: 0",
    "reference:",
    "  PAR: e",
    "  KE: 1",
    "",
  ].join("\n");
  writeFileSync(join(folder, "curve.yaml"), scan);
  const start = performance.now();
  execFileSync(environment("KESP_SCAN_EXECUTABLE"), ["-j", "2", "-o", join(folder, "curve.csv"), join(folder, "curve.yaml")], {
    stdio: "pipe",
  });
  const seconds = (performance.now() - start) / 1000;
  rmSync(folder, { recursive: true, force: true });
  return seconds;
}

const cellTimeScript = fileURLToPath(new URL("wasmCellTime.mjs", import.meta.url));
const cell = JSON.parse(
  execFileSync(process.execPath, [cellTimeScript, environment("KESP_EXECUTABLE"), join(environment("KESP_WEB_DIST"), "kespEngine.js")], {
    encoding: "utf8",
  }),
);
const cellRatio = cell.wasm / cell.native;
console.log(
  `1 MeV electron cell, one thread: native ${(cell.native * 1e6).toFixed(1)} us, ` +
    `WebAssembly ${(cell.wasm * 1e6).toFixed(1)} us, ratio ${cellRatio.toFixed(2)} (target at most ${cellLimit})`,
);
const server = await servePage();
const chromium = await launchBrowser();
try {
  const weight = await pageWeight(chromium.browser, server);
  console.log(`page weight: ${weight} bytes (${(weight / 1e6).toFixed(3)} MB; target at most ${pageLimitBytes / 1e6} MB)`);
  const scan = scanSeconds();
  const curve = await curveSeconds(chromium.browser, server);
  const ratio = curve.seconds / scan;
  console.log(
    `curve of ${points} energies x ${levels.length} oxygen levels at ${cells} cells (and ${levels.length} reference runs): ` +
      `page ${curve.seconds.toFixed(2)} s on ${curve.workers} workers, kesp-scan -j 2 ${scan.toFixed(2)} s, ` +
      `ratio ${ratio.toFixed(2)} (target at most ${curveLimit})`,
  );
  process.exitCode = cellRatio <= cellLimit && weight <= pageLimitBytes && ratio <= curveLimit ? 0 : 1;
} finally {
  await chromium.close();
  await server.close();
}
