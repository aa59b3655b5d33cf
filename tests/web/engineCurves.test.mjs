// The page's curves in the WebAssembly engine against kesp-scan: a curve
// plan with a survival block, run row by row through the engine's scan
// calls, gives kesp-scan's table of the same scan byte for byte, survival
// columns (alpha, beta, RBE and OER for cell killing) included; the block
// is checked by the library's own checks, and a plan without one answers as
// before.
//
// Environment: KESP_WEB_ENGINE (kespEngine.js), KESP_SCAN_EXECUTABLE
// (kesp-scan). Node loads the module from local files only with
// --no-experimental-fetch.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const require = createRequire(import.meta.url);
const createKespEngine = require(process.env.KESP_WEB_ENGINE);
const engine = await createKespEngine();

const scan = (request) => JSON.parse(engine.scan(JSON.stringify(request), null));

// Protons and helium ions at one energy, aerobic and hypoxic: the cell's
// parameters come from the aerobic electron run, each row's RBE from the
// electron run at its own level, and the pairs give the OER columns.
const plan = {
  name: 'kesp-curve',
  vary: [
    { item: 'PAR', values: ['p', '4He'] },
    { item: 'MEV/A', values: ['10'] },
    { item: 'PO2', values: ['21', '0.5'] },
  ],
  fixed: [{ item: 'NOCS', value: '20' }, { item: 'SEED', value: '31' }],
  reference: [{ item: 'PAR', value: 'e' }, { item: 'KE', value: '1' }],
  switches: ['/strict'],
  survival: { alpha_per_gy: 0.15, beta_per_gy2: 0.03, reference_doses_gy: [2, 6], survival_levels: [0.1, 0.01] },
};

const scanFile = [
  'cells: 20',
  'seed: 31',
  'switches: [/strict]',
  'vary:',
  '  PAR: [p, 4He]',
  '  MEV/A: [10]',
  '  PO2: [21, 0.5]',
  'reference: {PAR: e, KE: 1}',
  'survival:',
  '  alpha: 0.15',
  '  beta: 0.03',
  '  doses: [2, 6]',
  '  survival: [0.1, 0.01]',
  '',
].join('\n');

function scanTable(text) {
  const folder = mkdtempSync(join(tmpdir(), 'kesp-scan-'));
  writeFileSync(join(folder, 'curve.yaml'), text);
  execFileSync(process.env.KESP_SCAN_EXECUTABLE, ['-j', '2', '-o', 'curve.csv', 'curve.yaml'], { cwd: folder, stdio: 'pipe' });
  const table = readFileSync(join(folder, 'curve.csv'), 'utf8');
  rmSync(folder, { recursive: true, force: true });
  return table;
}

const withoutComment = (table) => table.slice(table.indexOf('\n') + 1);

// Every run of the plan as the page's workers run it, each row through JSON.
function runAll(structure) {
  const planned = scan({ call: 'plan', plan: structure });
  assert.deepEqual(planned.problems, []);
  const rows = [];
  const references = [];
  for (const run of planned.runs) {
    const response = scan({ call: 'run', plan: structure, run: { reference: run.reference, index: run.index } });
    assert.ok(response.row, JSON.stringify(response));
    (run.reference ? references : rows).push({ ...JSON.parse(JSON.stringify(response.row)), index: run.index });
  }
  return { planned, rows, references };
}

const table = (structure, rows, references) =>
  scan({ call: 'table', plan: structure, heading: 'test', rows, references });

test('a curve with a survival block gives kesp-scan\'s table, survival columns included', () => {
  const { planned, rows, references } = runAll(plan);
  assert.equal(planned.rows, 4);
  assert.equal(planned.references, 2);
  for (const column of ['alpha_per_gy', 'rbe_low_dose', 'rbe_at_reference_dose_2gy', 'rbe_at_reference_dose_6gy',
    'rbe_high_dose', 'rbe_at_survival_0.01', 'oer_low_dose_sem', 'oer_at_survival_0.1']) {
    assert.ok(planned.columns.includes(column), column);
  }
  // Each row's sources travel with it: one source of the whole dose.
  assert.equal(rows[0].dsbSources.sources.length, 1);
  assert.equal(rows[0].dsbSources.sources[0].weight, 1);
  assert.equal(rows[0].dsbSources.withSem, true);

  const whole = table(plan, rows, references);
  assert.equal(whole.error, undefined);
  assert.equal(withoutComment(whole.csv), withoutComment(scanTable(scanFile)));

  // What the numbers mean, independently of both: RBE_LD = alpha / alpha_R
  // for the aerobic rows (the reference is the measured one there), each
  // value has its SEM, and helium kills more than protons at 10 MeV/u.
  const at = (fields, name) => fields[whole.columns.indexOf(name)];
  const aerobic = whole.rows.filter(({ fields }) => at(fields, 'PO2') === '21');
  for (const { fields } of aerobic) {
    const ratio = Number(at(fields, 'alpha_per_gy')) / 0.15;
    assert.ok(Math.abs(Number(at(fields, 'rbe_low_dose')) - ratio) <= 1e-12 * ratio, fields.join(','));
    assert.ok(Number(at(fields, 'rbe_low_dose_sem')) > 0);
  }
  const [proton, helium] = aerobic.map(({ fields }) => Number(at(fields, 'rbe_low_dose')));
  assert.ok(helium > proton, `${helium} against ${proton}`);
});

