// pelkano.html in Debian's chromium: it opens from file:// and asks for nothing else, it makes
// exactly the problems and the SVG pages of pelkano-sheets for the same options and seed, and a
// printed class set has its pages on the chosen paper in the order of the window's PDF保存.
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { launch, openPage, runProgram, sheetsExe } from "./harness.mjs";

let browser;
let close;
before(async () => ({ browser, close } = await launch()));
after(async () => close && close());

// The same options as a fragment and as a command line.
const cases = [
  { name: "2x2, types 1-10, two sheets", types: "1-10", layout: "2x2", seed: 1, sheets: 2 },
  { name: "3x2, types 11-20, expression", types: "11-20", layout: "3x2", seed: 2, style: "expression" },
  { name: "4x2, types 21-30, no frame, margin 40, tentative quotients", types: "21-30", layout: "4x2", seed: 3,
    frame: false, margin: 40, tentative: true },
  { name: "2x3, types 31-40, expression, line width 3, B5", types: "31-40", layout: "2x3", seed: 4,
    style: "expression", lineWidth: 3, pageSize: "B5" },
  { name: "3x3, types 41-56, a sentence of markup", types: "41-56", layout: "3x3", seed: 5,
    sentence: "<b>名前</b> & \"書こう\" 100%" },
  { name: "4x3, types 57-78 in ticking order, Letter, no paper margin", types: "73-78,57-72", layout: "4x3", seed: 6,
    printNumber: 99, pageSize: "Letter", paperMargin: 0 },
  { name: "4x3, types 47-51, same mix, balanced, easy to hard, (1)(2), header fields, check, answer list",
    types: "47-51", layout: "4x3", seed: 7, sheets: 2, drill: true },
];

function fragmentOf(c) {
  const p = new URLSearchParams({ types: c.types, layout: c.layout, seed: String(c.seed), sheets: String(c.sheets ?? 1),
                                  answers: "1", "print-number": String(c.printNumber ?? 1) });
  if (c.style) p.set("style", c.style);
  if (c.frame === false) p.set("frame", "0");
  if (c.tentative) p.set("tentative", "1");
  if (c.margin) p.set("margin", String(c.margin));
  if (c.lineWidth) p.set("line-width", String(c.lineWidth));
  if (c.sentence) p.set("sentence", c.sentence);
  if (c.pageSize) p.set("page-size", c.pageSize);
  if (c.paperMargin !== undefined) p.set("paper-margin", String(c.paperMargin));
  if (c.drill) {
    for (const key of ["same-mix", "balanced", "header-fields", "check", "answer-list"]) p.set(key, "1");
    p.set("order", "easy");
    p.set("numbers", "parens");
  }
  return p.toString();
}

// The page draws what pelkano-sheets draws but the QR code, which the web build has no writer
// for: its modules are the black squares drawn after the four registration marks (a sheet without
// the frame or in the expression style has no marks, only the QR code).
function withoutQrCode(svg, c) {
  const marks = c.frame === false || c.style === "expression" ? 0 : 4;
  let black = 0;
  return svg.split("\n").filter((line) => !(/^<rect [^>]*fill="#000"\/>$/.test(line) && ++black > marks)).join("\n");
}

function commandLineOf(c, output) {
  const args = ["--types", c.types, "--layout", c.layout, "--seed", String(c.seed), "--sheets", String(c.sheets ?? 1),
                "--answers", "--print-number", String(c.printNumber ?? 1), "-o", output];
  if (c.style) args.push("--style", c.style);
  if (c.frame === false) args.push("--no-frame");
  if (c.tentative) args.push("--tentative");
  if (c.margin) args.push("--margin", String(c.margin));
  if (c.lineWidth) args.push("--line-width", String(c.lineWidth));
  if (c.sentence) args.push("--sentence", c.sentence);
  if (c.pageSize) args.push("--page-size", c.pageSize);
  if (c.paperMargin !== undefined) args.push("--paper-margin", String(c.paperMargin));
  if (c.drill)
    args.push("--same-mix", "--balanced", "--header-fields", "--check", "--answer-list", "--order", "easy", "--numbers",
              "parens");
  return args;
}

