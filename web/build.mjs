// Builds the page into a folder of static files:
//
//     node build.mjs --engine <folder with kespEngine.js and kespEngine.wasm> [--out dist]
//
// esbuild bundles the TypeScript sources (and uPlot) into main.js, main.css,
// engineWorker.js and serviceWorker.js; index.html and the engine are copied.

import { build } from "esbuild";
import { createHash } from "node:crypto";
import { copyFileSync, mkdirSync, readFileSync, readdirSync, rmSync, existsSync } from "node:fs";
import { dirname, join, resolve } from "node:path";
import { fileURLToPath } from "node:url";
import { parseArgs } from "node:util";

const here = dirname(fileURLToPath(import.meta.url));
const { values } = parseArgs({
  options: { engine: { type: "string" }, out: { type: "string", default: join(here, "dist") } },
});
if (!values.engine) {
  console.error("build.mjs: give the folder of kespEngine.js and kespEngine.wasm with --engine");
  process.exit(2);
}
const engine = resolve(values.engine);
const out = resolve(values.out);
for (const file of ["kespEngine.js", "kespEngine.wasm"]) {
  if (!existsSync(join(engine, file))) {
    console.error(`build.mjs: ${join(engine, file)} is missing (build the engine with emcmake first)`);
    process.exit(2);
  }
}

rmSync(out, { recursive: true, force: true });
mkdirSync(out, { recursive: true });
const common = { bundle: true, minify: true, target: "es2020", logLevel: "warning", legalComments: "none" };
await build({ ...common, entryPoints: { main: join(here, "src/main.ts") }, outdir: out, format: "iife" });
await build({ ...common, entryPoints: { engineWorker: join(here, "src/engineWorker.ts") }, outdir: out, format: "iife" });
copyFileSync(join(here, "index.html"), join(out, "index.html"));
for (const file of ["kespEngine.js", "kespEngine.wasm"]) {
  copyFileSync(join(engine, file), join(out, file));
}

// The service worker caches every file above; its version is their content's hash.
const pageFiles = ["./", ...readdirSync(out).sort()];
const hash = createHash("sha256");
for (const file of pageFiles.slice(1)) {
  hash.update(file).update(readFileSync(join(out, file)));
}
await build({
  ...common,
  entryPoints: { serviceWorker: join(here, "src/serviceWorker.ts") },
  outdir: out,
  format: "iife",
  define: { pageFiles: JSON.stringify(pageFiles), pageVersion: JSON.stringify(hash.digest("hex").slice(0, 16)) },
});
console.log(`build.mjs: the page is in ${out}`);