test('rows without their reference runs leave the survival columns empty', () => {
  const { rows, references } = runAll(plan);
  const partial = table(plan, rows.slice(0, 2), references.filter((r) => r.index === 1));
  const survivalAt = partial.columns.indexOf('alpha_per_gy');
  assert.match(partial.csv.split('\n')[0], /partial: 2 of 4 rows done/);
  for (const { fields } of partial.rows) {
    assert.deepEqual(fields.slice(survivalAt), Array(partial.columns.length - survivalAt).fill(''));
  }
  // A row that comes without its sources has none, and no other row's.
  const bare = rows.map(({ dsbSources, ...row }) => row);
  const noSources = table(plan, bare, references);
  for (const { fields } of noSources.rows) {
    assert.equal(fields[survivalAt], '');
  }
  const damaged = table(plan, [{ ...rows[0], dsbSources: { withSem: true, sources: [{ weight: 1 }] } }], references);
  assert.equal(damaged.error.kind, 'usage');
});

test('a survival block the library does not take is refused with its message, before anything runs', () => {
  const refusals = [
    [{ alpha_per_gy: '0.2', beta_per_gy2: 0.02 }, /^survival: alpha_per_gy: "0.2" is not a number$/],
    [{ alpha_per_gy: 0.2, beta: 0.02 }, /"beta" is not a part of it/],
    [{ beta_per_gy2: 0.02 }, /give alpha_per_gy/],
    [{ alpha_per_gy: 0.2 }, /survival: give beta \(Gy\^-2\)/],
    [{ alpha_per_gy: 0.2, beta_per_gy2: -0.02 }, /survival: beta: -0.02 must be above 0/],
    [{ alpha_per_gy: -1, beta_per_gy2: 0.02 }, /survival: alpha: -1 must be 0 or more/],
    [{ alpha_per_gy: 0.2, beta_per_gy2: 0.02, survival_levels: [1.5] }, /survival: survival: /],
    [{ alpha_per_gy: 0.2, beta_per_gy2: 0.02, reference_doses_gy: [2, 2] }, /2 is given twice/],
    [{ alpha_per_gy: 0.2, beta_per_gy2: 0.02, reference_doses_gy: 2 }, /give a list of numbers/],
  ];
  for (const [survival, message] of refusals) {
    const planned = scan({ call: 'plan', plan: { ...plan, survival } });
    assert.equal(planned.problems.length, 1, JSON.stringify(planned));
    assert.match(planned.problems[0], message);
    assert.equal(planned.rows, 0);
  }
  const withoutReference = scan({ call: 'plan', plan: { ...plan, reference: [] } });
  assert.match(withoutReference.problems[0], /survival: the RBE and the cell parameters need the radiation/);
});

test('a cell the model cannot describe fails the table with the library\'s message', () => {
  const noCell = { ...plan, survival: { alpha_per_gy: 0, beta_per_gy2: 0.05 } };
  const { rows, references } = runAll(noCell);
  const failed = table(noCell, rows, references);
  assert.equal(failed.error.kind, 'input');
  assert.match(failed.error.message, /^Cell parameters: theta = .* is negative/);
});

test('a curve without a survival block has no survival columns and its rows no sources', () => {
  const { survival, ...plain } = plan;
  const planned = scan({ call: 'plan', plan: plain });
  assert.equal(planned.columns.includes('alpha_per_gy'), false);
  assert.equal(planned.columns.at(-1), 'oer_dsb_sem');
  const run = scan({ call: 'run', plan: plain, run: { reference: false, index: 0 } });
  assert.deepEqual(Object.keys(run.row), ['dsb', 'dsbSem', 'fields']);
});
