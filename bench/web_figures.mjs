// The size and speed of pelkano.html in headless chromium (figures, not a test):
//   node bench/web_figures.mjs build/web/web/pelkano.html 5
// prints the file's size, the time from opening the file to the first preview drawn, and the
// time to make a class set of 30 sheets with their answer sheets ready to print (60 SVG pages
// in the print area, laid out), and the time from opening a practice link to its figure drawn,
// each the median of the runs.
import { statSync } from "node:fs";
import { resolve } from "node:path";

process.env.PELKANO_HTML = resolve(process.argv[2] ?? "build/web/web/pelkano.html");
const runs = Number(process.argv[3] ?? 5);
const { launch, openPage } = await import(new URL("../web/tests/harness.mjs", import.meta.url));

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const { browser, close } = await launch();
const opened = [];
const classSet = [];
for (let i = 0; i < runs; ++i) {
  const { page } = await openPage(browser, "types=1-78&layout=4x3&seed=" + (i + 1));
  opened.push(await page.evaluate(() => window.pelkano.firstPreviewAt));
  classSet.push(await page.evaluate(async (seed) => {
    const start = performance.now();
    window.pelkano.setFragment(`types=1-78&layout=4x3&sheets=30&answers=1&seed=${seed}`, true);
    await window.pelkano.preparePrint();
    document.getElementById("print-area").style.display = "block";
    document.getElementById("print-area").getBoundingClientRect();
    await new Promise((r) => requestAnimationFrame(() => r()));
    return performance.now() - start;
  }, i + 100));
  await page.close();
}
// A teacher's practice link: from opening it to its first problem's figure drawn.
const practice = [];
for (let i = 0; i < runs; ++i) {
  const { page } = await openPage(browser, "practice&types=47-51&layout=2x2&seed=" + (i + 1));
  practice.push(await page.evaluate(() => window.pelkano.firstPreviewAt));
  await page.close();
}
await close();
const size = statSync(process.env.PELKANO_HTML).size;
console.log(`pelkano.html: ${(size / 1048576).toFixed(2)} MB (${size} bytes)`);
console.log(`open to first preview drawn: median ${median(opened).toFixed(0)} ms of ${runs} (${opened.map((t) => t.toFixed(0)).join(", ")})`);
console.log(`class set of 30 sheets with answers ready to print: median ${median(classSet).toFixed(0)} ms of ${runs} (${classSet.map((t) => t.toFixed(0)).join(", ")})`);
console.log(`practice link to its figure drawn: median ${median(practice).toFixed(0)} ms of ${runs} (${practice.map((t) => t.toFixed(0)).join(", ")})`);
