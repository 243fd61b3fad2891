// The page: the form built from the engine's form table, each click and
// focus change handed to the engine's controller, as the windows do.
"use strict";
(async () => {
  const engine = zolmBind(await createZolmEngine());
  const { form } = engine;
  const page = document.getElementById("form");
  const dialog = document.getElementById("report");
  const reportText = document.getElementById("report-text");
  const controls = [];

  // What the engine wrote into a box, and what the box made of it: a box
  // may normalize line breaks or drop codes, and as long as the user has
  // not changed it since, its text is what was written.
  const written = new WeakMap();
  const textOf = (box) => {
    const last = written.get(box);
    return last && last.shown === box.value ? last.text : box.value;
  };
  const show = (box, text) => {
    if (textOf(box) === text) return;
    box.value = text;
    written.set(box, { text, shown: box.value });
    // A row written by Convert shows its start.
    box.setSelectionRange(0, 0);
    box.scrollLeft = 0;
  };
  const boxes = () => controls.filter((c) => c.field !== null);
  const copyIn = (control) => engine.setText(control.field, textOf(control.element));
  const copyOut = () => boxes().forEach((c) => show(c.element, engine.text(c.field)));
  const select = (control) => {
    const [start, length] = engine.selection(control.field);
    control.element.setSelectionRange(start, start + length);
  };

  // Places: the table's twips at 96 dots per inch, where the window's font
  // is 11 pixels high; here 11 pixels are one em of the page's font, so the
  // form keeps its proportions and grows with the text size. Narrow
  // screens stack the rows.
  const em = (twips) => twips / 15 / 11;
  const firstBox = form.controls.find((c) => c.kind === "textbox");
  const pitch = form.controls.filter((c) => c.kind === "textbox")[2].top - firstBox.top;
  const buttonLeft = form.controls.find((c) => c.kind === "button").left;
  page.style.setProperty("--width", em(form.clientWidth));
  page.style.setProperty("--height", em(form.clientHeight));

  form.controls.forEach((c, index) => {
    let element;
    if (c.kind === "textbox") {
      // The Ascii row keeps every code, line breaks included: a one-line
      // textarea rather than an input, which drops CR and LF.
      element = document.createElement(c.name === "tAsc" ? "textarea" : "input");
      if (element.tagName === "TEXTAREA") {
        element.rows = 1;
        element.wrap = "off";
      } else {
        element.type = "text";
      }
      element.spellcheck = false;
      element.autocomplete = "off";
      element.setAttribute("autocapitalize", "off");
      element.setAttribute("autocorrect", "off");
    } else if (c.kind === "button") {
      element = document.createElement("button");
      element.type = "button";
      element.textContent = c.caption;
    } else {
      element = document.createElement("span");
      element.textContent = c.caption;
    }
    if (c.accessibleName) element.setAttribute("aria-label", c.accessibleName);
    element.id = c.name;
    element.className = c.kind;
    const row = Math.round((c.top - firstBox.top) / pitch);
    const beside = c.kind === "textbox" && c.left > buttonLeft;
    const style = element.style;
    style.setProperty("--x", em(c.left));
    style.setProperty("--y", em(c.top));
    style.setProperty("--w", em(c.width));
    style.setProperty("--h", em(c.height));
    style.setProperty("--row", 3 * row + (c.kind === "label" ? 1 : c.kind === "textbox" ? 2 : 3));
    style.setProperty("--column", beside ? "2" : c.kind === "textbox" && row === 0 ? "1" : "1 / -1");
    page.append(element);
    controls.push({ element, index, field: c.field, kind: c.kind });
  });

  // The fragment holds the source row, its text and the radix; it never
  // leaves the browser.
  const rowNames = { tCus: "custom", tHex: "hex", tAsc: "ascii", tDec: "decimal" };
  const buttonOfRow = { tCus: "cus", tHex: "hex", tAsc: "ascc", tDec: "dec" };
  const named = (name) => controls[form.controls.findIndex((c) => c.name === name)];
  const remember = (button) => {
    const source = Object.keys(buttonOfRow).find((f) => buttonOfRow[f] === form.controls[button].name);
    const address = new URLSearchParams({
      from: rowNames[source],
      text: textOf(named(source).element),
      radix: textOf(named("tBase").element),
    });
    try {
      history.replaceState(null, "", "#" + address.toString().replace(/\+/g, "%20"));
    } catch {
      // An address that can't change (a sandboxed frame) keeps the old one.
    }
  };
  const recall = () => {
    const address = new URLSearchParams(location.hash.slice(1));
    const source = Object.keys(rowNames).find((f) => rowNames[f] === address.get("from"));
    if (!source || !address.has("text")) return;
    show(named(source).element, address.get("text"));
    if (address.has("radix")) show(named("tBase").element, address.get("radix"));
    boxes().forEach(copyIn);
    engine.click(named(buttonOfRow[source]).index);
    copyOut();
  };

  // A report, then the selection the controller asked for.
  let afterReport = null;
  dialog.addEventListener("close", () => {
    const then = afterReport;
    afterReport = null;
    if (then) then();
  });
  const report = (text, then) => {
    reportText.textContent = text;
    afterReport = then;
    dialog.showModal();
  };

  let pressed = null;
  for (const control of controls) {
    const { element, index, kind } = control;
    element.addEventListener("focus", () => {
      // Closing a report gives the focus back to its button for a moment;
      // the window's focus goes to the failing box, below.
      if (afterReport) return;
      if (engine.focusArrived(index, pressed === element)) {
        setTimeout(() => {
          if (document.activeElement !== element) return;
          copyIn(control);
          engine.runFocusRule(index);
          select(control);
        });
      }
    });
    if (kind === "button") {
      element.addEventListener("click", () => {
        boxes().forEach(copyIn);
        const { report: text, selection } = engine.click(index);
        copyOut();
        if (!text) {
          remember(index);
          return;
        }
        report(text, () => {
          if (!selection) return;
          const box = controls[selection.control].element;
          box.focus();
          box.setSelectionRange(selection.start, selection.start + selection.length);
        });
      });
      continue;
    }
    if (kind !== "textbox") continue;
    let downX = 0;
    let downY = 0;
    element.addEventListener("pointerdown", (event) => {
      if (event.button !== 0) return;
      pressed = element;
      downX = event.clientX;
      downY = event.clientY;
    });
    element.addEventListener("pointerup", (event) => {
      if (event.button !== 0 || pressed !== element) return;
      pressed = null;
      const dragged = Math.abs(event.clientX - downX) >= 4 || Math.abs(event.clientY - downY) >= 4;
      copyIn(control);
      if (engine.buttonReleased(index, dragged)) select(control);
    });
    element.addEventListener("dblclick", () => engine.doubleClicked(index));
    element.addEventListener("contextmenu", () => {
      copyIn(control);
      if (engine.contextMenu(index)) select(control);
    });
    // Return in a box does nothing; a line break never goes in.
    element.addEventListener("keydown", (event) => {
      if (event.key === "Enter") event.preventDefault();
    });
    element.addEventListener("beforeinput", (event) => {
      if (event.inputType === "insertLineBreak" || event.inputType === "insertParagraph") {
        event.preventDefault();
      }
    });
    // Pasted line breaks go in as spaces.
    element.addEventListener("paste", (event) => {
      const text = event.clipboardData && event.clipboardData.getData("text/plain");
      if (!text) return;
      event.preventDefault();
      const inserted = engine.insertedText(text);
      const { value, selectionStart: start, selectionEnd: end } = element;
      // As typing, so that undo takes it back; where the browser declines,
      // straight into the text.
      const typed = document.execCommand("insertText", false, inserted);
      if (!typed || element.value !== value.slice(0, start) + inserted + value.slice(end)) {
        element.value = value;
        element.setRangeText(inserted, start, end, "end");
      }
    });
  }
  document.addEventListener("pointerup", () => (pressed = null));

  copyOut();
  recall();
  window.addEventListener("hashchange", recall);
  document.body.classList.add("ready");
  controls[0].element.focus();
})();
