// A field file's name from the page address: a plain file name is used as
// the uploaded file's would be; a folder or a path starts nothing and says
// why in the page's own words, instead of a failure of the engine's folder.

import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import { join } from "node:path";
import { test } from "node:test";
import { diagnostics, openPage, runAndWait, sharedBrowser, sourceDir } from "./pageHarness.mjs";

const shared = sharedBrowser();
const fieldText = () => readFileSync(join(sourceDir(), "examples", "mixedField.txt"), "utf8");
const addressWith = (name) => `?rad=field&cells=4&fn=${encodeURIComponent(name)}&ft=${encodeURIComponent(fieldText())}`;

for (const name of ["a/b.txt", "folder/", "..", "/etc/field.txt", "kesp.inp", ".hidden"]) {
  test(`the field-file name ${JSON.stringify(name)} from the address starts nothing and says why`, async () => {
    const { page, errors } = await openPage(shared.chromium.browser, shared.server.url, addressWith(name));
    const said = `Field file: the name "${name}" from the page's address is not a plain file name`;
    assert.ok((await diagnostics(page)).some((line) => line.startsWith(said)), (await diagnostics(page)).join("\n"));
    const status = await runAndWait(page);
    assert.ok(status.startsWith(`Nothing is run: ${said}`), status);
    assert.deepEqual(errors, []);
    await page.close();
  });
}

test("a plain field-file name from the address runs the field under that name", async () => {
  const { page, errors } = await openPage(shared.chromium.browser, shared.server.url, addressWith("mixedField.txt"));
  assert.match(await page.$eval("#input-text", (view) => view.textContent), /^RADX: FN=mixedField\.txt$/m);
  assert.match(await runAndWait(page), /^Done: 4 cells/);
  assert.deepEqual(errors, []);
  await page.close();
});
