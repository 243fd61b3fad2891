// The npm package as a user gets it: the packed tarball installed into an
// empty folder (ZOLM_NPM_INSTALL, made by tools/web.sh), then used the four
// ways its README gives: imported in node, refused by require (ES module
// only), the zolm command through npx, and bundled by esbuild for a page in
// Chromium; its types checked by tsc on a small typed example.
import { test } from "node:test";
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import { existsSync, readFileSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";
import { join } from "node:path";
import puppeteer from "puppeteer-core";

const folder = process.env.ZOLM_NPM_INSTALL;
const skip = !folder && "ZOLM_NPM_INSTALL names no installed package";
const require = createRequire(import.meta.url);
const run = (command, args, input = "") =>
  spawnSync(command, args, { cwd: folder, input, encoding: "utf8", timeout: 60000 });

test("the package works the ways its README gives", { skip }, async () => {
  // Imported from an ES module in node: one row, one error.
  const imported = run(process.execPath, ["--input-type=module", "-e", `
    import { createConverter } from "zolm-converter";
    const zolm = await createConverter();
    const ok = zolm.convert("decimal", { decimal: "72 105" });
    const bad = zolm.convert("hex", { hex: "48 1000" });
    console.log(JSON.stringify([ok.rows.ascii, ok.error, bad.error.number, bad.error.row]));`]);
  assert.equal(imported.stdout.trim(), JSON.stringify(["Hi", null, 6, "hex"]), imported.stderr);

  // require is refused with node's own word: the package is an ES module only.
  const required = run(process.execPath, ["-e", 'require("zolm-converter")']);
  assert.notEqual(required.status, 0);
  assert.match(required.stderr, /ERR_PACKAGE_PATH_NOT_EXPORTED|ERR_REQUIRE_ESM/);

  // The command, through npx as a user runs it.
  const table = [
    [["zolm", "--from", "ascii", "--to", "dec", "Hi"], "", "72 105\n", 0],
    [["zolm-converter", "--from", "dec", "--to", "ascii", "--each-line"], "72 105\n300\n", "Hi\n\n", 5],
    [["zolm", "--version"], "", `zolm ${JSON.parse(readFileSync(join(folder, "node_modules/zolm-converter/package.json"))).version}\n`, 0],
  ];
  for (const [args, input, out, status] of table) {
    const npx = run("npx", ["--no-install", ...args], input);
    assert.deepEqual([npx.stdout, npx.status], [out, status], args.join(" ") + ": " + npx.stderr);
  }

  // Typed: an example against the package's types.
  writeFileSync(join(folder, "example.mts"), `
    import { createConverter, type ConvertResult, type Row } from "zolm-converter";
    const zolm = await createConverter();
    const row: Row = "decimal";
    const result: ConvertResult = zolm.convert(row, { decimal: "72 105", radix: "16" });
    const ascii: string = result.rows.ascii;
    const where: string | null = result.error === null ? null : result.error.row;
    console.log(ascii, where);
    // @ts-expect-error: "radix" is no row to convert
    zolm.convert("radix");
  `);
  const tsc = run(process.execPath, [require.resolve("typescript/bin/tsc"), "--noEmit", "--strict",
    "--target", "es2022", "--module", "nodenext", "--moduleResolution", "nodenext", "example.mts"]);
  assert.equal(tsc.status, 0, tsc.stdout + tsc.stderr);

  // Bundled by esbuild for a browser page, in Chromium.
  writeFileSync(join(folder, "entry.mjs"), `
    import { createConverter } from "zolm-converter";
    const zolm = await createConverter();
    window.results = [zolm.convert("ascii", { ascii: "OK" }).rows.decimal,
                      zolm.convert("decimal", { decimal: "65 4A" }).error.report];`);
  const esbuild = require("esbuild");
  const bundle = esbuild.buildSync({
    entryPoints: [join(folder, "entry.mjs")], bundle: true, format: "esm", platform: "browser",
    external: ["node:module"], write: false, absWorkingDir: folder,
  }).outputFiles[0].text;
  if (!existsSync("/usr/bin/chromium")) return;
  const browser = await puppeteer.launch({
    headless: true, executablePath: "/usr/bin/chromium",
    args: ["--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
           "--disable-component-update", "--disable-sync"],
  });
  try {
    const page = await browser.newPage();
    await page.goto("about:blank");
    await page.addScriptTag({ content: bundle, type: "module" });
    await page.waitForFunction(() => window.results);
    assert.deepEqual(await page.evaluate(() => window.results),
                     ["79 75", "Run-time error '13':\n\nType mismatch\nDecimal row, code 2: \"4A\""]);
  } finally {
    await browser.close();
  }
});
