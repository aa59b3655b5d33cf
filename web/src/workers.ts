// The page's engines, each in its own Web Worker so that the page never
// waits for a run. Stopping a run terminates its worker; a fresh one takes
// its place for the next job.

import type { EngineFile, JobKind, JobRequests, JobResponses, ScanRequest, WorkerJob, WorkerReply } from "./engineTypes";

export class Cancelled extends Error {
  constructor() {
    super("cancelled");
  }
}

// A job's answer arrives as any kind's; the worker answers each job with
// its own kind's (engineWorker.ts), which is what `resolve` was given for.
type AnyResponse = JobResponses[JobKind];

interface Pending {
  resolve(response: AnyResponse): void;
  reject(error: Error): void;
  progress?: (cells: number) => void;
}

// One worker, one job at a time (later jobs wait in the worker's queue).
export class EngineWorker {
  private worker: Worker | null = null;
  private readonly pending = new Map<number, Pending>();
  private nextId = 1;

  constructor(private readonly scriptUrl: string) {}

  // Loads the engine ahead of the first job.
  warm(): void {
    this.ensure();
  }

  get busy(): boolean {
    return this.pending.size > 0;
  }

  submit<Kind extends JobKind>(
    kind: Kind,
    request: JobRequests[Kind],
    files: EngineFile[],
    progress?: (cells: number) => void,
  ): Promise<JobResponses[Kind]> {
    const worker = this.ensure();
    const id = this.nextId++;
    return new Promise<JobResponses[Kind]>((resolve, reject) => {
      this.pending.set(id, { resolve: resolve as (response: AnyResponse) => void, reject, progress });
      const job: WorkerJob = { id, kind, request, files };
      worker.postMessage(job);
    });
  }

  // A request of the engine's scans, answered with its own document.
  scan<T>(request: ScanRequest, progress?: (cells: number) => void): Promise<T> {
    return this.submit("scan", request, [], progress) as unknown as Promise<T>;
  }

  // Ends the worker at once, whatever it is doing; its jobs fail with Cancelled.
  stop(): void {
    this.worker?.terminate();
    this.worker = null;
    for (const job of this.pending.values()) {
      job.reject(new Cancelled());
    }
    this.pending.clear();
  }

  private ensure(): Worker {
    if (!this.worker) {
      this.worker = new Worker(this.scriptUrl);
      this.worker.onmessage = (event: MessageEvent<WorkerReply>) => this.receive(event.data);
      this.worker.onerror = (event) => this.fail(event.message || "the engine's worker failed");
    }
    return this.worker;
  }

  private receive(reply: WorkerReply): void {
    const job = this.pending.get(reply.id);
    if (!job) {
      return;
    }
    if (reply.kind === "progress") {
      job.progress?.(reply.cells);
      return;
    }
    this.pending.delete(reply.id);
    if (reply.kind === "done") {
      job.resolve(reply.response);
    } else {
      job.reject(new Error(reply.message));
    }
  }

  private fail(message: string): void {
    this.worker?.terminate();
    this.worker = null;
    for (const job of this.pending.values()) {
      job.reject(new Error(message));
    }
    this.pending.clear();
  }
}

interface PoolJob {
  kind: JobKind;
  request: WorkerJob["request"];
  files: EngineFile[];
  resolve(response: AnyResponse): void;
  reject(error: Error): void;
}

// As many workers as the browser reports cores, each given one run at a
// time; the next run goes to the first worker that is free.
export class WorkerPool {
  private readonly workers: EngineWorker[];
  private queue: PoolJob[] = [];

  constructor(scriptUrl: string, size: number) {
    this.workers = Array.from({ length: Math.max(1, size) }, () => new EngineWorker(scriptUrl));
  }

  get size(): number {
    return this.workers.length;
  }

  submit<Kind extends JobKind>(kind: Kind, request: JobRequests[Kind], files: EngineFile[]): Promise<JobResponses[Kind]> {
    return new Promise<JobResponses[Kind]>((resolve, reject) => {
      this.queue.push({ kind, request, files, resolve: resolve as (response: AnyResponse) => void, reject });
      this.dispatch();
    });
  }

  // A request of the engine's scans on the first free worker.
  scan<T>(request: ScanRequest): Promise<T> {
    return this.submit("scan", request, []) as unknown as Promise<T>;
  }

  // Drops the waiting runs and ends the ones under way.
  stop(): void {
    const waiting = this.queue;
    this.queue = [];
    for (const job of waiting) {
      job.reject(new Cancelled());
    }
    for (const worker of this.workers) {
      worker.stop();
    }
  }

  private dispatch(): void {
    for (const worker of this.workers) {
      const job = worker.busy ? undefined : this.queue.shift();
      if (!job) {
        continue;
      }
      worker.submit(job.kind, job.request, job.files).then(
        (response) => {
          job.resolve(response);
          this.dispatch();
        },
        (error: Error) => {
          job.reject(error);
          this.dispatch();
        },
      );
    }
  }
}
