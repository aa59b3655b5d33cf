// Curve mode in headless Chromium: the runs go to the worker pool, the
// charts grow as they finish and end with a point per run, and the curve
// table's yields, RBE and OER are those of kesp's runs of the same inputs.

import assert from "node:assert/strict";
import { test } from "node:test";
import { checkedScreenshot, download, openPage, runAndWait, runNative, sharedBrowser } from "./pageHarness.mjs";

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
  assert.deepEqual(points, [["curve-dsb", "18"], ["curve-rbe", "18"], ["curve-oer", "9"]]);
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
  assert.deepEqual(foreign, []);
  assert.deepEqual(errors, []);
  await page.close();
});

test("a curve with an ion below its validity limit is refused before anything runs", async () => {
  const { page } = await openPage(shared.chromium.browser, shared.server.url, "?mode=curve&ions=12C&from=0.5&to=5&n=2&levels=21&cells=10");
  assert.match(await runAndWait(page), /^Nothing is run: PAR=12C MEV\/A=0\.5 PO2=21: Run refused/);
  const shown = await page.$eval("#diagnostics", (list) => list.textContent);
  assert.match(shown, /PAR=12C MEV\/A=0\.5 PO2=21: kesp\.inp:6: warning: RADX: 12C at 6 MeV is below the validity limit/);
  assert.equal(await page.$eval("#curve-results", (section) => section.hidden), true);
  await page.close();
});
