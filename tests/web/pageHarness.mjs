// What the page's browser tests share: the built page served from
// 127.0.0.1, headless Chromium through puppeteer-core, downloads, native
// `kesp` runs to compare with, and screenshots checked for being non-blank.
//
// Environment: KESP_WEB_DIST (the built page), KESP_EXECUTABLE (kesp),
// KESP_SOURCE_DIR (the source tree); KESP_CHROMIUM names another browser
// than /usr/bin/chromium, KESP_WEB_SCREENSHOTS a folder to keep the
// screenshots in.

import { execFileSync } from "node:child_process";
import { createServer } from "node:http";
import { createRequire } from "node:module";
import { after, before } from "node:test";
import { existsSync, mkdirSync, mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { extname, join, normalize, resolve } from "node:path";

const require = createRequire(new URL("../../web/package.json", import.meta.url));
const puppeteer = require("puppeteer-core");

export function environment(name) {
  const value = process.env[name];
  if (!value) {
    throw new Error(`${name} is not set (the browser tests need KESP_WEB_DIST, KESP_EXECUTABLE and KESP_SOURCE_DIR)`);
  }
  return resolve(value);
}

export const sourceDir = () => environment("KESP_SOURCE_DIR");

const contentTypes = {
  ".html": "text/html; charset=utf-8",
  ".js": "text/javascript",
  ".css": "text/css",
  ".wasm": "application/wasm",
};

// A static server of the built page (or of the folder `root`, a copy of it);
// `requests` lists every path asked for.
export async function servePage(root = environment("KESP_WEB_DIST")) {
  const requests = [];
  const server = createServer((request, response) => {
    const path = new URL(request.url, "http://127.0.0.1").pathname;
    requests.push(path);
    const file = normalize(join(root, path.endsWith("/") ? `${path}index.html` : path));
    if (!file.startsWith(root) || !existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { "Content-Type": contentTypes[extname(file)] ?? "application/octet-stream" });
    response.end(readFileSync(file));
  });
  await new Promise((done) => server.listen(0, "127.0.0.1", done));
  const url = `http://127.0.0.1:${server.address().port}/`;
  return { url, requests, close: () => new Promise((done) => server.close(done)) };
}

// `extraArgs` go to Chromium after the ones every test needs.
export async function launchBrowser(extraArgs = []) {
  const profile = mkdtempSync(join(tmpdir(), "kesp-chromium-"));
  const browser = await puppeteer.launch({
    executablePath: process.env.KESP_CHROMIUM || "/usr/bin/chromium",
    headless: true,
    userDataDir: profile,
    args: [
      "--no-sandbox",
      "--disable-gpu",
      "--disable-quic",
      "--no-first-run",
      "--disable-background-networking",
      "--disable-component-update",
      "--disable-sync",
      ...extraArgs,
    ],
  });
  const close = async () => {
    await browser.close();
    rmSync(profile, { recursive: true, force: true });
  };
  return { browser, close };
}

// A page of the calculator with `query` as its address's query; `foreign`
// collects every request to another host than the page's.
export async function openPage(browser, url, query = "") {
  const page = await browser.newPage();
  await page.setViewport({ width: 1000, height: 900 });
  const foreign = [];
  const errors = [];
  page.on("request", (request) => {
    const address = request.url();
    if (!address.startsWith(url) && !address.startsWith("data:") && !address.startsWith("blob:")) {
      foreign.push(address);
    }
  });
  page.on("pageerror", (error) => errors.push(String(error)));
  await page.goto(`${url}${query}`, { waitUntil: "load" });
  await waitForCheck(page);
  return { page, foreign, errors };
}

// Waits until the check as you type has listed what it found.
export async function waitForCheck(page) {
  await page.waitForFunction(() => document.querySelectorAll("#diagnostics li").length > 0, { timeout: 20000 });
}

// Replaces the text of a field from the keyboard, as a user does.
export async function typeInto(page, selector, text) {
  await page.focus(selector);
  await page.keyboard.down("Control");
  await page.keyboard.press("KeyA");
  await page.keyboard.up("Control");
  await page.keyboard.type(text);
}

export async function diagnostics(page) {
  return page.$$eval("#diagnostics li", (items) => items.map((item) => item.textContent));
}

export async function statusText(page) {
  return page.$eval("#status", (element) => element.textContent);
}

// Clicks Run and waits for the run to end (Run enabled again, a final status).
export async function runAndWait(page, timeout = 60000) {
  await page.click("#run");
  await page.waitForFunction(
    () => {
      const status = document.querySelector("#status").textContent;
      return !document.querySelector("#run").disabled && /^(Done|Nothing is run|Cancelled|The run failed|Run stopped)/.test(status);
    },
    { timeout },
  );
  return statusText(page);
}

// Clicks a download button and returns the downloaded file's text.
export async function download(page, button, name) {
  const folder = mkdtempSync(join(tmpdir(), "kesp-download-"));
  const session = await page.createCDPSession();
  await session.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: folder, eventsEnabled: true });
  const finished = new Promise((done, fail) => {
    session.on("Browser.downloadProgress", (event) => {
      if (event.state === "completed") done();
      if (event.state === "canceled") fail(new Error(`the download of ${name} was cancelled`));
    });
  });
  await page.click(button);
  await finished;
  await session.detach();
  const files = readdirSync(folder);
  if (!files.includes(name)) {
    throw new Error(`the download gave ${files.join(", ")}, not ${name}`);
  }
  const text = readFileSync(join(folder, name), "utf8");
  rmSync(folder, { recursive: true, force: true });
  return text;
}

