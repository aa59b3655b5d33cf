// A Web Worker that holds one engine and runs the page's requests one at a
// time, passing on the cells done while a run goes on. The page stops a run
// by terminating the worker.

import type { EngineFile, WorkerJob, WorkerReply } from "./engineTypes";

interface KespEngine {
  check(request: string): string;
  run(request: string, progress: (cellsDone: number) => boolean): string;
  scan(request: string, progress: ((cellsDone: number) => boolean) | null): string;
  FS: { writeFile(name: string, text: string): void; unlink(name: string): void };
}

interface WorkerScope {
  importScripts(...urls: string[]): void;
  postMessage(message: WorkerReply): void;
  onmessage: ((event: MessageEvent<WorkerJob>) => void) | null;
  createKespEngine(options?: object): Promise<KespEngine>;
}

const scope = self as unknown as WorkerScope;
scope.importScripts("kespEngine.js");
const engine = scope.createKespEngine();

// Progress goes out at most this often, so that the page is not flooded.
const progressIntervalMs = 100;

let filesWritten: string[] = [];

// Leaves in the engine's folder only the files of this job, so that an
// input never finds a field file of an earlier one.
function writeFiles(kesp: KespEngine, files: EngineFile[]): void {
  for (const name of filesWritten) {
    kesp.FS.unlink(name);
  }
  filesWritten = [];
  for (const file of files) {
    kesp.FS.writeFile(file.name, file.text);
    filesWritten.push(file.name);
  }
}

function runJob(kesp: KespEngine, job: WorkerJob): string {
  writeFiles(kesp, job.files);
  const request = JSON.stringify(job.request);
  if (job.kind === "check") {
    return kesp.check(request);
  }
  let last = 0;
  const progress = (cells: number) => {
    const now = Date.now();
    if (now - last >= progressIntervalMs) {
      last = now;
      scope.postMessage({ id: job.id, kind: "progress", cells });
    }
    return false;
  };
  return job.kind === "scan" ? kesp.scan(request, progress) : kesp.run(request, progress);
}

scope.onmessage = (event) => {
  const job = event.data;
  engine.then(
    (kesp) => {
      try {
        scope.postMessage({ id: job.id, kind: "done", response: JSON.parse(runJob(kesp, job)) });
      } catch (error) {
        scope.postMessage({ id: job.id, kind: "failed", message: String(error) });
      }
    },
    (error) => scope.postMessage({ id: job.id, kind: "failed", message: `The engine did not load: ${error}` }),
  );
};
