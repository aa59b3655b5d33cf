// The page in headless Chromium: one run gives kesp's report and JSON
// document, a misspelt particle starts nothing, Cancel stops a long run, and
// nothing is fetched from other hosts.

import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdtempSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { test } from "node:test";
import {
  checkedScreenshot, diagnostics, download, environment, launchBrowser, maskRunningTime, openPage, runAndWait,
  runNative, servePage, sharedBrowser, statusText, typeInto,
} from "./pageHarness.mjs";

const shared = sharedBrowser();

// What `kesp` says on the standard error stream about an input with /strict.
function nativeWarnings(input) {
  const folder = mkdtempSync(join(tmpdir(), "kesp-strict-"));
  writeFileSync(join(folder, "kesp.inp"), input);
  try {
    execFileSync(environment("KESP_EXECUTABLE"), ["kesp.inp", "/strict"], { cwd: folder, stdio: "pipe" });
    return { status: 0, stderr: "" };
  } catch (error) {
    return { status: error.status, stderr: String(error.stderr) };
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
}

test("a 10 MeV proton run of 200 cells downloads kesp's report and JSON document of its input file", async () => {
  const { page, foreign, errors } = await openPage(shared.chromium.browser, shared.server.url, "?par=p&e=10&cells=200&seed=12345");
  assert.match(await runAndWait(page), /^Done: 200 cells/);
  const input = await download(page, "#download-input", "kesp.inp");
  const report = await download(page, "#download-report", "kesp.out");
  const json = await download(page, "#download-json", "kesp.json");
  assert.match(input, /^SIMCON: NOCS=200 SEED=12345$/m);
  assert.match(input, /^RADX: PAR=p KE=10$/m);

  const native = runNative(input);
  assert.equal(maskRunningTime(report), maskRunningTime(native.report));
  assert.equal(json, native.json);

  // The page shows the document's figures.
  const document = JSON.parse(json);
  const dsbRow = await page.$$eval("#yields tbody tr:first-child td", (cells) => cells.map((c) => c.textContent));
  assert.equal(Number(dsbRow[0]), Number(document.yields.dsb.per_cell_per_gy.mean.toPrecision(4)));
  assert.equal(Number(dsbRow[2]), Number(document.yields.dsb.per_gy_per_gbp.mean.toPrecision(4)));
  const physics = await page.$eval("#physics", (list) => list.textContent);
  assert.match(physics, new RegExp(`LET.*${document.physics.particle.let_kev_per_um.toPrecision(4)} keV/µm`));
  assert.equal(await page.$eval("#complexity-chart", (chart) => chart.dataset.points), "7");
  const classes = await page.$$eval("#complexity-table td", (cells) => cells.map((c) => Number(c.textContent)));
  assert.deepEqual(
    classes,
    ["bd", "ssb", "ssb_plus", "two_ssb", "dsb", "dsb_plus", "dsb_plus_plus"].map((key) =>
      Number(document.tables.complexity_percent[key].toPrecision(4)),
    ),
  );

  assert.ok((await checkedScreenshot(shared.chromium.browser, page, "run")) > 0.01, "the screenshot of the results is blank");
  assert.deepEqual(foreign, []);
  assert.deepEqual(errors, []);
  assert.ok(shared.server.requests.includes("/kespEngine.wasm"));
  await page.close();
});

test("a misspelt particle typed into the form shows kesp's warning, and Run starts nothing", async () => {
  const { page } = await openPage(shared.chromium.browser, shared.server.url);
  await typeInto(page, "#particle", "protn");
  await page.waitForFunction(() => document.querySelector("#diagnostics").textContent.includes("protn"));
  const shown = await diagnostics(page);
  const input = await page.$eval("#input-text", (pre) => pre.textContent);
  assert.match(input, /^RADX: PAR=protn KE=10$/m);
  const native = nativeWarnings(input);
  assert.equal(native.status, 2);
  const warning = shown.find((line) => line.includes("protn"));
  assert.match(warning, /^kesp\.inp:6: warning: RADX: particle "protn" /);
  assert.ok(native.stderr.includes(warning), `kesp says:\n${native.stderr}\nthe page says:\n${warning}`);

  assert.match(await runAndWait(page), /^Nothing is run: Run refused: \/strict is given and the input holds warnings/);
  assert.equal(await page.$eval("#progress", (bar) => bar.hidden), true);
  assert.equal(await page.$eval("#results", (results) => results.hidden), true);
  assert.ok((await checkedScreenshot(shared.chromium.browser, page, "misspelt-particle")) > 0.01);
  await page.close();
});

test("values the form cannot write into an input line are named, and nothing runs", async () => {
  const cases = [
    ["?e=10%20NOCS%3D5", /^Energy: "10 NOCS=5" holds a blank/],
    ["?cells=", /^Cells: empty; write a value$/],
    ["?rad=field", /^Field file: choose a field file to upload$/],
  ];
  for (const [query, message] of cases) {
    const { page } = await openPage(shared.chromium.browser, shared.server.url, query);
    assert.ok((await diagnostics(page)).some((line) => message.test(line)), `${query}: ${await diagnostics(page)}`);
    assert.match(await runAndWait(page), /^Nothing is run: /);
    await page.close();
  }
});

test("Cancel stops a long run within a second, and the next run starts afresh", async () => {
  const { page } = await openPage(shared.chromium.browser, shared.server.url, "?cells=100000&par=e&e=1");
  await page.click("#run");
  // The engine tells its progress ten times in a run.
  await page.waitForFunction(() => document.querySelector("#progress").value > 0, { timeout: 30000 });
  assert.match(await statusText(page), /^Running: [0-9]+ of 100000 cells$/);
  assert.ok((await checkedScreenshot(shared.chromium.browser, page, "running")) > 0.01);
  const start = Date.now();
  await page.click("#cancel");
  await page.waitForFunction(() => document.querySelector("#status").textContent.startsWith("Cancelled"), {
    timeout: 5000,
  });
  assert.ok(Date.now() - start < 1000, `the run stopped after ${Date.now() - start} ms`);
  assert.equal(await page.$eval("#run", (button) => button.disabled), false);
  assert.ok((await checkedScreenshot(shared.chromium.browser, page, "cancelled")) > 0.01);

  await typeInto(page, "#cells", "20");
  assert.match(await runAndWait(page), /^Done: 20 cells/);
  await page.close();
});

test("the page address holds the settings, and a link to it opens the same form", async () => {
  const { page } = await openPage(shared.chromium.browser, shared.server.url);
  await typeInto(page, "#particle", "12C");
  await page.select("#energy-unit", "MeV/u");
  await page.click('input[name="switches"][value="nq"]');
  await page.waitForFunction(() => document.querySelector("#input-text").textContent.includes("/nq"));
  const address = page.url();
  const input = await page.$eval("#input-text", (pre) => pre.textContent);
  await page.close();

  const again = await openPage(shared.chromium.browser, address);
  assert.equal(await again.page.$eval("#input-text", (pre) => pre.textContent), input);
  assert.match(input, /^RADX: PAR=12C MEV\/A=10$/m);
  assert.match(input.split("\n")[0], /kesp kesp\.inp \/nq \/strict \/json$/);
  await again.page.close();
});

test("once loaded, the page opens and checks its input with the server gone", async () => {
  const own = await servePage();
  const { page } = await openPage(shared.chromium.browser, own.url, "?par=4He&e=40");
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.reload({ waitUntil: "load" });
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
  await own.close();
  await page.reload({ waitUntil: "load" });
  await page.waitForFunction(() => document.querySelector("#diagnostics li") !== null, { timeout: 20000 });
  assert.match(await page.$eval("#input-text", (pre) => pre.textContent), /^RADX: PAR=4He KE=40$/m);
  await typeInto(page, "#cells", "10");
  assert.match(await runAndWait(page), /^Done: 10 cells/);
  await page.close();
});

test("on a phone's screen the form and the results fit its width", async () => {
  const { page } = await openPage(shared.chromium.browser, shared.server.url, "?cells=20");
  await page.setViewport({ width: 375, height: 740, isMobile: true, hasTouch: true });
  assert.match(await runAndWait(page), /^Done: 20 cells/);
  const widths = await page.evaluate(() => [document.documentElement.scrollWidth, window.innerWidth]);
  assert.ok(widths[0] <= widths[1], `the page is ${widths[0]} px wide on a screen of ${widths[1]} px`);
  // Every form control has a name a screen reader can read.
  const unnamed = await page.$$eval("input, select, button", (controls) =>
    controls.filter((c) => !(c.labels?.length || c.getAttribute("aria-label") || c.textContent.trim())).map((c) => c.outerHTML),
  );
  assert.deepEqual(unnamed, []);
  assert.ok((await checkedScreenshot(shared.chromium.browser, page, "phone")) > 0.01);
  await page.close();
});

test("on a plain-http host name, without crypto.subtle, the JSON document still holds kesp's SHA-256", async () => {
  const port = new URL(shared.server.url).port;
  const insecure = await launchBrowser(["--host-resolver-rules=MAP kesp.test 127.0.0.1"]);
  try {
    const url = `http://kesp.test:${port}/`;
    const { page, foreign } = await openPage(insecure.browser, url, "?par=4He&e=40&cells=20");
    assert.deepEqual(await page.evaluate(() => [window.isSecureContext, Boolean(crypto.subtle)]), [false, false]);
    assert.match(await runAndWait(page), /^Done: 20 cells/);
    const input = await download(page, "#download-input", "kesp.inp");
    const json = await download(page, "#download-json", "kesp.json");
    assert.equal(json, runNative(input).json);
    assert.deepEqual(foreign, []);
    await page.close();
  } finally {
    await insecure.close();
  }
});
