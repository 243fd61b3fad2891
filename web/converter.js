// The engine's calls in JavaScript's terms, shared by the page and zolm.mjs.
// Texts cross as UTF-16 units, one by one, so that every JavaScript string
// (lone surrogates and code 0 included) arrives and returns unchanged.
function zolmBind(m) {
  // The decoder stands U+FFFD for a lone surrogate: a text with U+FFFD in
  // it is read unit by unit instead.
  const decoder = new TextDecoder("utf-16le");
  const read = (pointer, length) => {
    const units = m.HEAPU16.subarray(pointer >> 1, (pointer >> 1) + length);
    const decoded = decoder.decode(units);
    if (!decoded.includes("\uFFFD")) return decoded;
    let text = "";
    for (let i = 0; i < length; i += 8192) {
      text += String.fromCharCode.apply(null, units.subarray(i, i + 8192));
    }
    return text;
  };
  const take = (pointer) => read(pointer, m._zolm_output_length());
  // ASCII, the usual text, goes in through the encoder's bytes, widened;
  // anything else unit by unit.
  const encoder = new TextEncoder();
  let bytes = new Uint8Array(1024);
  const give = (text, more = "") => {
    const length = text.length + more.length;
    const at = m._zolm_input(length) >> 1;
    if (length <= 64) {
      // Short texts unit by unit: the encoder's call costs more. Two texts
      // go in one after the other, never joined (a joined string is copied
      // flat at its first read).
      const heap = m.HEAPU16;
      for (let i = 0; i < text.length; ++i) heap[at + i] = text.charCodeAt(i);
      for (let i = 0; i < more.length; ++i) heap[at + text.length + i] = more.charCodeAt(i);
      return;
    }
    text += more;
    if (bytes.length < text.length) bytes = new Uint8Array(text.length * 2);
    const { read, written } = encoder.encodeInto(text, bytes.subarray(0, text.length));
    const heap = m.HEAPU16;
    if (read === text.length && written === text.length) {
      heap.set(bytes.subarray(0, written), at);
      return;
    }
    for (let i = 0; i < text.length; ++i) heap[at + i] = text.charCodeAt(i);
  };
  // The rows of codes come back as ASCII bytes: a UTF-8 decoder reads them
  // several times faster than UTF-16.
  const asciiDecoder = new TextDecoder();
  const utf8 = (pointer) => {
    const bytes = m.HEAPU8;
    let end = pointer;
    while (bytes[end] !== 0) ++end;
    return new TextDecoder().decode(bytes.subarray(pointer, end));
  };
  const form = JSON.parse(utf8(m._zolm_form()));
  const fieldCount = form.fields.length;
  // zolm_convert's result stays where it is; memory that grows only moves
  // the views over it.
  const resultAt = m._zolm_result() >> 2;
  return {
    // The form table: title, sizes in twips, controls in tab order, fields.
    form,
    setText(field, text) {
      give(text);
      m._zolm_set_text(field);
    },
    text: (field) => take(m._zolm_text(field)),
    // The same as a box of the page shows it: codes 0, 10 and 13 as their
    // pictures, which it reads back as the codes.
    setShownText(field, text) {
      give(text);
      m._zolm_set_shown_text(field);
    },
    shownText: (field) => take(m._zolm_shown_text(field)),
    capitalDigits: () => m._zolm_capital_digits() !== 0,
    // The codes the selection [start, end) of `field`'s row covers, as a
    // range [start, end] in each field's row (null where it holds none of
    // them), by field; null when that row has no codes. Rows as set.
    codeRanges(field, start, end) {
      if (m._zolm_code_ranges(field, start, end) === 0) return null;
      const at = m._zolm_code_range() >> 2;
      return form.fields.map((_, f) => {
        const range = m.HEAP32.subarray(at + 2 * f, at + 2 * f + 2);
        return range[0] < 0 ? null : [range[0], range[1]];
      });
    },
    selection: (field) => [m._zolm_sel_start(field), m._zolm_sel_length(field)],
    insertedText(text) {
      give(text);
      return take(m._zolm_inserted_text());
    },
    // A click on the button with tab index `control`: the report to show
    // ("" for none) and the selection to make after it (null for none).
    click(control) {
      m._zolm_click(control);
      const box = m._zolm_selection_control();
      return {
        report: take(m._zolm_report()),
        selection:
          box < 0
            ? null
            : { control: box, start: m._zolm_selection_start(), length: m._zolm_selection_length() },
      };
    },
    // Undo (`back`) or redo of the last Convert or undo: true when the
    // fields changed, to be copied out.
    stepConverts: (back) => m._zolm_step_converts(back ? 1 : 0) !== 0,
    // The code line for the caret or selection [start, end) of the text box
    // with tab index `control` ("" while the rows are not linked).
    codeLine: (control, start, end) => take(m._zolm_code_line(control, start, end)),
    // What the boxes mark for the caret or selection [start, end) of the
    // text box with tab index `control` (-1 for none): `linked`, by field,
    // the same codes' range [start, end) in its row (null for none), and
    // `noCode`, the Ascii row's runs of characters without a code.
    codeMarks(control, start, end) {
      const at = m._zolm_code_marks(control, start, end) >> 2;
      const heap = m.HEAP32;
      const pair = (i) => [heap[i], heap[i + 1]];
      const linked = form.fields.map((_, f) => (heap[at + 2 * f] < 0 ? null : pair(at + 2 * f)));
      const runs = at + 2 * fieldCount;
      const noCode = [];
      for (let i = 0; i < heap[runs]; ++i) noCode.push(pair(runs + 1 + 2 * i));
      return { linked, noCode };
    },
    // The fill and the line to mark with over a box of colour `box` with
    // text of colour `text`, each 0xRRGGBB.
    markColours(box, text) {
      const at = m._zolm_mark_colours(box, text) >> 2;
      return [m.HEAP32[at] >>> 0, m.HEAP32[at + 1] >>> 0];
    },
    focusArrived: (control, byMousePress) => m._zolm_focus_arrived(control, byMousePress ? 1 : 0) !== 0,
    runFocusRule: (control) => m._zolm_run_focus_rule(control),
    buttonReleased: (control, dragged) => m._zolm_button_released(control, dragged ? 1 : 0) !== 0,
    contextMenu: (control) => m._zolm_context_menu(control) !== 0,
    doubleClicked: (control) => m._zolm_double_clicked(control) !== 0,
    // A Convert of the button with tab index `control`, given the text of
    // its own row `source` and the radix, the two it reads. Gives
    // `texts`, what it wrote by field (undefined where it wrote nothing,
    // `source` itself where the source row is as given), and `failure`:
    // null, or the error with its parts.
    convert(control, source, radix) {
      give(source, radix);
      const number = m._zolm_convert(control, source.length);
      // Read straight off the header: a call on a short row costs little
      // more than these reads.
      const header = m.HEAP32;
      const at = resultAt;
      const written = header[at];
      let total = 0;
      for (let field = 0; field < fieldCount; ++field) {
        const length = header[at + 2 + field];
        if (length > 0) total += length;
      }
      const from = header[at + 1];
      const ascii = total > 0 ? asciiDecoder.decode(new Uint8Array(m.HEAPU8.buffer, from, total)) : "";
      const texts = new Array(fieldCount);
      let offset = 0;
      for (let field = 0; field < fieldCount; ++field) {
        if ((written & (1 << field)) === 0) continue;
        const length = header[at + 2 + field];
        if (length >= 0) {
          texts[field] = ascii.slice(offset, offset + length);
          offset += length;
        } else {
          texts[field] = length === -2 ? source : take(m._zolm_text(field));
        }
      }
      if (number === 0) return { texts, failure: null };
      const field = m._zolm_failure_field();
      return {
        texts,
        failure: {
          number,
          description: utf8(m._zolm_failure_description()),
          field: field < 0 ? null : field,
          code: take(m._zolm_failure_code()),
          start: m._zolm_failure_start(),
          length: m._zolm_failure_length(),
          report: take(m._zolm_failure_report()),
        },
      };
    },
  };
}
