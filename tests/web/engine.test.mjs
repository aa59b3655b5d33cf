// The WebAssembly engine against the native kesp: the same input gives the
// same report (running times masked) and the same JSON document, and the
// page's checks, refusals and stops arrive as the responses describe them.
//
// Environment: KESP_WEB_ENGINE (kespEngine.js), KESP_EXECUTABLE (kesp),
// KESP_SOURCE_DIR. Node loads the module from local files only with
// --no-experimental-fetch.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { createHash } from 'node:crypto';
import { execFileSync } from 'node:child_process';
import { copyFileSync, existsSync, mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const require = createRequire(import.meta.url);
const createKespEngine = require(process.env.KESP_WEB_ENGINE);
const kesp = process.env.KESP_EXECUTABLE;
const examples = join(process.env.KESP_SOURCE_DIR, 'examples');
const engine = await createKespEngine();

const sha256 = (text) => createHash('sha256').update(text, 'utf8').digest('hex');
const maskTimes = (report) => report.replace(/^.*running time.*$/gim, '<running time>');

// The field files an input names (FN=), written where the engine reads them.
function fieldFilesOf(input) {
  return [...input.matchAll(/FN=(\S+)/gi)].map((match) => match[1]);
}

function request(input, inputName, switches = ['/json']) {
  return JSON.stringify({ input, inputName, switches, inputSha256: sha256(input) });
}

function runInEngine(name, switches) {
  const input = readFileSync(join(examples, name), 'utf8');
  for (const field of fieldFilesOf(input)) {
    engine.FS.writeFile(field, readFileSync(join(examples, field), 'utf8'));
  }
  return JSON.parse(engine.run(request(input, name, switches), () => false));
}

// kesp on a copy of the example and its field files, in a folder of its own.
function runNatively(name, switches) {
  const folder = mkdtempSync(join(tmpdir(), 'kesp-web-'));
  const input = readFileSync(join(examples, name), 'utf8');
  for (const file of [name, ...fieldFilesOf(input)]) {
    copyFileSync(join(examples, file), join(folder, file));
  }
  execFileSync(kesp, [name, ...switches], { cwd: folder, stdio: 'pipe' });
  const stem = name.replace(/\.inp$/, '');
  return {
    report: readFileSync(join(folder, `${stem}.out`), 'utf8'),
    json: existsSync(join(folder, `${stem}.json`)) ? readFileSync(join(folder, `${stem}.json`), 'utf8') : null,
  };
}

// Switches an example needs, as its first lines say (kesp slowIonField.inp /no2).
function switchesOf(name) {
  const input = readFileSync(join(examples, name), 'utf8');
  const match = input.match(new RegExp(`kesp ${name.replace('.', '\\.')}((?: /\\w+)*)`));
  return match ? match[1].trim().split(/\s+/).filter(Boolean) : [];
}

test('every example gives the native report and JSON document', async (t) => {
  const names = readdirSync(examples).filter((name) => name.endsWith('.inp')).sort();
  assert.ok(names.length >= 8);
  for (const name of names) {
    await t.test(name, () => {
      const switches = [...switchesOf(name), '/json'];
      const web = runInEngine(name, switches);
      assert.equal(web.error, null);
      const native = runNatively(name, switches);
      assert.equal(maskTimes(web.report), maskTimes(native.report));
      assert.equal(web.json, native.json);
    });
  }
});

test('the check says what kesp says of an input, before any simulation', () => {
  const input = 'Misspelt particle\nSIMCON: NOCS=20 SEED=1\nRADX: PAR=protn KE=10\n';
  const checked = JSON.parse(engine.check(request(input, 'run.inp', ['/strict'])));
  assert.equal(checked.diagnostics.length, 1);
  assert.match(checked.diagnostics[0].text,
    /^run\.inp:3: warning: RADX: particle "protn" has no mass number and is read by its first letter as the proton/);
  assert.equal(checked.diagnostics[0].severity, 'warning');
  assert.equal(checked.refusal, 'Run refused: /strict is given and the input holds warnings');
  const refused = JSON.parse(engine.run(request(input, 'run.inp', ['/strict']), () => false));
  assert.equal(refused.report, null);
  assert.equal(refused.cellsSimulated, 0);
  const lenient = JSON.parse(engine.check(request(input, 'run.inp', [])));
  assert.equal(lenient.refusal, null);
  assert.equal(lenient.cells, 20);
  // One cell gives SEMs of 0 that look exact: a warning of the results.
  const oneCell = JSON.parse(engine.check(request('One cell\nSIMCON: NOCS=1 SEED=1\nRADX: PAR=p KE=10\n', 'one.inp')));
  assert.deepEqual(oneCell.diagnostics.map((d) => d.severity), ['result_warning']);
});

test('errors arrive with their kind, never as a report', () => {
  engine.FS.writeFile('broken.txt', 'nonsense here\n');
  const brokenField = 'Broken field file\nSIMCON: NOCS=5 SEED=1\nRADX: FN=broken.txt\n';
  const checked = JSON.parse(engine.check(request(brokenField, 'run.inp')));
  assert.equal(checked.error.kind, 'input');
  assert.equal(checked.error.message,
    'Field file broken.txt ends before the number of components; it must follow the title line.');
  const run = JSON.parse(engine.run(request(brokenField, 'run.inp'), () => false));
  assert.equal(run.error.kind, 'input');
  assert.equal(run.report, null);
  const notJson = JSON.parse(engine.run('{"input": 5}', () => false));
  assert.equal(notJson.error.kind, 'usage');
  const wrongTypes = JSON.parse(engine.check(JSON.stringify({ input: 'x\n', switches: '/no2' })));
  assert.equal(wrongTypes.error.kind, 'usage');
  const badSwitch = JSON.parse(engine.check(JSON.stringify({ input: 'x\n', switches: ['/fast'] })));
  assert.match(badSwitch.error.message, /\/fast is not a switch/);
});

test('a digest the document would not take, and an input past the size of one, are refused', () => {
  const input = 'Digest\nSIMCON: NOCS=2 SEED=1\nRADX: PAR=56Fe KE=5600\n';
  for (const inputSha256 of ['not a digest', 'A'.repeat(64), 'a'.repeat(63), '"},{"x":1']) {
    const response = JSON.parse(engine.run(JSON.stringify({ input, switches: ['/json'], inputSha256 }), () => false));
    assert.equal(response.error?.kind, 'usage', inputSha256);
    assert.equal(response.json, null);
  }
  const unsigned = JSON.parse(engine.run(JSON.stringify({ input, switches: ['/json'] }), () => false));
  assert.equal(unsigned.error, null);
  const blankLines = JSON.parse(engine.check(request('\n'.repeat(2 << 20), 'big.inp')));
  assert.equal(blankLines.error.kind, 'input');
  assert.match(blankLines.error.message, /^Input file big\.inp holds more than 10000 lines/);
  const fiftyMegabytes = JSON.parse(engine.check(request('\n'.repeat(50 << 20), 'big.inp')));
  assert.match(fiftyMegabytes.error.message, /^Input file big\.inp is larger than 4194304 bytes/);
});

test('a stop asked for by the progress callback ends the run after its current cell', () => {
  const stopAtFirstLook = () => true;
  const long = 'Long run\nSIMCON: NOCS=1000 SEED=7\nRADX: PAR=e KE=1\n';
  const single = JSON.parse(engine.run(request(long, 'long.inp'), stopAtFirstLook));
  assert.equal(single.interrupted, true);
  assert.ok(single.cellsSimulated >= 100 && single.cellsSimulated < 1000, `${single.cellsSimulated} cells`);
  assert.match(single.report, /\S/);
  assert.match(single.message, /interrupted/i);
  // A mixed field stopped early is not a sample of the field: no report.
  engine.FS.writeFile('mixedField.txt', readFileSync(join(examples, 'mixedField.txt'), 'utf8'));
  const field = 'Long mixed field\nSIMCON: NOCS=3000 SEED=7\nRADX: FN=mixedField.txt\n';
  const mixed = JSON.parse(engine.run(request(field, 'field.inp'), stopAtFirstLook));
  assert.equal(mixed.interrupted, true);
  assert.equal(mixed.report, null);
  assert.match(mixed.message, /not a sample of the field/);
});

test('the version names the program, its release and the revision it was built from, as the program does', () => {
  const version = JSON.parse(engine.version());
  assert.equal(version.title, 'KESP Version 3.00B  15-JUL-2011');
  assert.match(version.revision, /^([0-9a-f]{7,}|unknown)$/);
  const release = readFileSync(join(process.env.KESP_SOURCE_DIR, 'VERSION'), 'utf8').trim();
  assert.equal(version.release, release);
  const native = execFileSync(kesp, ['--version'], { encoding: 'utf8' });
  assert.ok(native.split('\n').includes(`release: ${release}`), native);
});

// ----- the cell survival of a run -----

const electronReference = [{ item: 'PAR', value: 'e' }, { item: 'KE', value: '1' }];

function survivalRequest(input, survival, switches = ['/json']) {
  return JSON.stringify({ input, inputName: 'run.inp', switches, inputSha256: sha256(input), survival });
}

// The native library's survival of the input (tests/web/survivalReference.cpp).
function nativeSurvival(input, alpha, beta, particle, energyMeV) {
  const folder = mkdtempSync(join(tmpdir(), 'kesp-survival-'));
  writeFileSync(join(folder, 'run.inp'), input);
  const output = execFileSync(process.env.KESP_SURVIVAL_REFERENCE,
    ['run.inp', String(alpha), String(beta), particle, String(energyMeV)], { cwd: folder, stdio: 'pipe' });
  rmSync(folder, { recursive: true, force: true });
  return JSON.parse(String(output));
}

test('a run with the cell survival gives the native library\'s alpha, beta, RBEs and survival curves', () => {
  const input = 'Helium ions\nSIMCON: NOCS=40 SEED=2024\nEVO2: PO2=21\nRADX: PAR=4He KE=20\n';
  const web = JSON.parse(engine.run(
    survivalRequest(input, { alpha_per_gy: 0.2, beta_per_gy2: 0.02, reference: electronReference }), () => false));
  assert.equal(web.error, null);
  assert.equal(web.survivalError, null);
  assert.equal(web.cellsSimulated, 40);
  const native = nativeSurvival(input, 0.2, 0.02, 'e', 1);
  const { reference_run: referenceRun, curve, ...section } = web.survival;
  assert.deepEqual(section, native.survival);
  // The page shows what its JSON document holds.
  assert.deepEqual(JSON.parse(web.json).survival, native.survival);
  assert.deepEqual(curve, {
    dose_gy: native.dose_gy,
    survival_fraction: native.survival_fraction,
    reference_survival_fraction: native.reference_survival_fraction,
  });
  assert.equal(referenceRun.cells_simulated, 40);

  // Independent checks of what the numbers mean: the reference's curve is
  // the measured one, every curve starts at 1, RBE_LD = alpha / alpha_R, and
  // a 20 MeV helium ion (LET near 30 keV/um) kills more than the electron.
  assert.deepEqual(section.reference.alpha_per_gy, { mean: 0.2, sem: 0 });
  curve.dose_gy.forEach((dose, i) =>
    assert.ok(Math.abs(curve.reference_survival_fraction[i] - Math.exp(-0.2 * dose - 0.02 * dose * dose)) < 1e-15));
  assert.equal(curve.survival_fraction[0], 1);
  assert.equal(curve.dose_gy.at(-1), 10);
  assert.ok(Math.abs(section.rbe_low_dose.mean - section.alpha_per_gy.mean / 0.2) < 1e-12);
  assert.ok(section.rbe_low_dose.mean > 1 && section.rbe_high_dose.mean > 1, JSON.stringify(section));
  assert.equal(section.rbe_at_reference_dose[0].reference_dose_gy, 2);
  // The RBE at a dose lies between its high- and low-dose limits.
  const limits = [section.rbe_high_dose.mean, section.rbe_low_dose.mean].sort((a, b) => a - b);
  const atTwoGy = section.rbe_at_reference_dose[0].rbe.mean;
  assert.ok(atTwoGy >= limits[0] && atTwoGy <= limits[1], `${atTwoGy} outside ${limits}`);

  // The 1 MeV electron is the reference when none is named.
  const byDefault = JSON.parse(engine.run(survivalRequest(input, { alpha_per_gy: 0.2, beta_per_gy2: 0.02 }), () => false));
  assert.deepEqual(byDefault.survival, web.survival);
  // Without survival asked for, the response and the document are as before.
  const plain = JSON.parse(engine.run(request(input, 'run.inp'), () => false));
  assert.equal('survival' in plain, false);
  assert.equal(JSON.parse(plain.json).survival, undefined);
});

test('the progress of a run with the cell survival counts on from the reference run\'s cells to the radiation\'s', () => {
  const counts = [];
  const input = 'Progress\nSIMCON: NOCS=400 SEED=5\nRADX: PAR=p KE=20\n';
  const response = JSON.parse(engine.run(survivalRequest(input, { alpha_per_gy: 0.2, beta_per_gy2: 0.02 }), (cells) => {
    counts.push(cells);
    return false;
  }));
  assert.equal(response.survival.reference_run.cells_simulated, 400);
  assert.ok(counts.some((cells) => cells < 400) && counts.some((cells) => cells > 400), counts.join(' '));
  assert.ok(counts.every((cells, i) => i === 0 || cells >= counts[i - 1]), counts.join(' '));
  assert.ok(Math.max(...counts) <= 800);
});

test('survival requests the engine cannot take are refused, and a cell the model cannot describe is said', () => {
  const input = 'Protons\nSIMCON: NOCS=10 SEED=3\nRADX: PAR=p KE=20\n';
  const usage = [
    { alpha_per_gy: '0.2', beta_per_gy2: 0.02 },
    { alpha_per_gy: 0.2, beta_per_gy2: 0.02, reference: [{ item: 'FN', value: 'field.txt' }] },
    { alpha_per_gy: 0.2, beta_per_gy2: 0.02, reference: [{ item: 'PAR', value: 'e KE=5' }] },
    { alpha_per_gy: 0.2, beta_per_gy2: 0.02, reference: [{ item: 'PAR', value: 'e' }, { item: 'PAR', value: 'p' }] },
    [0.2, 0.02],
  ];
  for (const survival of usage) {
    const response = JSON.parse(engine.run(survivalRequest(input, survival), () => false));
    assert.equal(response.error?.kind, 'usage', JSON.stringify(survival));
    assert.equal(response.report, null);
  }
  const badDose = JSON.parse(engine.check(survivalRequest(input, { alpha_per_gy: 0.2, beta_per_gy2: 0.02, reference_doses_gy: [0] })));
  assert.equal(badDose.error.kind, 'input');
  assert.match(badDose.error.message, /reference dose of 0 Gy/);

  // The reference radiation's line draws the input reader's warnings; /strict refuses on them.
  const misspelt = { alpha_per_gy: 0.2, beta_per_gy2: 0.02, reference: [{ item: 'PAR', value: 'protn' }, { item: 'KE', value: '10' }] };
  const checked = JSON.parse(engine.check(survivalRequest(input, misspelt, ['/strict', '/json'])));
  assert.match(checked.diagnostics.at(-1).text, /^reference radiation:1: warning: RADX: particle "protn"/);
  assert.equal(checked.refusal, 'Reference radiation: Run refused: /strict is given and the input holds warnings');
  const refused = JSON.parse(engine.run(survivalRequest(input, misspelt, ['/strict', '/json']), () => false));
  assert.equal(refused.report, null);
  assert.equal(refused.survival, null);

  // alpha_R below 2 beta_R zF_R: no theta >= 0 fits, the run's report stands.
  const noCell = JSON.parse(engine.run(survivalRequest(input, { alpha_per_gy: 0, beta_per_gy2: 0.05 }), () => false));
  assert.equal(noCell.error, null);
  assert.match(noCell.report, /\S/);
  assert.equal(noCell.survival, null);
  assert.equal(noCell.survivalError.kind, 'input');
  assert.match(noCell.survivalError.message, /theta .* is negative/);
  assert.equal(JSON.parse(noCell.json).survival, undefined);

  // A stop in the reference radiation's run runs nothing more.
  const stopped = JSON.parse(engine.run(
    survivalRequest('Long\nSIMCON: NOCS=1000 SEED=7\nRADX: PAR=p KE=10\n', { alpha_per_gy: 0.2, beta_per_gy2: 0.02 }),
    () => true));
  assert.equal(stopped.interrupted, true);
  assert.equal(stopped.report, null);
  assert.equal(stopped.survival, null);
  assert.match(stopped.message, /^Stopped in the reference radiation's run, after \d+ cells/);
});
