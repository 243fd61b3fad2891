// zolm.mjs under node: its rows and errors against the WebAssembly driver's
// answers for the same commands (the driver protocol runs the commands on
// all five fields), on a table of odd rows and on generated ones.
import { test } from "node:test";
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import { join, resolve } from "node:path";

const web = resolve(process.env.ZOLM_WEB ?? "../../build-web");
const { createConverter } = await import(join(web, "zolm.mjs"));
const FIELDS = { ascii: "tAsc", decimal: "tDec", hex: "tHex", custom: "tCus", radix: "tBase" };
const OPS = { ascii: "ascc", decimal: "dec", hex: "hex", custom: "cus" };

function driver(requests) {
  const run = spawnSync(process.execPath, [join(web, "zolm-driver.js")], {
    input: requests.map((r) => JSON.stringify(r)).join("\n") + "\n",
    maxBuffer: 1 << 28,
  });
  return run.stdout.toString().trimEnd().split("\n").map((line) => JSON.parse(line));
}

test("convert agrees with the driver", async () => {
  const zolm = await createConverter();
  const cases = [
    ["decimal", { decimal: "72 105" }],
    ["decimal", { decimal: "72 4A 105", ascii: "kept" }],
    ["decimal", { decimal: "72 233 105 33 255" }],
    ["ascii", { ascii: "\ud800A\u0000\r\n" }],
    ["ascii", { ascii: " \ud800A " }],
    ["ascii", { ascii: "" }],
    ["custom", { custom: "  101 102  ", radix: "8" }],
    ["custom", { custom: "1 2", radix: "x" }],
    ["hex", { hex: "48 FFFF", decimal: "old", custom: "old", ascii: "old" }],
    ["hex", { hex: " 41", radix: "-2" }],
  ];
  // Generated: codes of every kind in every row, radixes odd and plain.
  let seed = 7;
  const random = (n) => ((seed = (seed * 1103515245 + 12345) % 2147483648) % n);
  const pieces = ["0", "65", "255", "256", "-1", "4A", "ff", "1e3", "2.5", "", " ", "\u20ac", "7FFF", "zz"];
  for (let i = 0; i < 400; ++i) {
    const row = Object.keys(OPS)[random(4)];
    const rows = {};
    for (const name of Object.keys(OPS)) {
      rows[name] = Array.from({ length: random(6) }, () => pieces[random(pieces.length)]).join(" ");
    }
    rows.radix = ["16", "2", "36", "0", "-7", "1.5", "", "x"][random(8)];
    cases.push([row, rows]);
  }
  const initial = zolm.convert("ascii", {}).rows;
  const requests = cases.map(([row, rows]) => {
    const fields = {};
    for (const [name, field] of Object.entries(FIELDS)) {
      // A row left out holds what a new window shows.
      fields[field] = rows[name] ?? (name === "ascii" || name === "radix" ? initial[name] : undefined);
    }
    return { op: OPS[row], fields };
  });
  // The driver's start texts are a new window's too.
  const answers = driver(requests);
  cases.forEach(([row, rows], i) => {
    const got = zolm.convert(row, rows);
    const want = {};
    for (const [name, field] of Object.entries(FIELDS)) want[name] = answers[i].fields[field];
    assert.deepEqual(got.rows, want, JSON.stringify([row, rows]));
    assert.equal(got.error?.number ?? 0, answers[i].error, JSON.stringify([row, rows]));
    if (got.error) {
      const text = got.rows[got.error.row];
      assert.equal(text.slice(got.error.start, got.error.start + got.error.length), got.error.code);
      assert.match(got.error.report, new RegExp(`^Run-time error '${got.error.number}':\n\n`));
    }
  });
});

test("convert turns away what is not a row or not text", async () => {
  const zolm = await createConverter();
  const table = [
    ["radix", {}, RangeError, /row must be one of custom, hex, ascii, decimal/],
    ["ascii", { ascii: 5 }, TypeError, /rows\.ascii must be a string/],
    ["decimal", null, TypeError, /rows must be an object/],
    ["decimal", "72", TypeError, /rows must be an object/],
    ["decimal", ["72"], TypeError, /rows must be an object/],
    ["decimal", { Decimal: "65" }, TypeError, /no row named "Decimal"/],
  ];
  for (const [row, rows, type, message] of table) {
    assert.throws(() => zolm.convert(row, rows), (e) => e instanceof type && message.test(e.message),
                  JSON.stringify([row, rows]));
  }
});

test("codeRanges links a caret or selection to the same codes in every row", async () => {
  const zolm = await createConverter();
  const { rows } = zolm.convert("ascii", { ascii: "Hi\u0000!" });
  const table = [
    // A caret inside a code, on the space after it, and at the row's end.
    ["hex", 1, 1, { custom: [0, 2], hex: [0, 2], ascii: [0, 1], decimal: [0, 2] }],
    ["hex", 2, 2, { custom: [0, 2], hex: [0, 2], ascii: [0, 1], decimal: [0, 2] }],
    ["decimal", 11, 11, { custom: [9, 11], hex: [9, 11], ascii: [3, 4], decimal: [9, 11] }],
    // A selection of two characters, code 0 among them.
    ["ascii", 1, 3, { custom: [3, 8], hex: [3, 8], ascii: [1, 3], decimal: [3, 8] }],
  ];
  for (const [row, start, end, want] of table) {
    assert.deepEqual(zolm.codeRanges(rows, row, start, end), want, `${row} ${start}-${end}`);
  }
  assert.equal(zolm.codeRanges({ ...rows, decimal: "" }, "decimal", 0), null);
  assert.throws(() => zolm.codeRanges(rows, "radix", 0), RangeError);
});