test("opens from file:// in Japanese, every control labelled, no request but its own", async () => {
  const { page, forbidden, errors } = await openPage(browser, "types=1-4&seed=1");
  assert.deepEqual(forbidden, []);
  assert.deepEqual(errors, []);
  assert.equal(await page.evaluate(() => document.documentElement.lang), "ja");
  const unlabelled = await page.evaluate(() =>
    [...document.querySelectorAll("input, select, button")]
      .filter((e) => !(e.labels?.length || e.getAttribute("aria-label") || e.textContent.trim()))
      .map((e) => e.id || e.outerHTML));
  assert.deepEqual(unlabelled, []);
  assert.ok(await page.$eval("#preview", (e) => e.querySelector("svg") !== null), "no preview drawn");
  await page.close();
});

// Without a seed the set gets a new one as the window's プレビュー draws it (30 bits, so the code
// at the foot of its sheets is as short as the window's), different at every opening.
test("a page opened without a seed draws a new short one, as the window does", async () => {
  const seeds = [];
  for (let i = 0; i < 2; ++i) {
    const { page } = await openPage(browser, "types=1-4");
    const seed = await page.$eval("#seed", (e) => e.value);
    assert.ok(/^\d+$/.test(seed) && BigInt(seed) < 2n ** 30n, `seed ${seed} is not one of 30 bits`);
    assert.match(await page.evaluate(() => location.hash), new RegExp(`seed=${seed}&`));
    seeds.push(seed);
    await page.close();
  }
  assert.notEqual(seeds[0], seeds[1]);
});

for (const c of cases) {
  test(`same problems and SVG pages as pelkano-sheets: ${c.name}`, async () => {
    assert.ok(sheetsExe, "PELKANO_SHEETS_EXE is not set");
    const dir = mkdtempSync(join(tmpdir(), "pelkano-web-"));
    try {
      const csv = execFileSync(sheetsExe, commandLineOf(c, join(dir, "s.svg")), { encoding: "utf8" });
      const { page, forbidden, errors } = await openPage(browser, fragmentOf(c));
      const made = await page.evaluate(async () => {
        await window.pelkano.preparePrint();
        return { made: window.pelkano.made, texts: window.pelkano.pageTexts,
                 shown: document.querySelectorAll("#print-area > svg").length };
      });
      assert.deepEqual(forbidden, []);
      assert.deepEqual(errors, []);
      assert.equal(made.made.seed, String(c.seed));
      const rows = made.made.sheets.flatMap((s, k) =>
        s.problems.map(([type, dividend, divisor], i) => [k + 1, s.printNumber, i + 1, type, dividend, divisor].join(",")));
      const cliRows = csv.trim().split("\n").slice(1).map((r) => r.split(",").slice(0, 6).join(","));
      assert.deepEqual(rows, cliRows);
      const sheets = made.made.sheets.length;
      const files = [];
      for (let k = 1; k <= sheets; ++k) {
        files.push(`s-${k}.svg`, `s-${k}-answers.svg`);
        if (c.drill) files.push(`s-${k}-answer-list.svg`);
      }
      assert.equal(made.texts.length, files.length);
      assert.equal(made.shown, files.length);
      files.forEach((f, i) =>
        assert.equal(made.texts[i], withoutQrCode(readFileSync(join(dir, f), "utf8"), c), `page ${f} differs`));
      await page.close();
    } finally {
      rmSync(dir, { recursive: true, force: true });
    }
  });
}