// The command line the downloaded input file names on its first line.
export function commandLineOf(input) {
  const words = input.split("\n")[0].split("command line ")[1]?.trim().split(/\s+/) ?? [];
  if (words[0] !== "kesp" || words.length < 2) {
    throw new Error(`the input's first line names no kesp command line: ${input.split("\n")[0]}`);
  }
  return { inputFile: words[1], switches: words.slice(2) };
}

// Runs `kesp` on the input in a fresh folder with the given field files.
export function runNative(input, fieldFiles = {}) {
  const folder = mkdtempSync(join(tmpdir(), "kesp-native-"));
  const { inputFile, switches } = commandLineOf(input);
  writeFileSync(join(folder, inputFile), input);
  for (const [name, text] of Object.entries(fieldFiles)) {
    writeFileSync(join(folder, name), text);
  }
  execFileSync(environment("KESP_EXECUTABLE"), [inputFile, ...switches], { cwd: folder, stdio: "pipe" });
  const base = inputFile.replace(/\.inp$/, "");
  const result = {
    report: readFileSync(join(folder, `${base}.out`), "utf8"),
    json: existsSync(join(folder, `${base}.json`)) ? readFileSync(join(folder, `${base}.json`), "utf8") : null,
  };
  rmSync(folder, { recursive: true, force: true });
  return result;
}

// Runs `kesp` on an input file of the source tree (and the files beside it
// that it names), in a folder of copies; returns the JSON document.
export function runNativeExample(relativePath, switches, besideFiles = []) {
  const folder = mkdtempSync(join(tmpdir(), "kesp-example-"));
  const source = join(sourceDir(), relativePath);
  const name = source.split("/").pop();
  for (const file of [name, ...besideFiles]) {
    writeFileSync(join(folder, file), readFileSync(join(source, "..", file)));
  }
  execFileSync(environment("KESP_EXECUTABLE"), [name, ...switches], { cwd: folder, stdio: "pipe" });
  const json = JSON.parse(readFileSync(join(folder, name.replace(/\.inp$/, ".json")), "utf8"));
  rmSync(folder, { recursive: true, force: true });
  return json;
}

// The running time changes from run to run; everything else must not.
export function maskRunningTime(report) {
  return report.replace(/^ *[0-9.]+ +running time \(min\)$/gm, "#.### running time (min)");
}

// Takes a screenshot of the page and fails when it is blank: fewer than 1 %
// of its pixels differ from the top-left one.
export async function checkedScreenshot(browser, page, name) {
  const png = await page.screenshot({ fullPage: true });
  const folder = process.env.KESP_WEB_SCREENSHOTS;
  if (folder) {
    mkdirSync(folder, { recursive: true });
    writeFileSync(join(folder, `${name}.png`), png);
  }
  const viewer = await browser.newPage();
  const share = await viewer.evaluate(async (data) => {
    const image = new Image();
    image.src = `data:image/png;base64,${data}`;
    await image.decode();
    const canvas = document.createElement("canvas");
    canvas.width = image.width;
    canvas.height = image.height;
    const context = canvas.getContext("2d");
    context.drawImage(image, 0, 0);
    const pixels = context.getImageData(0, 0, image.width, image.height).data;
    let differing = 0;
    for (let i = 0; i < pixels.length; i += 4) {
      if (pixels[i] !== pixels[0] || pixels[i + 1] !== pixels[1] || pixels[i + 2] !== pixels[2]) differing++;
    }
    return differing / (pixels.length / 4);
  }, Buffer.from(png).toString("base64"));
  await viewer.close();
  return share;
}

// The page's address query for the items of an input file (SIMCON, EVO2,
// DMSO, CELL and RADX lines, as the examples write them).
export function queryOfInput(text) {
  const items = {};
  for (const line of text.split("\n")) {
    const content = line.split("!")[0];
    if (!/^(SIMCON|EVO2|DMSO|CELL|RADX):/.test(content)) continue;
    for (const item of content.split(/\s+/).slice(1)) {
      const [key, value] = item.split("=");
      if (value !== undefined) items[key.toUpperCase()] = value;
    }
  }
  const params = new URLSearchParams();
  const set = (name, value) => value !== undefined && params.set(name, value);
  set("cells", items.NOCS);
  set("seed", items.SEED);
  set("o2", items.PO2);
  set("dmso", items.CONC);
  set("dna", items.DNA);
  set("ndia", items.NDIA);
  set("par", items.PAR ?? "e");
  if (items["MEV/A"] !== undefined) {
    params.set("e", items["MEV/A"]);
    params.set("eu", "MeV/u");
  } else {
    params.set("e", items.KE ?? "1");
  }
  return `?${params}`;
}

// The page's server and a browser, started before a test file's tests and
// ended after them: `server` and `chromium` of the returned object.
export function sharedBrowser() {
  const shared = {};
  before(async () => {
    shared.server = await servePage();
    shared.chromium = await launchBrowser();
  });
  after(async () => {
    await shared.chromium?.close();
    await shared.server?.close();
  });
  return shared;
}
