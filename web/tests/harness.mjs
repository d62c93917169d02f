// Opens pelkano.html from file:// in Debian's chromium, headless, and fails on any request the
// page makes other than for itself, data: and blob: URLs.
import { execFileSync } from "node:child_process";
import { existsSync, mkdtempSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { basename, join } from "node:path";
import { pathToFileURL } from "node:url";

// puppeteer-core comes from web/tests/node_modules, which the install step fills.
let puppeteer;
try {
  ({ default: puppeteer } = await import("puppeteer-core"));
} catch (error) {
  if (error?.code !== "ERR_MODULE_NOT_FOUND") throw error;
  console.error("pelkano browser tests: puppeteer-core is missing from web/tests/node_modules " +
                `(${error.message.split("\n")[0]}): run \`bash scripts/install-deps.sh\` first`);
  process.exit(1);
}

export const pageFile = process.env.PELKANO_HTML;
export const sheetsExe = process.env.PELKANO_SHEETS_EXE;

// Lines of a file of the source tree, each as its words, comments (from a #) left out.
const wordsOfLines = (path) => readFileSync(new URL(`../../${path}`, import.meta.url), "utf8").split("\n")
  .map((line) => line.replace(/#.*/, "").trim().split(/\s+/).filter(Boolean));
// The Debian package of each outside program the tests run, from the table the Qt tests read too,
// and the packages scripts/install-deps.sh names outside its comments.
const packages = new Map(wordsOfLines("tests/support/outside-programs.txt").filter((words) => words.length === 2));
const installed = new Set(wordsOfLines("scripts/install-deps.sh").flat().flatMap((word) => word.match(/[a-z0-9][a-z0-9+.-]+/g) ?? []));

// Throws, naming the program and its package, unless the table lists `program` and
// scripts/install-deps.sh installs its package (a machine that has it from elsewhere would hide that).
function checkListed(program) {
  const name = basename(program);
  if (!packages.has(name))
    throw new Error(`tests/support/outside-programs.txt does not say which Debian package gives ${name}: `
                    + "add it there and to scripts/install-deps.sh");
  if (!installed.has(packages.get(name)))
    throw new Error(`${name} comes with the Debian package ${packages.get(name)}, which scripts/install-deps.sh `
                    + "does not install: add it there");
}

// The failure for an outside program that is not there: it names the program and its package.
const missing = (program) => new Error(`${program} is not installed: it comes with the Debian package `
                                       + `${packages.get(basename(program))} (bash scripts/install-deps.sh installs it)`);

// Runs an outside program (pdfinfo, pdftoppm, ...) as execFileSync does; an unlisted or missing one
// fails the test naming it and its package.
export function runProgram(program, args, options = {}) {
  checkListed(program);
  try {
    return execFileSync(program, args, options);
  } catch (error) {
    if (error.code === "ENOENT")
      throw missing(program);
    throw error;
  }
}

export async function launch() {
  const chromium = process.env.PELKANO_CHROMIUM || "/usr/bin/chromium";
  checkListed("chromium");
  if (!existsSync(chromium))
    throw missing(chromium);
  const profile = mkdtempSync(join(tmpdir(), "pelkano-chromium-"));
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    // The page offers its files under Japanese names, which chromium keeps only in a UTF-8
    // locale: in the C locale of a clean environment it saves each as "download".
    env: { ...process.env, LC_ALL: "C.UTF-8" },
    userDataDir: profile,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
           "--disable-component-update", "--disable-sync", "--font-render-hinting=none"],
  });
  const close = async () => {
    await browser.close();
    rmSync(profile, { recursive: true, force: true });
  };
  return { browser, close };
}

// The page at a fragment, ready. `forbidden` collects every request it should not have made,
// those the browser sent and those the page's own content security policy stopped.
export async function openPage(browser, fragment = "", viewport = { width: 1280, height: 1000 }) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  const own = pathToFileURL(pageFile).href;
  const forbidden = [];
  const errors = [];
  await page.setRequestInterception(true);
  page.on("request", (request) => {
    const url = request.url();
    if (url.split("#")[0] === own || url.startsWith("data:") || url.startsWith("blob:")) {
      request.continue();
    } else {
      forbidden.push(url);
      request.abort();
    }
  });
  page.on("pageerror", (error) => errors.push(String(error)));
  await page.exposeFunction("pelkanoBlocked", (url) => forbidden.push(`blocked: ${url}`));
  await page.evaluateOnNewDocument(() =>
    document.addEventListener("securitypolicyviolation", (e) => window.pelkanoBlocked(e.blockedURI)));
  await page.goto(`${own}#${fragment}`);
  await page.waitForFunction(() => window.pelkano && window.pelkano.ready, { timeout: 20000 });
  return { page, forbidden, errors };
}
