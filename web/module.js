// zolm.mjs: the engine as an ES module, for browsers and node.
//
//   import { createConverter } from "./zolm.mjs";
//   const zolm = await createConverter();
//   const r = zolm.convert("decimal", { custom: "", radix: "16", hex: "", ascii: "",
//                                       decimal: "72 105" });
//   r.rows   // { custom, radix, hex, ascii, decimal }: the texts as the command left them
//   r.error  // null, or { number, description, row, code, start, length, report }
//
// A row left out of `rows` holds what a new window shows in it.
//
//   zolm.codeRanges(r.rows, "hex", 3, 3)
//     // { custom: [3, 5], hex: [3, 5], ascii: [1, 2], decimal: [3, 6] }
//
// gives, for the caret or selection [start, end) in one row (UTF-16 units),
// where the codes it covers stand in each of the four rows, as Convert left
// them linked code by code; null for a row holding none of them, and null
// for all when the row has no codes. `row` names
// the failing row ("radix" for the radix field); `start` and `length` index
// the failing text in it in UTF-16 units; `report` is the window's report
// text. Each converter holds its own engine; calls on one run one at a time.

export async function createConverter() {
  const engine = zolmBind(await createZolmEngine());
  const { form } = engine;
  // The rows by name, in the engine's form: each row's field and button;
  // the radix is a field of its own.
  const FIELDS = { radix: form.fields.indexOf("tBase") };
  const BUTTONS = {};
  for (const row of form.rows) {
    FIELDS[row.name] = row.field;
    BUTTONS[row.name] = form.controls.findIndex((c) => c.name === row.button);
  }
  const NAMES = Object.keys(FIELDS);
  const fieldOf = (row) => FIELDS[row];
  const rowOf = (field) => NAMES.find((name) => FIELDS[name] === field);
  const initial = {};
  for (const name of NAMES) initial[name] = engine.text(fieldOf(name));
  // The rows' names are the module's API (index.d.ts): named here one by
  // one, so that a call reads and writes them as plain properties, which
  // costs a short row's call less than the engine's work.
  if (NAMES.join() !== "radix,custom,hex,ascii,decimal") {
    throw new Error(`the engine's rows are ${NAMES.join(", ")}`);
  }
  const [RADIX, CUSTOM, HEX, ASCII, DECIMAL] = NAMES.map(fieldOf);
  const textOf = (text, name) => {
    if (text === undefined) return initial[name];
    if (typeof text !== "string") throw new TypeError(`rows.${name} must be a string`);
    return text;
  };
  const isRowName = (key) => {
    switch (key) {
      case "radix":
      case "custom":
      case "hex":
      case "ascii":
      case "decimal":
        return true;
      default:
        return false;
    }
  };
  // Each row's text from `rows`, a new window's where left out, checked.
  const textsOf = (rows) => {
    if (rows === null || typeof rows !== "object" || Array.isArray(rows)) {
      throw new TypeError(`rows must be an object of texts by row name (${NAMES.join(", ")})`);
    }
    const texts = {
      radix: textOf(rows.radix, "radix"),
      custom: textOf(rows.custom, "custom"),
      hex: textOf(rows.hex, "hex"),
      ascii: textOf(rows.ascii, "ascii"),
      decimal: textOf(rows.decimal, "decimal"),
    };
    // Each own enumerable name, as Object.keys gives them, without the array.
    for (const key in rows) {
      if (!isRowName(key) && Object.hasOwn(rows, key)) {
        throw new TypeError(`rows has no row named ${JSON.stringify(key)}; rows are ${NAMES.join(", ")}`);
      }
    }
    return texts;
  };
  // Over `texts`, what a command wrote (by field; undefined where nothing).
  const update = (texts, written) => {
    if (written[RADIX] !== undefined) texts.radix = written[RADIX];
    if (written[CUSTOM] !== undefined) texts.custom = written[CUSTOM];
    if (written[HEX] !== undefined) texts.hex = written[HEX];
    if (written[ASCII] !== undefined) texts.ascii = written[ASCII];
    if (written[DECIMAL] !== undefined) texts.decimal = written[DECIMAL];
  };
  return {
    codeRanges(rows, row, start, end = start) {
      if (!Object.hasOwn(BUTTONS, row)) {
        throw new RangeError(`row must be one of ${Object.keys(BUTTONS).join(", ")}`);
      }
      if (!Number.isInteger(start) || !Number.isInteger(end)) {
        throw new TypeError("start and end must be whole numbers of UTF-16 units");
      }
      const texts = textsOf(rows);
      for (const name of NAMES) engine.setText(fieldOf(name), texts[name]);
      const ranges = engine.codeRanges(fieldOf(row), start, end);
      if (ranges === null) return null;
      const out = {};
      for (const name of Object.keys(BUTTONS)) out[name] = ranges[fieldOf(name)];
      return out;
    },
    convert(row, rows = {}) {
      if (!Object.hasOwn(BUTTONS, row)) {
        throw new RangeError(`row must be one of ${Object.keys(BUTTONS).join(", ")}`);
      }
      // Each row's text, then what the command wrote over it.
      const texts = textsOf(rows);
      const { texts: written, failure } = engine.convert(BUTTONS[row], texts[row], texts.radix);
      update(texts, written);
      if (failure === null) return { rows: texts, error: null };
      const { number, description, field, code, start, length, report } = failure;
      return {
        rows: texts,
        error: { number, description, row: field === null ? null : rowOf(field), code, start, length, report },
      };
    },
  };
}
