#!/usr/bin/env node
// The cell time of the WebAssembly engine (Node, one thread) over the native
// one-thread cell time, for 1 MeV electrons. The cell time is the slope
// between a run of 1000 and one of 9000 cells, so that what a run does once
// (physics, the segment) drops out; each run is the fastest of five. The
// native runs are `kesp` kept to one CPU with taskset.
//
// Usage (a native build and the web engine built beside it):
//   node --no-experimental-fetch bench/wasmCellBench.mjs build/kesp build/web-engine/web/kespEngine.js

import { execFileSync } from 'node:child_process';
import { mkdtempSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';

const [kesp, enginePath] = process.argv.slice(2).map((path) => resolve(path));
if (!kesp || !enginePath) {
  console.error('usage: node --no-experimental-fetch bench/wasmCellBench.mjs <kesp> <kespEngine.js>');
  process.exit(2);
}
const SMALL = 1000;
const LARGE = 9000;
const TRIES = 5;

const inputFor = (cells) => `Electron cell time\nSIMCON: NOCS=${cells} SEED=2011\nRADX: PAR=e KE=1\n`;

function fastest(run) {
  let best = Infinity;
  for (let k = 0; k < TRIES; k += 1) {
    const start = process.hrtime.bigint();
    run();
    best = Math.min(best, Number(process.hrtime.bigint() - start) / 1e9);
  }
  return best;
}

function nativeSeconds(cells) {
  const folder = mkdtempSync(join(tmpdir(), 'kesp-bench-'));
  writeFileSync(join(folder, 'cells.inp'), inputFor(cells));
  return fastest(() => execFileSync('taskset', ['-c', '0', kesp, 'cells.inp'], { cwd: folder, stdio: 'ignore' }));
}

const require = createRequire(import.meta.url);
const engine = await require(enginePath)();
function wasmSeconds(cells) {
  const request = JSON.stringify({ input: inputFor(cells), inputName: 'cells.inp' });
  return fastest(() => {
    const response = JSON.parse(engine.run(request, () => false));
    if (response.cellsSimulated !== cells) {
      throw new Error(`the run gave ${response.cellsSimulated} cells: ${JSON.stringify(response.error)}`);
    }
  });
}

const cellTime = (seconds) => (seconds(LARGE) - seconds(SMALL)) / (LARGE - SMALL);
const native = cellTime(nativeSeconds);
const wasm = cellTime(wasmSeconds);
console.log(`1 MeV electron cell, one thread: native ${(native * 1e6).toFixed(1)} us, WebAssembly ${(wasm * 1e6).toFixed(1)} us`);
console.log(`WebAssembly over native (target at most 2): ${(wasm / native).toFixed(2)}`);
