// The page's settings: what the form holds, how they travel in the page
// address, and the input file they make.

export const switchNames = ["no2", "nq", "2006", "strict"] as const;
export type SwitchName = (typeof switchNames)[number];

export interface Settings {
  mode: "single" | "curve";
  radiation: "particle" | "field";
  particle: string;
  energy: string;
  energyUnit: "MeV" | "MeV/u";
  oxygen: string;
  oxygenUnit: "%" | "mmHg";
  dmso: string;
  dna: string;
  nucleus: string;
  cells: string;
  seed: string;
  switches: SwitchName[];
  fieldName: string;
  fieldText: string;
  curveIons: string;
  curveFrom: string;
  curveTo: string;
  curvePoints: string;
  curveLevels: string;
  referenceParticle: string;
  referenceEnergy: string;
  referenceUnit: "MeV" | "MeV/u";
  survival: "off" | "on";
  referenceAlphaPerGy: string;
  referenceBetaPerGy2: string;
}

export const defaults: Settings = {
  mode: "single",
  radiation: "particle",
  particle: "p",
  energy: "10",
  energyUnit: "MeV",
  oxygen: "100",
  oxygenUnit: "%",
  dmso: "0",
  dna: "6",
  nucleus: "5",
  cells: "200",
  seed: "12345",
  switches: ["strict"],
  fieldName: "",
  fieldText: "",
  curveIons: "p, 4He, 12C",
  curveFrom: "2",
  curveTo: "100",
  curvePoints: "6",
  curveLevels: "21, 0",
  referenceParticle: "e",
  referenceEnergy: "1",
  referenceUnit: "MeV",
  survival: "off",
  // Illustrative values, (alpha/beta)_R = 10 Gy, for a cell line's own.
  referenceAlphaPerGy: "0.2",
  referenceBetaPerGy2: "0.02",
};

// The short names of the settings in the page address.
const addressKeys: Record<keyof Settings, string> = {
  mode: "mode",
  radiation: "rad",
  particle: "par",
  energy: "e",
  energyUnit: "eu",
  oxygen: "o2",
  oxygenUnit: "o2u",
  dmso: "dmso",
  dna: "dna",
  nucleus: "ndia",
  cells: "cells",
  seed: "seed",
  switches: "sw",
  fieldName: "fn",
  fieldText: "ft",
  curveIons: "ions",
  curveFrom: "from",
  curveTo: "to",
  curvePoints: "n",
  curveLevels: "levels",
  referenceParticle: "ref",
  referenceEnergy: "refe",
  referenceUnit: "refu",
  survival: "surv",
  referenceAlphaPerGy: "ar",
  referenceBetaPerGy2: "br",
};

// A field file longer than this is left out of the page address (it must
// be uploaded again); shorter ones travel with the link.
export const longestFieldInAddress = 4000;

const choices: Partial<Record<keyof Settings, readonly string[]>> = {
  mode: ["single", "curve"],
  radiation: ["particle", "field"],
  energyUnit: ["MeV", "MeV/u"],
  oxygenUnit: ["%", "mmHg"],
  referenceUnit: ["MeV", "MeV/u"],
  survival: ["off", "on"],
};

export function settingsFromAddress(query: string): Settings {
  const params = new URLSearchParams(query);
  const settings: Settings = { ...defaults, switches: [...defaults.switches] };
  const record = settings as unknown as Record<string, unknown>;
  for (const key of Object.keys(addressKeys) as (keyof Settings)[]) {
    const value = params.get(addressKeys[key]);
    if (value === null) {
      continue;
    }
    if (key === "switches") {
      settings.switches = switchNames.filter((name) => value.split(",").includes(name));
    } else if (!choices[key] || choices[key].includes(value)) {
      record[key] = value;
    }
  }
  return settings;
}

// Only what differs from the defaults, so that links stay short.
export function addressOf(settings: Settings): string {
  const params = new URLSearchParams();
  for (const key of Object.keys(addressKeys) as (keyof Settings)[]) {
    let value = key === "switches" ? settings.switches.join(",") : String(settings[key]);
    const fallback = key === "switches" ? defaults.switches.join(",") : String(defaults[key]);
    if (key === "fieldText" && value.length > longestFieldInAddress) {
      value = "";
    }
    if (value !== fallback) {
      params.set(addressKeys[key], value);
    }
  }
  const text = params.toString();
  return text ? `?${text}` : "";
}

