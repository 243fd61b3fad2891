// The web face's speed: zolm.mjs's convert against CyberChef's recipe for the
// same three rows, both in this node process, on the largest rows that
// convert (8191 codes; radix 16) and the start texts, the median of many runs
// each, each side's best of three rounds; then, where
// tests/web's puppeteer-core and Debian's Chromium are there, a click on
// Convert in the page at those rows until the next frame.
// Usage: node bench/web_bench.mjs CYBERCHEF_DIR [BUILD_WEB] [--no-click]
// (CYBERCHEF_DIR holds node_modules/cyberchef: npm install cyberchef@11.5.0
// --ignore-scripts there first). Compare ratios, not times: machines differ.
import { existsSync } from "node:fs";
import { createRequire } from "node:module";
import { join, resolve } from "node:path";

const [cyberchef, webArg] = process.argv.slice(2).filter((a) => !a.startsWith("--"));
const web = resolve(webArg ?? "build-web");
const { createConverter } = await import(join(web, "zolm.mjs"));
const zolm = await createConverter();

const op = async (name) =>
  new (await import(`${resolve(cyberchef)}/node_modules/cyberchef/src/core/operations/${name}.mjs`)).default();
const [toDec, fromDec, toHex, fromHex, toCc, fromCc] = await Promise.all(
  ["ToDecimal", "FromDecimal", "ToHex", "FromHex", "ToCharcode", "FromCharcode"].map(op));
const bytes = (s) => new TextEncoder().encode(s).buffer;
const text = (a) => String.fromCharCode(...a);
const chains = {
  ascii: (t) => [toDec.run(bytes(t), ["Space", false]), toHex.run(bytes(t), ["Space", 0]), toCc.run(t, ["Space", 16])],
  decimal: (d) => {
    const t = text(fromDec.run(d, ["Space", false]));
    return [t, toHex.run(bytes(t), ["Space", 0]), toCc.run(t, ["Space", 16])];
  },
  hex: (h) => {
    const t = text(fromHex.run(h, ["Space"]));
    return [toDec.run(bytes(t), ["Space", false]), toCc.run(t, ["Space", 16]), t];
  },
  custom: (c) => {
    const s = text(new Uint8Array(fromCc.run(c, ["Space", 16])));
    return [toDec.run(bytes(s), ["Space", false]), s, toHex.run(bytes(s), ["Space", 0])];
  },
};

let big = "";
for (let i = 0; i < 8191; i++) big += String.fromCharCode(100 + ((i * 7) % 27));
const rows = zolm.convert("ascii", { ascii: big, radix: "16" }).rows;
if (zolm.convert("decimal", rows).error) throw new Error("the largest rows do not convert");

function median(f, runs) {
  for (let i = 0; i < 10; i++) f();
  const times = [];
  for (let i = 0; i < runs; i++) {
    const t0 = process.hrtime.bigint();
    f();
    times.push(Number(process.hrtime.bigint() - t0) / 1000);
  }
  return times.sort((a, b) => a - b)[times.length >> 1];
}
// Short calls are timed in batches, a call's share of each.
function medianOfBatch(f, runs, batch) {
  return median(() => {
    for (let i = 0; i < batch; i++) f();
  }, runs) / batch;
}
// Each side's best of three rounds: the machine is shared and noisy.
const best = (f) => Math.min(f(), f(), f());
const start = zolm.convert("ascii", {}).rows;
for (const [which, texts, time] of [
  ["largest", rows, (f) => median(f, 201)],
  ["start", start, (f) => medianOfBatch(f, 101, 200)],
]) {
  for (const row of ["ascii", "decimal", "hex", "custom"]) {
    const ours = best(() => time(() => zolm.convert(row, texts)));
    const theirs = best(() => time(() => chains[row](texts[row])));
    const digits = which === "start" ? 2 : 0;
    console.log(`${which.padEnd(8)} ${row.padEnd(8)} zolm.mjs ${ours.toFixed(digits).padStart(6)} us  ` +
                `CyberChef ${theirs.toFixed(digits).padStart(6)} us  ${(theirs / ours).toFixed(1)}x`);
  }
}

// A click at the largest rows, in Chromium, to the frame after it (not with
// --no-click).
const require = createRequire(join(resolve("tests/web"), "package.json"));
if (!process.argv.includes("--no-click") && existsSync("/usr/bin/chromium") &&
    existsSync(resolve("tests/web/node_modules/puppeteer-core"))) {
  const puppeteer = (await import(require.resolve("puppeteer-core"))).default;
  const browser = await puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--no-first-run", "--disable-background-networking", "--disable-sync"],
  });
  const page = await browser.newPage();
  await page.goto("file://" + join(web, "zolm-converter.html"));
  await page.waitForSelector("body.ready");
  for (const [row, label, button] of [
    ["ascii", "Ascii text", "Convert Ascii text"],
    ["decimal", "Decimal codes", "Convert decimal codes"],
    ["hex", "Hex codes", "Convert hex codes"],
    ["custom", "Custom codes", "Convert custom codes"],
  ]) {
    const times = await page.evaluate(async (source, label, button) => {
      const frame = () => new Promise((r) => requestAnimationFrame(() => setTimeout(r)));
      const box = document.querySelector(`[aria-label="${label}"]`);
      const out = [];
      for (let i = 0; i < 11; i++) {
        // Every other row changes at each click: the boxes are rewritten.
        for (const other of document.querySelectorAll("input, textarea")) if (other !== box) other.value = "";
        box.value = source;
        await frame();
        const t0 = performance.now();
        document.querySelector(`[aria-label="${button}"]`).click();
        await frame();
        out.push(performance.now() - t0);
      }
      return out.sort((a, b) => a - b);
    }, rows[row], label, button);
    console.log(`${row.padEnd(8)} click to next frame in Chromium: median ${times[5].toFixed(1)} ms, ` +
                `worst ${times[10].toFixed(1)} ms`);
  }
  await browser.close();
}
