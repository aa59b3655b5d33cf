// The cell time of the WebAssembly engine (in Node, one thread) and of the
// native `kesp` (kept to one CPU with taskset), for 1 MeV electrons. The
// cell time is the slope between a run of 1000 and one of 9000 cells, so
// that what a run does once (physics, the segment) drops out; each run is
// the fastest of five. Prints the two, in seconds, as JSON:
//
//     node bench/wasmCellTime.mjs <kesp> <kespEngine.js>    {"native": ..., "wasm": ...}
//
// A process of its own: the engine's loader takes over Node's handlers of
// uncaught errors, which a browser driver in the same process relies on.

import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import { dirname, join, resolve } from "node:path";

const small = 1000;
const large = 9000;
const tries = 5;

const inputFor = (cells) => `Electron cell time\nSIMCON: NOCS=${cells} SEED=2011\nRADX: PAR=e KE=1\n`;

function fastest(run) {
  let best = Infinity;
  for (let k = 0; k < tries; k += 1) {
    const start = process.hrtime.bigint();
    run();
    best = Math.min(best, Number(process.hrtime.bigint() - start) / 1e9);
  }
  return best;
}

const cellTime = (seconds) => (seconds(large) - seconds(small)) / (large - small);

function nativeCellTime(kesp) {
  const folder = mkdtempSync(join(tmpdir(), "kesp-bench-"));
  try {
    return cellTime((cells) => {
      writeFileSync(join(folder, "cells.inp"), inputFor(cells));
      return fastest(() => execFileSync("taskset", ["-c", "0", kesp, "cells.inp"], { cwd: folder, stdio: "ignore" }));
    });
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
}

// The engine is given its WebAssembly file's bytes, so that Node loads it
// without fetching it.
async function wasmCellTime(enginePath) {
  const require = createRequire(import.meta.url);
  const wasmBinary = readFileSync(join(dirname(enginePath), "kespEngine.wasm"));
  const engine = await require(enginePath)({ wasmBinary });
  return cellTime((cells) => {
    const request = JSON.stringify({ input: inputFor(cells), inputName: "cells.inp" });
    return fastest(() => {
      const response = JSON.parse(engine.run(request, () => false));
      if (response.cellsSimulated !== cells) {
        throw new Error(`the run gave ${response.cellsSimulated} cells: ${JSON.stringify(response.error)}`);
      }
    });
  });
}

const [kesp, enginePath] = process.argv.slice(2).map((path) => resolve(path));
if (process.argv.length !== 4) {
  console.error("usage: node bench/wasmCellTime.mjs <kesp> <kespEngine.js>");
  process.exit(2);
}
console.log(JSON.stringify({ native: nativeCellTime(kesp), wasm: await wasmCellTime(enginePath) }));
