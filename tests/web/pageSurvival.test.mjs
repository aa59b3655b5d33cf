// The page's Cell survival section in headless Chromium: a small run with
// the section on shows alpha, beta and the RBEs of the native library for
// the downloaded input, and draws the survival curves; with the section off
// nothing of it shows.

import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdtempSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { test } from "node:test";
import { checkedScreenshot, download, environment, openPage, runAndWait, sharedBrowser } from "./pageHarness.mjs";

const shared = sharedBrowser();

// The native library's survival of the input (tests/web/survivalReference.cpp).
function nativeSurvival(input, alpha, beta, particle, energyMeV) {
  const folder = mkdtempSync(join(tmpdir(), "kesp-survival-"));
  writeFileSync(join(folder, "run.inp"), input);
  const output = execFileSync(environment("KESP_SURVIVAL_REFERENCE"),
    ["run.inp", String(alpha), String(beta), particle, String(energyMeV)], { cwd: folder, stdio: "pipe" });
  rmSync(folder, { recursive: true, force: true });
  return JSON.parse(String(output));
}

const fourFigures = (value) => Number(value.toPrecision(4));

test("a 20 MeV helium run with the Cell survival section shows the native alpha, beta, RBEs and the survival curves", async () => {
  const query = "?par=4He&e=20&cells=30&seed=99&surv=on&ar=0.15&br=0.03&ref=p&refe=200";
  const { page, foreign, errors } = await openPage(shared.chromium.browser, shared.server.url, query);
  // The illustrative values are said to be such, next to their inputs.
  assert.match(await page.$eval("#reference-alpha", (input) => input.closest("fieldset").textContent), /illustrative/);
  assert.equal(await page.$eval("#reference-particle", (input) => input.closest("fieldset").hidden), false);
  assert.match(await runAndWait(page, 120000), /^Done: 30 cells/);
  assert.equal(await page.$eval("#survival-results", (section) => section.hidden), false);

  const input = await download(page, "#download-input", "kesp.inp");
  const document = JSON.parse(await download(page, "#download-json", "kesp.json"));
  const native = nativeSurvival(input, 0.15, 0.03, "p", 200);
  assert.deepEqual(document.survival, native.survival);

  const rows = await page.$$eval("#survival-table tbody tr", (trs) =>
    trs.map((tr) => [tr.querySelector("th").textContent, ...[...tr.querySelectorAll("td")].map((td) => td.textContent)]),
  );
  const s = native.survival;
  assert.deepEqual(rows.map((row) => row[0]), [
    "α (Gy⁻¹)", "β (Gy⁻²)", "RBE at low dose (α / αR)", "RBE at 2 Gy of the reference", "RBE at high dose (√(β / βR))",
  ]);
  const shown = [s.alpha_per_gy, s.beta_per_gy2, s.rbe_low_dose, s.rbe_at_reference_dose[0].rbe, s.rbe_high_dose];
  rows.forEach((row, i) => {
    assert.equal(Number(row[1]), fourFigures(shown[i].mean), row[0]);
    assert.equal(Number(row[2]), Number(shown[i].sem.toPrecision(2)), row[0]);
  });
  assert.equal(Number(rows[0][3]), 0.15);
  assert.equal(Number(rows[1][3]), 0.03);

  // The chart: 41 doses from 0 to 10 Gy, both curves drawn on a canvas.
  assert.equal(await page.$eval("#survival-chart", (chart) => chart.dataset.points), "41");
  assert.ok(await page.$eval("#survival-chart", (chart) => chart.querySelector("canvas") !== null));
  const label = await page.$eval("#survival-chart", (chart) => chart.getAttribute("aria-label"));
  const atTenGy = label.match(/: 20 MeV 4He, (\S+) at the highest dose; 200 MeV p, (\S+)$/);
  assert.ok(atTenGy, label);
  assert.equal(Number(atTenGy[1]), fourFigures(native.survival_fraction.at(-1)));
  assert.equal(Number(atTenGy[2]), fourFigures(native.reference_survival_fraction.at(-1)));
  assert.match(await page.$eval("#survival-note", (note) => note.textContent), /200 MeV p.*illustrative/);
  assert.ok((await checkedScreenshot(shared.chromium.browser, page, "survival")) > 0.01);
  assert.deepEqual(foreign, []);
  assert.deepEqual(errors, []);
  await page.close();
});

test("a reference alpha that is not a number starts nothing; with the section off none of it shows", async () => {
  const { page } = await openPage(shared.chromium.browser, shared.server.url, "?cells=10&surv=on&ar=abc");
  assert.ok((await page.$$eval("#diagnostics li", (items) => items.map((i) => i.textContent)))
    .includes('Reference alpha: "abc" is not a number'));
  assert.match(await runAndWait(page), /^Nothing is run: Reference alpha/);
  await page.close();

  const off = await openPage(shared.chromium.browser, shared.server.url, "?cells=10");
  assert.equal(await off.page.$eval("#reference-alpha", (input) => input.closest(".row").hidden), true);
  assert.equal(await off.page.$eval("#reference-particle", (input) => input.closest("fieldset").hidden), true);
  assert.match(await runAndWait(off.page), /^Done: 10 cells/);
  assert.equal(await off.page.$eval("#survival-results", (section) => section.hidden), true);
  await off.page.close();
});
