// The engine's requests and responses (JSON texts in and out of the
// WebAssembly module), and the messages between the page and its workers.

export interface EngineRequest {
  input: string;
  inputName: string;
  switches: string[];
  inputSha256: string;
  survival?: SurvivalRequest;
}

// The reference radiation's alpha and beta measured for the cell line.
export interface MeasuredReference {
  alpha_per_gy: number;
  beta_per_gy2: number;
}

// The cell survival a run asks for (web/engine/webSurvival.h): the
// reference radiation's measured alpha and beta and its input line's items.
export interface SurvivalRequest extends MeasuredReference {
  reference: { item: string; value: string }[];
}

export interface ValueWithSem {
  mean: number;
  sem: number;
}

export interface Coefficients {
  alpha_per_gy: ValueWithSem;
  beta_per_gy2: ValueWithSem;
}

// The results document's survival section, with the reference run and the
// survival curves of both radiations (kesp::survivalFraction).
export interface SurvivalResponse extends Coefficients {
  theta_per_dsb: number;
  kappa_per_dsb2: number;
  reference: Coefficients | null;
  rbe_low_dose?: ValueWithSem;
  rbe_high_dose?: ValueWithSem;
  rbe_at_reference_dose?: { reference_dose_gy: number; rbe: ValueWithSem }[];
  rbe_at_survival?: { survival: number; dose_gy: number; reference_dose_gy: number; rbe: ValueWithSem }[];
  reference_run: { cells_simulated: number; dsb_per_cell_per_gy: ValueWithSem; zf_gy: number };
  curve: { dose_gy: number[]; survival_fraction: number[]; reference_survival_fraction: number[] };
}

export interface Diagnostic {
  file: string;
  line: number;
  severity: "warning" | "result_warning" | "note";
  block: string;
  message: string;
  text: string;
}

export interface CheckResponse {
  diagnostics: Diagnostic[];
  refusal: string | null;
  error: { kind: string; message: string; detail: string } | null;
  cells: number;
  singleParticle: boolean;
}

export interface RunResponse extends CheckResponse {
  report: string | null;
  json: string | null;
  message: string | null;
  interrupted: boolean;
  cellsSimulated: number;
  // Only when the request asked for the cell survival.
  survival?: SurvivalResponse | null;
  survivalError?: { kind: string; message: string; detail: string } | null;
}

// A file the input names, written into the engine's folder before the run.
export interface EngineFile {
  name: string;
  text: string;
}

// What the engine answers to each kind of job: a check only checks, and
// sends no report, document or cells simulated.
export interface JobResponses {
  check: CheckResponse;
  run: RunResponse;
  scan: unknown;  // a document of the scan call's own, typed where it is asked for
}

// What each kind of job takes.
export interface JobRequests {
  check: EngineRequest;
  run: EngineRequest;
  scan: ScanRequest;
}

export type JobKind = keyof JobResponses;

export interface WorkerJob {
  id: number;
  kind: JobKind;
  request: EngineRequest | ScanRequest;
  files: EngineFile[];
}

// A request of the engine's scans (web/engine/webScans.h), answered with a
// JSON document of its own.
export type ScanRequest = { call: "plan" | "run" | "table" } & Record<string, unknown>;

export type WorkerReply =
  | { id: number; kind: "progress"; cells: number }
  | { id: number; kind: "done"; response: JobResponses[JobKind] }
  | { id: number; kind: "failed"; message: string };

// Why the engine will not run a request, or null when it will.
export function stopReason(response: CheckResponse): string | null {
  if (response.error) {
    return response.error.detail ? `${response.error.message}: ${response.error.detail}` : response.error.message;
  }
  return response.refusal;
}
