// Curve mode in headless Chromium: the runs go to the worker pool, the
// charts grow as they finish and end with a point per run, and the curve
// table's yields, RBE and OER are those of kesp's runs of the same inputs;
// the curve's CSV is kesp-scan's table of the same scan, with the Cell
// survival section on its survival columns included, and the RBE for cell
// killing is drawn against LET beside the other charts.

import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { test } from "node:test";
import {
  checkedScreenshot, download, openPage, runAndWait, runNative, sharedBrowser, statusText,
} from "./pageHarness.mjs";

const shared = sharedBrowser();

const query = "?mode=curve&ions=p,4He,12C&from=5&to=50&n=3&levels=21,0&cells=100&seed=4242&ref=e&refe=1";

function parseCsv(text) {
  const [comment, header, ...rows] = text.trimEnd().split("\n");
  const names = header.split(",");
  return { comment, names, rows: rows.map((row) => Object.fromEntries(row.split(",").map((v, i) => [names[i], v]))) };
}

// kesp's DSB yield per cell per Gy and its SEM for one configuration.
function nativeDsb(radx, level) {
  const input = [
    "run it with the command line kesp kesp.inp /strict /json",
    "SIMCON: NOCS=100 SEED=4242",
    `EVO2: PO2=${level}`,
    "CELL: DNA=6 NDIA=5",
    `RADX: ${radx}`,
    "",
  ].join("\n");
  return JSON.parse(runNative(input).json).yields.dsb.per_cell_per_gy;
}

function close(actual, expected, what) {
  assert.ok(Math.abs(actual - expected) <= 1e-12 * Math.abs(expected), `${what}: ${actual} against ${expected}`);
}

