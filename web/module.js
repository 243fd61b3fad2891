// zolm.mjs: the engine as an ES module, for browsers and node.
//
//   import { createConverter } from "./zolm.mjs";
//   const zolm = await createConverter();
//   const r = zolm.convert("decimal", { custom: "", radix: "16", hex: "", ascii: "",
//                                       decimal: "72 105" });
//   r.rows   // { custom, radix, hex, ascii, decimal }: the texts as the command left them
//   r.error  // null, or { number, description, row, code, start, length, report }
//
// A row left out of `rows` holds what a new window shows in it. `row` names
// the failing row ("radix" for the radix field); `start` and `length` index
// the failing text in it in UTF-16 units; `report` is the window's report
// text. Each converter holds its own engine; calls on one run one at a time.

const ROWS = { ascii: "tAsc", decimal: "tDec", hex: "tHex", custom: "tCus", radix: "tBase" };
const BUTTONS = { ascii: "ascc", decimal: "dec", hex: "hex", custom: "cus" };

export async function createConverter() {
  const engine = zolmBind(await createZolmEngine());
  const fieldOf = (row) => engine.form.fields.indexOf(ROWS[row]);
  const rowOf = (field) =>
    Object.keys(ROWS).find((row) => ROWS[row] === engine.form.fields[field]);
  const buttonOf = (row) => engine.form.controls.findIndex((c) => c.name === BUTTONS[row]);
  const initial = {};
  for (const name of Object.keys(ROWS)) initial[name] = engine.text(fieldOf(name));
  return {
    convert(row, rows = {}) {
      if (!Object.hasOwn(BUTTONS, row)) {
        throw new RangeError(`row must be one of ${Object.keys(BUTTONS).join(", ")}`);
      }
      const given = {};
      for (const name of Object.keys(ROWS)) {
        const text = rows[name] ?? initial[name];
        if (typeof text !== "string") throw new TypeError(`rows.${name} must be a string`);
        given[name] = text;
      }
      // The source row and the radix are all a command reads before it
      // writes; the others go in only if it asks for them.
      const button = buttonOf(row);
      for (const name of [row, "radix"]) engine.setText(fieldOf(name), given[name]);
      let failure = engine.convert(button, (1 << fieldOf(row)) | (1 << fieldOf("radix")));
      if (failure === undefined) {
        for (const name of Object.keys(ROWS)) engine.setText(fieldOf(name), given[name]);
        failure = engine.convert(button, 0b11111);
      }
      const written = engine.written();
      const texts = {};
      for (const name of Object.keys(ROWS)) {
        const field = fieldOf(name);
        if ((written & (1 << field)) === 0) {
          texts[name] = given[name];
        } else if (name === row && engine.textLength(field) === given[name].length) {
          // The source is only trimmed: as long as it was, it is unchanged.
          texts[name] = given[name];
        } else {
          texts[name] = engine.text(field);
        }
      }
      if (failure === null) return { rows: texts, error: null };
      const { number, description, field, code, start, length, report } = failure;
      return {
        rows: texts,
        error: { number, description, row: field === null ? null : rowOf(field), code, start, length, report },
      };
    },
  };
}