test("a printed class set with the answer sheets at the end: pages, paper, print numbers", async () => {
  const { page, forbidden } = await openPage(browser, "types=47-51&layout=3x3&seed=11&sheets=3&answers=end&print-number=5&page-size=B5");
  await page.evaluate(() => window.pelkano.preparePrint());
  const dir = mkdtempSync(join(tmpdir(), "pelkano-print-"));
  try {
    const pdf = join(dir, "set.pdf");
    writeFileSync(pdf, await page.pdf({ preferCSSPageSize: true }));
    const info = runProgram("pdfinfo", [pdf], { encoding: "utf8" });
    assert.match(info, /^Pages:\s+6$/m);
    // B5 (the Japanese one), 182 by 257 mm: 515.9 by 728.5 points.
    const size = info.match(/^Page size:\s+([\d.]+) x ([\d.]+) pts/m);
    assert.ok(Math.abs(size[1] - 515.9) < 1 && Math.abs(size[2] - 728.5) < 1, info);
    const numbers = [];
    for (let p = 1; p <= 6; ++p) {
      const text = runProgram("pdftotext", ["-f", String(p), "-l", String(p), pdf, "-"], { encoding: "utf8" });
      numbers.push(Number(text.match(/問題No\.\s*(\d+)/)[1]));
    }
    assert.deepEqual(numbers, [5, 6, 7, 5, 6, 7]);
    assert.deepEqual(forbidden, []);
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
  await page.close();
});

// The page's SVG as chromium draws it, in the page's own cut-down faces, against pelkano-sheets'
// PDF as poppler draws it, both at 100 dpi: nearly every dark pixel of one has ink next to it in
// the other (texts, bars and frames in the same places).
test("an SVG page drawn by the page lies on pelkano-sheets' PDF page", async () => {
  const dir = mkdtempSync(join(tmpdir(), "pelkano-look-"));
  try {
    // Without the QR code, which the page cannot draw.
    const args = ["--types", "12,47,60", "--layout", "2x3", "--seed", "3", "--answers", "--style", "expression",
                  "--line-width", "4", "--no-marks"];
    execFileSync(sheetsExe, [...args, "-o", join(dir, "s.pdf")]);
    runProgram("pdftoppm", ["-r", "100", "-f", "2", "-l", "2", "-gray", "-png", join(dir, "s.pdf"), join(dir, "p")]);
    const pdfPng = readFileSync(join(dir, "p-2.png")).toString("base64");
    const { page, forbidden } = await openPage(browser, "types=12,47,60&layout=2x3&seed=3&answers=1&style=expression&line-width=4");
    // A4 at 100 dpi: 827 by 1169 pixels, as pdftoppm makes it.
    const box = await page.evaluate(async () => {
      await window.pelkano.preparePrint();
      const holder = document.createElement("div");
      holder.id = "look";
      holder.style.cssText = "position:fixed;left:0;top:0;width:827px;height:1169px;background:#fff;z-index:9";
      holder.innerHTML = window.pelkano.pageTexts[1];
      holder.firstElementChild.setAttribute("width", "827");
      holder.firstElementChild.setAttribute("height", "1169");
      holder.firstElementChild.setAttribute("preserveAspectRatio", "none");
      document.body.append(holder);
      await document.fonts.ready;
      return { x: 0, y: 0, width: 827, height: 1169 };
    });
    await page.setViewport({ width: 900, height: 1200 });
    const svgPng = (await page.screenshot({ clip: box, encoding: "base64" }));
    if (process.env.PELKANO_LOOK_DIR) {
      writeFileSync(join(process.env.PELKANO_LOOK_DIR, "look-svg.png"), Buffer.from(svgPng, "base64"));
      writeFileSync(join(process.env.PELKANO_LOOK_DIR, "look-pdf.png"), Buffer.from(pdfPng, "base64"));
    }
    const misses = await page.evaluate(async (a, b) => {
      const ink = async (data) => {
        const img = new Image();
        img.src = `data:image/png;base64,${data}`;
        await img.decode();
        const canvas = document.createElement("canvas");
        canvas.width = 827;
        canvas.height = 1169;
        const c = canvas.getContext("2d");
        c.fillStyle = "#fff";
        c.fillRect(0, 0, 827, 1169);
        c.drawImage(img, 0, 0, 827, 1169);
        const px = c.getImageData(0, 0, 827, 1169).data;
        // 2: dark; 1: any ink, as a thin line that one renderer greys and the other blackens.
        const dark = new Uint8Array(827 * 1169);
        for (let i = 0; i < dark.length; ++i) dark[i] = px[4 * i] < 140 ? 2 : px[4 * i] < 235 ? 1 : 0;
        return dark;
      };
      const [one, two] = [await ink(a), await ink(b)];
      const lonely = (p, q) => {
        let inked = 0, alone = 0;
        for (let y = 2; y < 1167; ++y)
          for (let x = 2; x < 825; ++x) {
            if (p[y * 827 + x] !== 2) continue;
            ++inked;
            let near = false;
            for (let dy = -2; dy <= 2 && !near; ++dy)
              for (let dx = -2; dx <= 2 && !near; ++dx) near = q[(y + dy) * 827 + x + dx] > 0;
            if (!near) ++alone;
          }
        return alone / Math.max(inked, 1);
      };
      return [lonely(one, two), lonely(two, one)];
    }, svgPng, pdfPng);
    assert.ok(misses[0] < 0.02 && misses[1] < 0.02, `ink without a counterpart: SVG ${misses[0]}, PDF ${misses[1]}`);
    assert.deepEqual(forbidden, []);
    await page.close();
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
});

// The sheet of a same-mix code printed before such sets drew as they do now stays that sheet
// while a control changes only what is drawn.
test("a sheet of an older same-mix code keeps its draws", async () => {
  const { page } = await openPage(browser, "types=11&layout=2x2&seed=7&same-mix=before&first-sheet=5&print-number=6");
  await page.click("#tentative");
  await page.waitForFunction(() => /tentative=1/.test(location.hash));
  assert.match(await page.evaluate(() => location.hash), /same-mix=before&/);
  await page.close();
});

// A browser does not tell a print from a cancelled one: after its print screen the set stays
// as it was; つぎのプリントへ goes on as the window does after printing (the print number past
// the set, new problems), and the set shown before is one step back in the history.
test("after the print screen the set stays, and つぎのプリントへ goes on past it", async () => {
  const { page } = await openPage(browser, "types=1-20&layout=2x3&seed=8&sheets=4&print-number=10");
  const shown = () => page.evaluate(() => ({
    hash: location.hash, number: document.getElementById("printNumber").value,
    first: window.pelkano.made.sheets[0].printNumber, next: !document.getElementById("btnNextPrint").hidden }));
  await page.evaluate(async () => {
    await window.pelkano.preparePrint();
    window.dispatchEvent(new Event("afterprint"));
  });
  const closed = await shown();
  assert.equal(closed.number, "10");
  assert.equal(closed.first, 10);
  assert.match(closed.hash, /seed=8&/);
  assert.ok(closed.next, "no つぎのプリントへ after the print screen");
  await page.click("#btnNextPrint");
  const moved = await shown();
  assert.equal(moved.number, "14");
  assert.equal(moved.first, 14);
  assert.doesNotMatch(moved.hash, /seed=8&/);
  assert.ok(!moved.next);
  await Promise.all([page.waitForFunction(() => /seed=8&/.test(location.hash)), page.goBack()]);
  assert.equal(await page.$eval("#printNumber", (e) => e.value), "10");
  await page.close();
});

// The browser's own print (Ctrl+P, its menu, a PDF of the page) gives the set shown, also when
// it comes before the page has put the set in its print area.
test("the browser's own print gives the set shown", async () => {
  const { page } = await openPage(browser, "types=12,47&layout=2x2&seed=5&sheets=2&answers=1");
  const pages = await page.evaluate(() => {
    document.getElementById("print-area").replaceChildren();
    window.pelkano.pageTexts = [];
    window.dispatchEvent(new Event("beforeprint"));
    return document.querySelectorAll("#print-area > svg").length;
  });
  assert.equal(pages, 4);
  const dir = mkdtempSync(join(tmpdir(), "pelkano-own-print-"));
  try {
    const pdf = join(dir, "own.pdf");
    writeFileSync(pdf, await page.pdf({ preferCSSPageSize: true }));
    assert.match(runProgram("pdfinfo", [pdf], { encoding: "utf8" }), /^Pages:\s+4$/m);
    const text = runProgram("pdftotext", ["-f", "4", "-l", "4", pdf, "-"], { encoding: "utf8" });
    assert.match(text, /問題No\.\s*2/);
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
  await page.close();
});
