// The page's offline copy and a new version published under the same
// address: an open page keeps the files of its own version (its engine's
// worker and module load later than its script), and the first load after
// it is closed takes the new version.

import assert from "node:assert/strict";
import { cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { test } from "node:test";
import { environment, launchBrowser, openPage, servePage } from "./pageHarness.mjs";

const marker = "// the next version";

// The text of a page file as the page gets it (from the service worker's cache once it controls the page).
const fetched = (page, name) => page.evaluate((file) => fetch(file).then((response) => response.text()), name);

// Writes a new version of the page into the served folder: another engine
// worker, and a service worker with another version (as the build makes it).
function publishNewVersion(folder) {
  const workerFile = join(folder, "engineWorker.js");
  writeFileSync(workerFile, `${readFileSync(workerFile, "utf8")}\n${marker}\n`);
  const serviceWorkerFile = join(folder, "serviceWorker.js");
  const old = readFileSync(serviceWorkerFile, "utf8");
  const versions = old.match(/kesp-page-[0-9a-f]{16}/g) ?? [];
  assert.equal(versions.length, 1, "the service worker names one cache, kesp-page- and 16 hex digits");
  writeFileSync(serviceWorkerFile, old.replace(versions[0], "kesp-page-0123456789abcdef"));
}

test("a new version of the page waits until no page of the old one is open", async () => {
  const folder = mkdtempSync(join(tmpdir(), "kesp-page-versions-"));
  cpSync(environment("KESP_WEB_DIST"), folder, { recursive: true });
  const server = await servePage(folder);
  const chromium = await launchBrowser();
  try {
    const { page, errors } = await openPage(chromium.browser, server.url);
    await page.evaluate(() => navigator.serviceWorker.ready.then(() => undefined));
    await page.reload({ waitUntil: "load" });
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, { timeout: 10000 });
    const oldWorker = await fetched(page, "engineWorker.js");
    assert.ok(!oldWorker.includes(marker));

    publishNewVersion(folder);
    const seen = await page.evaluate(async () => {
      let controllerChanges = 0;
      navigator.serviceWorker.addEventListener("controllerchange", () => controllerChanges++);
      const registration = await navigator.serviceWorker.getRegistration();
      await registration.update();
      for (let waited = 0; registration.installing && waited < 20000; waited += 100) {
        await new Promise((done) => setTimeout(done, 100));
      }
      // Time for a worker that would take over at once to do so.
      await new Promise((done) => setTimeout(done, 1000));
      return { waiting: registration.waiting !== null, controllerChanges };
    });
    assert.deepEqual(seen, { waiting: true, controllerChanges: 0 });
    assert.equal(await fetched(page, "engineWorker.js"), oldWorker);
    assert.deepEqual(errors, []);
    await page.close();

    // Every old page closed: the next load takes the new version.
    let newWorker = "";
    for (let attempt = 0; attempt < 20 && !newWorker.includes(marker); attempt++) {
      await new Promise((done) => setTimeout(done, 250));
      const next = await chromium.browser.newPage();
      await next.goto(server.url, { waitUntil: "load" });
      newWorker = await fetched(next, "engineWorker.js");
      await next.close();
    }
    assert.ok(newWorker.includes(marker), "the new version was not taken once the old page was closed");
  } finally {
    await chromium.close();
    await server.close();
    rmSync(folder, { recursive: true, force: true });
  }
});