// What the form cannot hand to the engine: an empty item, or one whose
// text would split into several items of the input line.
export function itemProblem(label: string, value: string): string | null {
  if (value.trim() === "") {
    return `${label}: empty; write a value`;
  }
  if (/[\s,;=!:]|[^\x21-\x7e]/.test(value.trim())) {
    return `${label}: "${value.trim()}" holds a blank, a comma, a semicolon, "=", "!", ":" or a character that is not plain ASCII; write one value`;
  }
  return null;
}

export const inputName = "kesp.inp";

// The command line of the run: `kesp kesp.inp` and the switches, with /json.
export function switchWords(settings: Settings): string[] {
  return [...settings.switches.map((name) => `/${name}`), "/json"];
}

export interface RadiationItems {
  particle: string;
  energy: string;
  energyUnit: "MeV" | "MeV/u";
}

// The reference radiation of the form (for the RBE of curves and of cell
// survival).
export function referenceRadiation(settings: Settings): RadiationItems {
  return {
    particle: settings.referenceParticle.trim(),
    energy: settings.referenceEnergy.trim(),
    energyUnit: settings.referenceUnit,
  };
}

// A radiation as the engine takes it: the items of its input line.
export function radiationItems(radiation: RadiationItems): { item: string; value: string }[] {
  return [
    { item: "PAR", value: radiation.particle },
    { item: radiation.energyUnit === "MeV" ? "KE" : "MEV/A", value: radiation.energy },
  ];
}

export interface InputFile {
  text: string;
  problems: string[];
}

// The input file of one run: the form's chemistry, cell and simulation
// items with the given radiation and oxygen level (a field file when
// `radiation` is null). The first line, free text, says how to run it.
export function inputFile(settings: Settings, radiation: RadiationItems | null, oxygen: string): InputFile {
  const items: [string, string][] = [
    ["Cells", settings.cells],
    ["Seed", settings.seed],
    ["Oxygen", oxygen],
    ["DMSO", settings.dmso],
    ["DNA content", settings.dna],
    ["Nucleus diameter", settings.nucleus],
  ];
  if (radiation) {
    items.push(["Particle", radiation.particle], ["Energy", radiation.energy]);
  } else {
    items.push(["Field file", settings.fieldName]);
  }
  const problems = items.map(([label, value]) => itemProblem(label, value)).filter((p): p is string => p !== null);
  const v = (value: string) => value.trim();
  const oxygenItem = settings.oxygenUnit === "%" ? "PO2" : "MMHG";
  const radx = radiation
    ? `PAR=${v(radiation.particle)} ${radiation.energyUnit === "MeV" ? "KE" : "MEV/A"}=${v(radiation.energy)}`
    : `FN=${v(settings.fieldName)}`;
  const lines = [
    `Written by the KESP web page; run it with the command line kesp ${inputName} ${switchWords(settings).join(" ")}`,
    `SIMCON: NOCS=${v(settings.cells)} SEED=${v(settings.seed)}`,
    `EVO2: ${oxygenItem}=${v(oxygen)}`,
    `DMSO: CONC=${v(settings.dmso)}`,
    `CELL: DNA=${v(settings.dna)} NDIA=${v(settings.nucleus)}`,
    `RADX: ${radx}`,
  ];
  return { text: lines.join("\n") + "\n", problems };
}

// The input file of the single run the form describes.
export function singleInput(settings: Settings): InputFile {
  const radiation =
    settings.radiation === "particle"
      ? { particle: settings.particle, energy: settings.energy, energyUnit: settings.energyUnit }
      : null;
  const input = inputFile(settings, radiation, settings.oxygen);
  if (settings.radiation === "field" && settings.fieldText === "") {
    input.problems.push("Field file: choose a field file to upload");
  }
  return input;
}

// A name the field file can go by in the input line and the engine's
// folder: the uploaded file's name with anything unusual replaced.
export function fieldFileName(uploaded: string): string {
  const base = uploaded.split(/[\\/]/).pop() ?? "";
  const safe = base.replace(/[^A-Za-z0-9._-]/g, "_").replace(/^\.+/, "");
  return safe === "" || safe === inputName ? "field.txt" : safe.slice(0, 60);
}
