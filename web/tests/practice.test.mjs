// The practice of pelkano.html in Debian's chromium, by its keys, its pad and its links: the same
// model, messages and saved table as the C++ gives for the same keys (practice_replay works them
// natively), and a teacher's link opens the practice of its types.
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { existsSync, mkdtempSync, readFileSync, readdirSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { launch, openPage, sheetsExe } from "./harness.mjs";

const replayExe = process.env.PELKANO_PRACTICE_REPLAY_EXE;
let browser;
let close;
before(async () => ({ browser, close } = await launch()));
after(async () => close && close());

// What the C++ gives for the keys, worked natively.
function replay(args) {
  assert.ok(replayExe && existsSync(replayExe), `practice_replay is missing (${replayExe}): build the dev preset`);
  return execFileSync(replayExe, args, { encoding: "utf8" });
}

// A run of these problems ("8765/43/27,87/23/20") at てびき, whatever level an earlier test kept.
async function practise(page, problems) {
  assert.equal((await page.evaluate((p) => window.pelkano.practiseProblems(p), problems)).running, true);
  await page.click('#practiceLevels button[data-level="guided"]');
}
const status = (page) => page.$eval("#practiceStatus", (e) => e.textContent);
const pressAll = async (page, keys) => {
  for (const key of keys) await page.keyboard.press(key);
};
// Works the open problem to its end with hints alone (after two, each writes one digit).
async function solveWithHints(page) {
  for (let i = 0; i < 200; ++i) {
    if (await page.evaluate(() => window.pelkano.practice.state.finished)) return;
    await page.keyboard.press("h");
  }
  assert.fail("hints did not finish the problem");
}

test("8765 ÷ 43 worked to the end with the pad and the keys, to the summary", async () => {
  const { page, errors } = await openPage(browser, "types=1", { width: 768, height: 1024, hasTouch: true, isMobile: true });
  await practise(page, "8765/43/27");
  assert.equal(await page.$eval("#main", (e) => e.hidden), true);
  // 2, 86 and the 0 by touch on the pad; 165, 3, 129 and 36 by the keyboard.
  for (const key of ["2", "8", "6", "0"]) await page.tap(`#pad button[data-key="${key}"]`);
  await pressAll(page, [..."165312936"]);
  assert.match(await status(page), /^できました！/);
  assert.equal(await page.$eval("#btnNext", (e) => e.disabled), false);
  await page.tap("#btnNext");
  assert.equal(await page.$eval("#practiceSummary", (e) => e.hidden), false);
  const row = await page.$$eval("#practiceResults tbody tr td", (cells) => cells.map((c) => c.textContent));
  assert.deepEqual(row.slice(1, 4), ["8765÷43", "203 あまり 36", "○"]);
  assert.equal(await page.$eval("#practiceStumbles", (e) => e.textContent), "つまずき：なし");
  assert.deepEqual(errors, []);
  await page.close();
});

test("95 ÷ 4 alone on the pad: たしかめる after a row checked at once counts nothing; the line names the pad", async () => {
  const { page } = await openPage(browser, "types=1", { width: 768, height: 1024, hasTouch: true, isMobile: true });
  await practise(page, "95/4");
  await page.tap('#practiceLevels button[data-level="alone"]');
  const tapAll = async (keys) => {
    for (const key of keys) await page.tap(key === "Enter" ? "#keyEnter" : `#pad button[data-key="${key}"]`);
  };
  await tapAll([..."2815312"]);
  assert.equal(await status(page), "ひき算をして、あまりを書いたら「たしかめる」を押しましょう。");
  await tapAll(["Enter"]);
  assert.equal(await status(page), "ひき算をして、あまりを書いたら「たしかめる」を押しましょう。");
  await tapAll(["3", "Enter"]);
  assert.equal(await status(page), "できました！ 「次へ」で結果を見ましょう。");
  await page.tap("#btnNext");
  assert.equal(await page.$eval("#practiceStumbles", (e) => e.textContent), "つまずき：なし");
  await page.close();
});

test("a wrong product is marked red in its cell, with the diagnosis the C++ gives", async () => {
  const { page } = await openPage(browser, "types=1");
  await practise(page, "8765/43");
  await pressAll(page, ["2", "8", "7"]);
  const expected = replay(["--message", "8765/43", "guided", "", "0", "0", "0", "2", "8", "7"]).trimEnd();
  assert.match(expected, /^「かけ算」/);
  assert.equal(await status(page), expected);
  // The 7 stands red in the square under the dividend's 7 (row 2, column 4); the 8 is not red.
  const red = await page.$eval("#board svg", (svg) => {
    const cell = Number(svg.dataset.cell), left = Number(svg.dataset.left), top = Number(svg.dataset.top);
    return [...svg.querySelectorAll("g.wrong text")].map((t) => ({
      text: t.textContent,
      column: Math.floor((Number(t.getAttribute("x")) - left) / cell),
      row: Math.floor((Number(t.getAttribute("y")) - top) / cell),
    }));
  });
  assert.deepEqual(red, [{ text: "7", column: 4, row: 2 }]);
  await page.close();
});

// A teacher's link: the practice of its types and layout, the same problems as pelkano-sheets
// makes for them, at the level this browser kept.
test("a link #practice&types=47-51&layout=2x2 opens the practice of its types, at the level kept", async () => {
  const csv = execFileSync(sheetsExe, ["--types", "47-51", "--layout", "2x2", "--seed", "9"], { encoding: "utf8" });
  const problems = csv.trim().split("\n").slice(1).map((r) => r.split(",")).map((f) => `${f[4]}÷${f[5]}`);
  const { page, forbidden } = await openPage(browser, "practice&types=47-51&layout=2x2&seed=9");
  assert.equal(await page.$eval("#practice", (e) => e.hidden), false);
  assert.equal(await page.$eval("#practiceHeading", (e) => e.textContent), "問題 1 / 4");
  assert.match(await page.evaluate(() => location.hash), /^#practice&types=47-51&layout=2x2&seed=9&/);
  // ひとりで is kept for the next opening.
  await page.click('#practiceLevels button[data-level="alone"]');
  await page.reload();
  await page.waitForFunction(() => window.pelkano && window.pelkano.ready);
  assert.equal(await page.$eval('#practiceLevels button[data-level="alone"]', (b) => b.getAttribute("aria-checked")), "true");
  // Before any key, the line names the pad's buttons; after a key, the keys.
  assert.equal(await status(page), "商をたてる位置を ◀ ▶ で選んで、商を書きましょう。");
  await page.keyboard.press("ArrowLeft");
  assert.equal(await status(page), "商をたてる位置を ←→ で選んで、商を書きましょう。");
  // A tap over the dividend's last digit puts the cursor there (column: divisor, bracket, dividend).
  const [dividend, divisor] = problems[0].split("÷");
  const column = divisor.length + dividend.length;
  const cell = async () => page.$eval("#board svg", (svg) => {
    const cursor = svg.querySelector('rect[fill="#ffd76e"]');
    const size = Number(svg.dataset.cell);
    return [(Number(cursor.getAttribute("y")) - Number(svg.dataset.top)) / size,
            (Number(cursor.getAttribute("x")) - Number(svg.dataset.left)) / size];
  });
  assert.deepEqual(await cell(), [0, divisor.length + 1]);
  const at = await page.$eval("#board svg", (svg, c) => {
    const box = svg.getBoundingClientRect();
    const size = Number(svg.dataset.cell);
    return [box.left + Number(svg.dataset.left) + (c + 0.5) * size, box.top + Number(svg.dataset.top) + 0.5 * size];
  }, column);
  await page.touchscreen.tap(at[0], at[1]);
  assert.deepEqual(await cell(), [0, column]);
  for (let i = 0; i < problems.length; ++i) {
    await solveWithHints(page);
    await page.keyboard.press("Enter");
  }
  const shown = await page.$$eval("#practiceResults tbody tr", (rows) => rows.map((r) => r.cells[1].textContent));
  assert.deepEqual(shown, problems);
  await page.click('#practiceLevels button[data-level="guided"]');
  assert.deepEqual(forbidden, []);
  await page.close();
});

test("the CSV saved is the one the C++ writes for that run, byte for byte", async () => {
  const dir = mkdtempSync(join(tmpdir(), "pelkano-csv-"));
  try {
    const { page: p } = await openPage(browser, "types=1");
    await p.emulateTimezone("Asia/Tokyo");
    const cdp = await p.createCDPSession();
    await cdp.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: dir });
    // 2024-04-30 22:00 UTC, the 1st of May in Japan; every key 83 seconds later.
    const start = 1714514400000;
    const at = start + 83000;
    // The page's clock, set by the test.
    await p.evaluate((t) => { globalThis.pelkanoTestNow = t; Date.now = () => globalThis.pelkanoTestNow; }, start);
    await practise(p, "8765/43/27,87/23/20");
    // The name's digits go to the name, not to the figure.
    await p.click("#practiceName");
    await p.keyboard.type("山田 はなこ 3");
    await p.keyboard.press("Enter");
    await p.evaluate((t) => { globalThis.pelkanoTestNow = t; }, at);
    const keys = [..."2870", "6", ..."0165312936", "Enter", "4", "h", "h", "h", "h", "Backspace", ..."6918", "Enter"];
    await pressAll(p, keys);
    assert.equal(await p.$eval("#practiceSummary", (e) => e.hidden), false);
    await p.click("#btnSaveCsv");
    const file = "練習の結果-山田 はなこ 3-20240501.csv";
    for (let i = 0; i < 200 && !readdirSync(dir).includes(file); ++i) await new Promise((r) => setTimeout(r, 100));
    assert.deepEqual(readdirSync(dir), [file]);
    const expected = replay(["8765/43/27,87/23/20", "guided", "山田 はなこ 3", String(start), String(at), "-540", ...keys]);
    const saved = readFileSync(join(dir, file));
    assert.ok(saved.subarray(0, 3).equals(Buffer.from([0xef, 0xbb, 0xbf])), "no byte order mark");
    assert.equal(saved.toString("utf8"), expected);
    assert.match(expected, /山田 はなこ 3,2024-05-01 07:01:23,1,8765,43,27,てびき,/);
    await p.close();
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
});
