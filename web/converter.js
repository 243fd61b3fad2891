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
  const give = (text) => {
    const at = m._zolm_input(text.length) >> 1;
    if (bytes.length < text.length) bytes = new Uint8Array(text.length * 2);
    const { read, written } = encoder.encodeInto(text, bytes.subarray(0, text.length));
    const heap = m.HEAPU16;
    if (read === text.length && written === text.length) {
      heap.set(bytes.subarray(0, written), at);
      return;
    }
    for (let i = 0; i < text.length; ++i) heap[at + i] = text.charCodeAt(i);
  };
  const utf8 = (pointer) => {
    const bytes = m.HEAPU8;
    let end = pointer;
    while (bytes[end] !== 0) ++end;
    return new TextDecoder().decode(bytes.subarray(pointer, end));
  };
  const form = JSON.parse(utf8(m._zolm_form()));
  return {
    // The form table: title, sizes in twips, controls in tab order, fields.
    form,
    setText(field, text) {
      give(text);
      m._zolm_set_text(field);
    },
    text: (field) => take(m._zolm_text(field)),
    textLength: (field) => m._zolm_text_length(field),
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
    written: () => m._zolm_written(),
    focusArrived: (control, byMousePress) => m._zolm_focus_arrived(control, byMousePress ? 1 : 0) !== 0,
    runFocusRule: (control) => m._zolm_run_focus_rule(control),
    buttonReleased: (control, dragged) => m._zolm_button_released(control, dragged ? 1 : 0) !== 0,
    contextMenu: (control) => m._zolm_context_menu(control) !== 0,
    doubleClicked: (control) => m._zolm_double_clicked(control) !== 0,
    // A Convert on the fields given with setText since the last convert
    // (bits 1 << field in `given`): null, or its failure; undefined when
    // the command needs the other fields too. written() tells which fields
    // it wrote.
    convert(control, given) {
      const number = m._zolm_convert(control, given);
      if (number === 0) return null;
      if (number < 0) return undefined;
      const field = m._zolm_failure_field();
      return {
        number,
        description: utf8(m._zolm_failure_description()),
        field: field < 0 ? null : field,
        code: take(m._zolm_failure_code()),
        start: m._zolm_failure_start(),
        length: m._zolm_failure_length(),
        report: take(m._zolm_failure_report()),
      };
    },
  };
}
