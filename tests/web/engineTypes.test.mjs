// The page's types of the engine's answers against what the engine sends:
// a check's and a run's responses have exactly the keys of CheckResponse and
// RunResponse, and the workers type each job by its kind's answer, so that
// reading a run's report from a check does not compile.
//
// Environment: KESP_WEB_ENGINE (kespEngine.js), KESP_SOURCE_DIR. Node loads
// the module from local files only with --no-experimental-fetch.

import { test } from "node:test";
import assert from "node:assert/strict";
import { createHash } from "node:crypto";
import { readFileSync } from "node:fs";
import { createRequire } from "node:module";
import { join } from "node:path";

const require = createRequire(import.meta.url);
const source = process.env.KESP_SOURCE_DIR;
const web = join(source, "web");
const ts = createRequire(join(web, "package.json"))("typescript");

// The property names of each interface of a source, with those it extends.
function interfaceKeys(file) {
  const sourceFile = ts.createSourceFile(file, readFileSync(file, "utf8"), ts.ScriptTarget.ES2020, true);
  const declared = new Map();
  for (const statement of sourceFile.statements) {
    if (ts.isInterfaceDeclaration(statement)) {
      const bases = (statement.heritageClauses ?? []).flatMap((clause) => clause.types.map((t) => t.expression.getText()));
      const own = statement.members.map((m) => ({ name: m.name.getText(), optional: Boolean(m.questionToken) }));
      declared.set(statement.name.text, { own, bases });
    }
  }
  // With `optional`, also the members a response holds only when asked for.
  const keysOf = (name, optional = false) => {
    const found = declared.get(name);
    assert.ok(found, `${file} declares no interface ${name}`);
    const own = found.own.filter((member) => optional || !member.optional).map((member) => member.name);
    return [...own, ...found.bases.flatMap((base) => keysOf(base, optional))];
  };
  return keysOf;
}

test("a check's and a run's responses have the keys the page's types give them", async () => {
  const engine = await require(process.env.KESP_WEB_ENGINE)();
  const input = "Two cells\nSIMCON: NOCS=2 SEED=1\nRADX: PAR=p KE=10\n";
  const request = JSON.stringify({
    input, inputName: "kesp.inp", switches: ["/json"], inputSha256: createHash("sha256").update(input).digest("hex"),
  });
  const keysOf = interfaceKeys(join(web, "src", "engineTypes.ts"));
  const checked = JSON.parse(engine.check(request));
  const ran = JSON.parse(engine.run(request, () => false));
  assert.equal(checked.error, null);
  assert.equal(ran.cellsSimulated, 2);
  assert.deepEqual(Object.keys(checked).sort(), keysOf("CheckResponse").sort());
  assert.deepEqual(Object.keys(ran).sort(), keysOf("RunResponse").sort());

  // A run that asks for the cell survival answers with all of them.
  const withSurvival = JSON.stringify({ ...JSON.parse(request), survival: { alpha_per_gy: 0.2, beta_per_gy2: 0.02 } });
  const survived = JSON.parse(engine.run(withSurvival, () => false));
  assert.equal(survived.survivalError, null);
  assert.deepEqual(Object.keys(survived).sort(), keysOf("RunResponse", true).sort());
  assert.deepEqual(Object.keys(JSON.parse(engine.check(withSurvival))).sort(), keysOf("CheckResponse", true).sort());
  const survivalKeys = interfaceKeys(join(web, "src", "engineTypes.ts"))("SurvivalResponse", true);
  assert.deepEqual(Object.keys(survived.survival).sort(), survivalKeys.sort());
});

// Uses the workers as the page does; each @ts-expect-error line must be an error.
const usage = `
import type { EngineWorker, WorkerPool } from "${join(web, "src", "workers")}";
import type { EngineRequest } from "${join(web, "src", "engineTypes")}";
declare const worker: EngineWorker;
declare const pool: WorkerPool;
declare const request: EngineRequest;
export async function jobs(): Promise<string> {
  const checked = await worker.submit("check", request, []);
  // @ts-expect-error a check sends no report
  checked.report;
  const pooled = await pool.submit("check", request, []);
  // @ts-expect-error a check sends no count of cells simulated
  pooled.cellsSimulated;
  const ran = await worker.submit("run", request, [], (cells: number) => cells);
  const cells: number = (await pool.submit("run", request, [])).cellsSimulated;
  return \`\${checked.cells} \${pooled.diagnostics.length} \${ran.report ?? ""} \${cells}\`;
}
`;

test("the workers type a check's answer as a check's and a run's as a run's", () => {
  const config = ts.readConfigFile(join(web, "tsconfig.json"), ts.sys.readFile).config;
  const { options } = ts.parseJsonConfigFileContent(config, ts.sys, web);
  const usageFile = join(web, "src", "workerUsage.check.ts");
  const host = ts.createCompilerHost(options);
  const getSourceFile = host.getSourceFile.bind(host);
  host.getSourceFile = (name, language, ...rest) =>
    name === usageFile ? ts.createSourceFile(name, usage, language) : getSourceFile(name, language, ...rest);
  const fileExists = host.fileExists.bind(host);
  host.fileExists = (name) => name === usageFile || fileExists(name);
  const program = ts.createProgram([usageFile], { ...options, noEmit: true }, host);
  const problems = ts.getPreEmitDiagnostics(program).map((d) => ts.flattenDiagnosticMessageText(d.messageText, "\n"));
  assert.deepEqual(problems, []);
});
