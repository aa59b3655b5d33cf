// Every example input set through the page address, and the mixed field of
// an uploaded field file: the page's downloads are kesp's report and JSON
// document of the downloaded input file, and its results those of the
// example file itself.

import assert from "node:assert/strict";
import { readFileSync, readdirSync } from "node:fs";
import { join } from "node:path";
import { test } from "node:test";
import {
  download, maskRunningTime, openPage, queryOfInput, runAndWait, runNative, runNativeExample, sharedBrowser, sourceDir,
} from "./pageHarness.mjs";

const shared = sharedBrowser();

// What a run's results are, whatever its input file is called.
function results(document) {
  const { settings, run, physics, damage_model, yields, tables } = document;
  return { settings, run, physics, damage_model, yields, tables };
}

// Runs the page and checks its downloads against kesp; returns the document.
async function runOnPage(page, fieldFiles = {}) {
  assert.match(await runAndWait(page), /^Done: /);
  const input = await download(page, "#download-input", "kesp.inp");
  const report = await download(page, "#download-report", "kesp.out");
  const json = await download(page, "#download-json", "kesp.json");
  const native = runNative(input, fieldFiles);
  assert.equal(maskRunningTime(report), maskRunningTime(native.report));
  assert.equal(json, native.json);
  return JSON.parse(json);
}

const examples = readdirSync(join(sourceDir(), "examples"))
  .filter((name) => name.endsWith(".inp"))
  .filter((name) => !/^\s*RADX:.*FN=/im.test(readFileSync(join(sourceDir(), "examples", name), "utf8")));

test("the single-particle examples are all here", () => {
  assert.ok(examples.length >= 7, examples.join(", "));
});

for (const example of examples) {
  test(`examples/${example} set through the page address runs as kesp runs it`, async () => {
    const text = readFileSync(join(sourceDir(), "examples", example), "utf8");
    const { page, errors } = await openPage(shared.chromium.browser, shared.server.url, queryOfInput(text));
    const document = await runOnPage(page);
    const example_ = runNativeExample(join("examples", example), ["/strict", "/json"]);
    assert.deepEqual(results(document), results(example_));
    assert.deepEqual(errors, []);
    await page.close();
  });
}

test("examples/mixedField.inp with its field file uploaded runs as kesp runs it", async () => {
  const fieldText = readFileSync(join(sourceDir(), "examples", "mixedField.txt"), "utf8");
  const { page } = await openPage(shared.chromium.browser, shared.server.url, "?rad=field&cells=60&seed=8086&o2=21");
  const chooser = await page.$("#field-file");
  await chooser.uploadFile(join(sourceDir(), "examples", "mixedField.txt"));
  await page.waitForFunction(
    () =>
      document.querySelector("#input-text").textContent.includes("FN=mixedField.txt") &&
      !document.querySelector("#diagnostics").textContent.includes("choose a field file"),
  );
  assert.match(page.url(), /fn=mixedField.txt/);
  const document = await runOnPage(page, { "mixedField.txt": fieldText });
  const example = runNativeExample(join("examples", "mixedField.inp"), ["/json"], ["mixedField.txt"]);
  // The example's own run has no /strict: only the switches differ.
  assert.deepEqual(results(document), results(example));
  assert.ok(await page.$eval("#physics", (list) => list.textContent.includes("Mixed field")));

  // A short field file travels in the link: the link alone runs the same field.
  const again = await openPage(shared.chromium.browser, page.url());
  assert.equal(
    await again.page.$eval("#input-text", (pre) => pre.textContent),
    await page.$eval("#input-text", (pre) => pre.textContent),
  );
  await runOnPage(again.page, { "mixedField.txt": fieldText });
  await again.page.close();
  await page.close();
});