test("curves of three ions at three energies and two oxygen levels", async () => {
  const { page, foreign, errors } = await openPage(shared.chromium.browser, shared.server.url, query);
  await page.evaluate(() => {
    window.pointsSeen = new Set();
    new MutationObserver(() => window.pointsSeen.add(document.querySelector("#curve-dsb").dataset.points)).observe(
      document.querySelector("#curve-dsb"),
      { attributes: true },
    );
  });
  assert.match(await runAndWait(page, 120000), /^Done: 20 runs on [0-9]+ workers$/);
  const points = await page.$$eval(".chart[id^=curve-]", (charts) => charts.map((c) => [c.id, c.dataset.points]));
  assert.deepEqual(points.slice(0, 3), [["curve-dsb", "18"], ["curve-rbe", "18"], ["curve-oer", "9"]]);
  // Without the Cell survival section, no chart of cell killing and no survival columns.
  assert.equal(await page.$eval("#curve-killing", (chart) => chart.hidden), true);
  const seen = await page.evaluate(() => [...window.pointsSeen].map(Number));
  assert.ok(seen.filter((n) => n > 0 && n < 18).length >= 2, `the chart was drawn with ${seen} points`);
  const titles = await page.$$eval(".chart .u-title", (list) => list.map((t) => t.textContent));
  assert.ok(titles.includes("RBE for DSB induction against LET, reference 1 MeV e"), titles.join(" | "));
  assert.equal(await page.$$eval("#curve-table tbody tr", (rows) => rows.length), 20);
  assert.ok((await checkedScreenshot(shared.chromium.browser, page, "curves")) > 0.01);

  const csv = parseCsv(await download(page, "#download-csv", "kesp-curve.csv"));
  assert.match(csv.comment, /^# .*reference: 1 MeV e/);
  for (const column of ["PAR", "MEV/A", "PO2", "let_kev_um", "dsb", "dsb_sem", "dsb_per_gy_gbp", "rbe_dsb", "rbe_dsb_sem"]) {
    assert.ok(csv.names.includes(column), column);
  }
  assert.equal(csv.rows.length, 18);
  assert.equal(csv.names.includes("rbe_low_dose"), false);
  // The energies kesp-scan --emit-inputs writes for MEV/A: {from: 5, to: 50, points: 3, spacing: log}.
  assert.deepEqual(
    csv.rows.filter((row) => row.PAR === "12C").map((row) => [row["MEV/A"], row.PO2]),
    [["5", "21"], ["5", "0"], ["15.811388300841895", "21"], ["15.811388300841895", "0"], ["50", "21"], ["50", "0"]],
  );

  // The anoxic carbon row at 5 MeV/u against kesp's runs of it and of the reference.
  const row = csv.rows.find((r) => r.PAR === "12C" && r["MEV/A"] === "5" && r.PO2 === "0");
  const dsb = nativeDsb("PAR=12C MEV/A=5", 0);
  const reference = nativeDsb("PAR=e KE=1", 0);
  assert.equal(Number(row.dsb), dsb.mean);
  assert.equal(Number(row.dsb_sem), dsb.sem);
  close(Number(row.rbe_dsb), dsb.mean / reference.mean, "rbe_dsb");
  const a = dsb.sem / reference.mean;
  const b = (dsb.mean * reference.sem) / reference.mean ** 2;
  close(Number(row.rbe_dsb_sem), Math.sqrt(a * a + b * b), "rbe_dsb_sem");
  const aerobic = csv.rows.find((r) => r.PAR === "12C" && r["MEV/A"] === "5" && r.PO2 === "21");
  close(Number(row.oer_dsb), Number(aerobic.dsb) / Number(row.dsb), "oer_dsb");
  assert.equal(aerobic.oer_dsb, row.oer_dsb);
  assert.deepEqual(foreign, []);
  assert.deepEqual(errors, []);
  await page.close();
});

test("a curve with an ion below its validity limit is refused before anything runs", async () => {
  const { page } = await openPage(shared.chromium.browser, shared.server.url, "?mode=curve&ions=12C&from=0.5&to=5&n=2&levels=21&cells=10");
  assert.match(await runAndWait(page), /^Nothing is run: PAR=12C MEV\/A=0\.5 PO2=21: Run refused/);
  const shown = await page.$eval("#diagnostics", (list) => list.textContent);
  assert.match(shown, /PAR=12C MEV\/A=0\.5 PO2=21: [\w-]+\.inp:6: warning: RADX: 12C at 6 MeV is below the validity limit/);
  assert.equal(await page.$eval("#curve-results", (section) => section.hidden), true);
  await page.close();
});

// kesp-scan's table of a scan file, written in a fresh folder.
function scanTable(scanFile) {
  const folder = mkdtempSync(join(tmpdir(), "kesp-scan-"));
  writeFileSync(join(folder, "curve.yaml"), scanFile);
  execFileSync(process.env.KESP_SCAN_EXECUTABLE, ["-j", "2", "-o", "curve.csv", "curve.yaml"], { cwd: folder, stdio: "pipe" });
  const table = readFileSync(join(folder, "curve.csv"), "utf8");
  rmSync(folder, { recursive: true, force: true });
  return table;
}

// The table without its first line, the comment that names the program.
const withoutComment = (table) => table.slice(table.indexOf("\n") + 1);

const withoutScanTool = process.env.KESP_SCAN_EXECUTABLE ? false : "kesp-scan is not built";

test("the curve's CSV is kesp-scan's table of the same scan, OER columns included", { skip: withoutScanTool }, async () => {
  const cases = [
    {
      query: "?mode=curve&ions=p,4He&from=8&to=40&n=2&levels=21,5,0.5&cells=30&seed=77&ref=e&refe=1",
      scan:
        "cells: 30\nseed: 77\nswitches: [/strict]\nvary:\n  PAR: [p, 4He]\n  MEV/A: {from: 8, to: 40, points: 2, spacing: log}\n" +
        "  PO2: [21, 5, 0.5]\nfixed: {CONC: 0, DNA: 6, NDIA: 5}\nreference: {PAR: e, KE: 1}\n",
    },
    {
      // One energy, one level: no pairs, but the OER columns of a varied level.
      query: "?mode=curve&ions=12C&from=20&to=20&n=1&levels=21&cells=20&seed=5&ref=p&refe=10&refu=MeV%2Fu",
      scan:
        "cells: 20\nseed: 5\nswitches: [/strict]\nvary:\n  PAR: [12C]\n  MEV/A: [20]\n  PO2: [21]\n" +
        "fixed: {CONC: 0, DNA: 6, NDIA: 5}\nreference: {PAR: p, MEV/A: 10}\n",
    },
  ];
  for (const { query, scan } of cases) {
    const { page } = await openPage(shared.chromium.browser, shared.server.url, query);
    assert.match(await runAndWait(page, 120000), /^Done: /, query);
    const csv = await download(page, "#download-csv", "kesp-curve.csv");
    assert.doesNotMatch(csv.split("\n")[0], /partial/, query);
    assert.equal(withoutComment(csv), withoutComment(scanTable(scan)), query);
    await page.close();
  }
});

test("with the Cell survival section on, the curves show the RBE for cell killing and the CSV is kesp-scan's table with its survival block",
  { skip: withoutScanTool }, async () => {
  const { page, foreign, errors } = await openPage(
    shared.chromium.browser,
    shared.server.url,
    "?mode=curve&ions=p,12C&from=10&to=10&n=1&levels=21,0.5&cells=20&seed=13&ref=e&refe=1&surv=on&ar=0.15&br=0.03",
  );
  // The section's inputs and its note on curves show in curve mode.
  assert.equal(await page.$eval("#reference-alpha", (input) => input.closest(".row").hidden), false);
  assert.equal(await page.$eval("[data-survival=curve]", (note) => note.hidden), false);
  assert.match(await runAndWait(page, 120000), /^Done: 6 runs/);
  assert.equal(await page.$eval("#survival-results", (section) => section.hidden), true);

  // Four rows, each with its RBE at low dose, at 2 Gy of the reference and at high dose.
  const chart = await page.$eval("#curve-killing", (c) => ({
    hidden: c.hidden,
    points: c.dataset.points,
    title: c.querySelector(".u-title")?.textContent,
    labels: [...c.querySelectorAll(".u-legend .u-series th")].map((th) => th.textContent.trim()).slice(1),
  }));
  assert.equal(chart.hidden, false);
  assert.equal(chart.points, "12");
  assert.equal(chart.title, "RBE for cell killing against LET, reference 1 MeV e");
  assert.equal(chart.labels.length, 12);
  assert.ok(chart.labels.includes("12C, 0.5 % O2, at 2 Gy of the reference"), chart.labels.join(" | "));
  assert.ok((await checkedScreenshot(shared.chromium.browser, page, "curvesWithCellKilling")) > 0.01);

  const text = await download(page, "#download-csv", "kesp-curve.csv");
  const scan =
    "cells: 20\nseed: 13\nswitches: [/strict]\nvary:\n  PAR: [p, 12C]\n  MEV/A: [10]\n  PO2: [21, 0.5]\n" +
    "fixed: {CONC: 0, DNA: 6, NDIA: 5}\nreference: {PAR: e, KE: 1}\nsurvival: {alpha: 0.15, beta: 0.03}\n";
  assert.equal(withoutComment(text), withoutComment(scanTable(scan)));
  const csv = parseCsv(text);
  for (const column of ["alpha_per_gy", "rbe_low_dose", "rbe_at_reference_dose_2gy", "rbe_high_dose", "oer_low_dose"]) {
    assert.ok(csv.names.includes(column), column);
  }
  // The chart's points are the table's: carbon kills more than protons at 10 MeV/u.
  const carbon = csv.rows.find((r) => r.PAR === "12C" && r.PO2 === "21");
  const proton = csv.rows.find((r) => r.PAR === "p" && r.PO2 === "21");
  assert.ok(Number(carbon.rbe_low_dose) > Number(proton.rbe_low_dose), `${carbon.rbe_low_dose} against ${proton.rbe_low_dose}`);
  assert.deepEqual(foreign, []);
  assert.deepEqual(errors, []);
  await page.close();
});

test("a bad reference alpha with the Cell survival section on stops the curve before it runs", async () => {
  const { page } = await openPage(shared.chromium.browser, shared.server.url,
    "?mode=curve&ions=p&from=10&to=10&n=1&levels=21&cells=10&surv=on&ar=-1&br=0.03");
  assert.match(await runAndWait(page), /^Nothing is run: .*survival: alpha: -1 must be 0 or more/);
  assert.equal(await page.$eval("#curve-results", (section) => section.hidden), true);
  await page.close();
});

test("a cell the survival model cannot describe ends the curve saying its table failed, not done", async () => {
  const { page } = await openPage(shared.chromium.browser, shared.server.url,
    "?mode=curve&ions=p&from=10&to=10&n=1&levels=21&cells=10&seed=3&surv=on&ar=0&br=0.05");
  assert.match(await runAndWait(page, 60000), /^Done, without the curve's table: Cell parameters: theta = .* is negative/);
  await page.close();
});

test("a cancelled curve's CSV says it is partial and holds the rows done", async () => {
  const { page } = await openPage(
    shared.chromium.browser,
    shared.server.url,
    "?mode=curve&ions=p,4He&from=5&to=50&n=10&levels=21,0&cells=400&seed=3",
  );
  await page.click("#run");
  await page.waitForFunction(() => /^Running: ([3-9]|[1-9][0-9]+) of 42 runs/.test(document.querySelector("#status").textContent), {
    timeout: 60000,
  });
  await page.click("#cancel");
  await page.waitForFunction(() => document.querySelector("#status").textContent.startsWith("Cancelled"), { timeout: 10000 });
  const csv = parseCsv(await download(page, "#download-csv", "kesp-curve.csv"));
  const [, done, planned] = csv.comment.match(/\| rows: 40 \| partial: ([0-9]+) of ([0-9]+) rows done$/) ?? [];
  assert.equal(planned, "40", csv.comment);
  assert.ok(Number(done) < 40, csv.comment);
  assert.equal(csv.rows.length, Number(done));
  // Nothing runs on after Cancel.
  const status = await statusText(page);
  await new Promise((resolve) => setTimeout(resolve, 1500));
  assert.equal(await statusText(page), status);
  await page.close();
});

test("a curve too large for the page is refused at once with the bound, and Cancel stays live", async () => {
  const ions = Array.from({ length: 60 }, (_, i) => `${2 * (i + 3)}${["C", "N", "O", "Ne"][i % 4]}`).join(",");
  const thousand = Array.from({ length: 1000 }, () => "p").join(",");
  for (const query of [`?mode=curve&ions=${ions}&from=5&to=50&n=50&levels=21,0`, `?mode=curve&ions=${thousand}&n=2&levels=21,0`]) {
    const { page } = await openPage(shared.chromium.browser, shared.server.url, query);
    const start = Date.now();
    assert.match(await runAndWait(page, 20000), /^Nothing is run: The curves hold [0-9]+ rows; the page runs curves of up to 2000/);
    assert.ok(Date.now() - start < 5000, `refused after ${Date.now() - start} ms`);
    assert.equal(await page.$eval("#curve-results", (section) => section.hidden), true);
    await page.close();
  }
  // A curve within the bound: Cancel is live from the click on, while its runs are checked.
  const { page } = await openPage(
    shared.chromium.browser,
    shared.server.url,
    "?mode=curve&ions=p,4He,12C&from=5&to=50&n=50&levels=21,10,5,2,0&cells=200",
  );
  const live = await page.evaluate(() => {
    document.querySelector("#run").click();
    const cancel = document.querySelector("#cancel");
    const enabled = !cancel.disabled;
    cancel.click();
    return enabled;
  });
  assert.equal(live, true);
  await page.waitForFunction(() => document.querySelector("#status").textContent.startsWith("Cancelled"), { timeout: 5000 });
  assert.equal(await page.$eval("#run", (button) => button.disabled), false);
  await page.close();
});

test("a double click on Run starts one curve, and its charts go when the next curve is drawn", async () => {
  const { page } = await openPage(
    shared.chromium.browser,
    shared.server.url,
    "?mode=curve&ions=p&from=5&to=50&n=2&levels=21,0&cells=20&seed=9",
  );
  const session = await page.createCDPSession();
  // The listener each chart adds to the window, which only its destroy() removes.
  const windowListeners = async () => {
    const { result } = await session.send("Runtime.evaluate", { expression: "window" });
    const { listeners } = await session.send("DOMDebugger.getEventListeners", { objectId: result.objectId });
    return listeners.filter((l) => l.type === "dppxchange").length;
  };
  const statuses = [];
  await page.exposeFunction("noteStatus", (text) => statuses.push(text));
  await page.evaluate(() => {
    new MutationObserver(() => window.noteStatus(document.querySelector("#status").textContent)).observe(
      document.querySelector("#status"),
      { childList: true, characterData: true, subtree: true },
    );
  });
  // Two clicks as fast as a double click can come.
  await page.evaluate(() => {
    const run = document.querySelector("#run");
    run.click();
    run.click();
  });
  await page.waitForFunction(() => /^Done/.test(document.querySelector("#status").textContent), { timeout: 60000 });
  await new Promise((resolve) => setTimeout(resolve, 1000));
  assert.equal(statuses.filter((s) => s.startsWith("Done")).length, 1, statuses.join(" | "));
  assert.ok(statuses.every((s) => !/^Running: ([7-9]|[1-9][0-9]) of/.test(s)), statuses.join(" | "));
  const after = [];
  for (let run = 0; run < 3; ++run) {
    assert.match(await runAndWait(page, 60000), /^Done: 6 runs/);
    after.push(await windowListeners());
  }
  assert.equal(after[2], after[0], `window listeners after each curve: ${after}`);
  // Three charts and uPlot's own.
  assert.equal(after[0], 4, `window listeners after each curve: ${after}`);
  assert.equal(await page.$$eval(".chart[id^=curve-] .uplot", (charts) => charts.length), 3);
  await session.detach();
  await page.close();
});

test("a curve of many runs redraws at most once a second, not after every run", async () => {
  const { page } = await openPage(
    shared.chromium.browser,
    shared.server.url,
    "?mode=curve&ions=p,4He&from=5&to=100&n=40&levels=21,0&cells=2&seed=8",
  );
  await page.evaluate(() => {
    window.drawn = 0;
    window.longest = 0;
    new MutationObserver(() => ++window.drawn).observe(document.querySelector("#curve-dsb"), {
      attributes: true,
      attributeFilter: ["data-points"],
    });
    new PerformanceObserver((list) => {
      for (const entry of list.getEntries()) window.longest = Math.max(window.longest, entry.duration);
    }).observe({ type: "longtask" });
  });
  const start = Date.now();
  assert.match(await runAndWait(page, 200000), /^Done: 162 runs/);
  const seconds = (Date.now() - start) / 1000;
  const { drawn, longest } = await page.evaluate(() => ({ drawn: window.drawn, longest: window.longest }));
  // Once a second at most, besides the empty chart at the start and the last rows at the end.
  assert.ok(drawn <= seconds + 3, `the charts were redrawn ${drawn} times in ${seconds} s`);
  assert.ok(longest < 1000, `the page was busy for ${longest} ms at a time`);
  assert.equal(await page.$eval("#curve-dsb", (chart) => chart.dataset.points), "160");
  await page.close();
});
