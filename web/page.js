// The page: the form built from the engine's form table, each click and
// focus change handed to the engine's controller, as the windows do.
"use strict";
(async () => {
  let engine;
  try {
    engine = zolmBind(await createZolmEngine());
  } catch {
    // No WebAssembly: turned off in the browser, or not allowed by the
    // site's security policy. The page says so instead of the form.
    document.getElementById("no-engine").hidden = false;
    return;
  }
  const { form } = engine;
  const page = document.getElementById("form");
  const dialog = document.getElementById("report");
  const reportText = document.getElementById("report-text");

  const controls = form.controls.map((c, index) => ({ ...c, index }));
  const named = (name) => controls.find((c) => c.name === name);
  const boxes = controls.filter((c) => c.field !== null);

  // Places: the table's twips at 96 dots per inch, where the window's font
  // is 11 pixels high; here 11 pixels are one em of the page's font, so the
  // form keeps its proportions and grows with the text size. Narrow
  // screens stack the rows.
  const em = (twips) => twips / 15 / 11;
  const firstBox = boxes[0];
  const pitch = named("tHex").top - named("tCus").top;
  const buttonLeft = controls.find((c) => c.kind === "button").left;
  page.style.setProperty("--width", em(form.clientWidth));
  page.style.setProperty("--height", em(form.clientHeight));

  for (const c of controls) {
    let element;
    if (c.kind === "textbox") {
      element = document.createElement("input");
      element.type = "text";
      element.spellcheck = false;
      element.autocomplete = "off";
      // Hex digits are capitals; lower-case letters are other digits.
      element.setAttribute("autocapitalize", c.name === "tHex" ? "characters" : "off");
      element.setAttribute("autocorrect", "off");
    } else if (c.kind === "button") {
      element = document.createElement("button");
      element.type = "button";
      element.textContent = c.caption;
    } else {
      element = document.createElement("span");
      element.textContent = c.caption;
    }
    if (c.accessibleName && c.kind !== "label") element.setAttribute("aria-label", c.accessibleName);
    element.id = c.name;
    element.className = c.kind;
    const row = Math.round((c.top - firstBox.top) / pitch);
    const beside = c.kind === "textbox" && c.left > buttonLeft;
    const style = element.style;
    style.setProperty("--x", em(c.left));
    style.setProperty("--y", em(c.top));
    style.setProperty("--w", em(c.width));
    style.setProperty("--h", em(c.height));
    // The code line has a line of its own under the credit when stacked.
    const place = c.name === "CodeLine" ? 2 : c.kind === "label" ? 1 : c.kind === "textbox" ? 2 : 3;
    style.setProperty("--row", 3 * row + place);
    style.setProperty("--column", beside ? "2" : c.kind === "textbox" && row === 0 ? "1" : "1 / -1");
    c.element = element;
  }
  // The focusable controls in tab order, each row's caption just before its
  // box: a screen reader reads the caption, then the box, and the box is
  // drawn over the part of the caption it covers. Other labels come last.
  const rowOfField = (field) => form.rows.find((r) => r.field === field);
  for (const c of controls) {
    if (c.kind === "label") continue;
    const row = c.kind === "textbox" && rowOfField(c.field);
    if (row) page.append(named(row.label).element);
    page.append(c.element);
  }
  for (const c of controls) if (!c.element.parentNode) page.append(c.element);

  const custom = named("tCus").element;
  const radix = named("tBase");
  const capitals = () =>
    custom.setAttribute("autocapitalize", engine.capitalDigits() ? "characters" : "off");

  // Undo and redo, box by box (undo.js); with none of the box's own left
  // that way, the Converts'.
  const state = (e) => ({ value: e.value, start: e.selectionStart, end: e.selectionEnd });
  for (const c of boxes) {
    c.history = new BoxHistory();
    c.before = null; // the box before the input under way
  }
  const step = (c, back) => {
    const to = c.history.step(back, state(c.element));
    if (to === null) {
      boxes.forEach(copyIn);
      if (engine.stepConverts(back)) {
        copyOut();
        capitals();
        showLinks();
      }
      return;
    }
    c.element.value = to.value;
    c.element.setSelectionRange(to.start, to.end);
  };

  // Texts cross with the engine as the boxes show them.
  const copyIn = (c) => engine.setShownText(c.field, c.element.value);
  const show = (c, text) => {
    if (c.element.value === text) return;
    c.element.value = text;
    c.history.clear();
    // A row written by Convert shows its start.
    c.element.setSelectionRange(0, 0);
    c.element.scrollLeft = 0;
  };
  const copyOut = () => boxes.forEach((c) => show(c, engine.shownText(c.field)));

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

  // The fragment holds the source row, its text and the radix; it never
  // leaves the browser.
  const remember = (button) => {
    const row = form.rows.find((r) => r.name === button.row);
    const address = new URLSearchParams({
      from: row.name,
      text: engine.text(row.field),
      radix: engine.text(radix.field),
    });
    try {
      history.replaceState(null, "", "#" + address.toString().replace(/\+/g, "%20"));
    } catch {
      // An address that can't change (a sandboxed frame) keeps the old one.
    }
  };

  // A Convert, from its button or from the address alike: the report if it
  // fails, then the failing code selected.
  const convert = (button) => {
    boxes.forEach(copyIn);
    const { report: text, selection } = engine.click(button.index);
    copyOut();
    capitals();
    showLinks();
    if (!text) {
      remember(button);
      return;
    }
    report(text, () => {
      if (!selection) return;
      const box = controls[selection.control].element;
      box.focus();
      box.setSelectionRange(selection.start, selection.start + selection.length);
    });
  };
  const recall = () => {
    const address = new URLSearchParams(location.hash.slice(1));
    const row = form.rows.find((r) => r.name === address.get("from"));
    if (!row || !address.has("text")) return;
    const source = boxes.find((c) => c.field === row.field);
    engine.setText(source.field, address.get("text"));
    show(source, engine.shownText(source.field));
    if (address.has("radix")) {
      engine.setText(radix.field, address.get("radix"));
      show(radix, engine.shownText(radix.field));
    }
    convert(named(row.button));
  };

  // Text pasted or dropped goes in as the engine inserts it (line breaks as
  // spaces), as one step to undo, the caret after it.
  const insert = (c, text, start, end) => {
    const inserted = engine.insertedText(text);
    c.history.record(state(c.element));
    c.element.setRangeText(inserted, start, end, "end");
  };
  const dropPlace = (element, event) => {
    const place = document.caretPositionFromPoint?.(event.clientX, event.clientY);
    if (place && place.offsetNode === element) return place.offset;
    // Elsewhere the place under the pointer in the box's monospace font.
    const style = getComputedStyle(element);
    const measure = document.createElement("canvas").getContext("2d");
    measure.font = style.font;
    const x =
      event.clientX - element.getBoundingClientRect().left - parseFloat(style.borderLeftWidth) -
      parseFloat(style.paddingLeft) + element.scrollLeft;
    return Math.max(0, Math.min(element.value.length, Math.round(x / measure.measureText("0").width)));
  };

  let pressed = null;
  let dropping = null;
  for (const c of controls) {
    const { element, index, kind } = c;
    element.addEventListener("focus", () => {
      // Closing a report gives the focus back to its button for a moment;
      // the window's focus goes to the failing box, below.
      if (afterReport) return;
      if (engine.focusArrived(index, pressed === element) && dropping !== element) {
        setTimeout(() => {
          if (document.activeElement !== element) return;
          copyIn(c);
          engine.runFocusRule(index);
          const [start, length] = engine.selection(c.field);
          element.setSelectionRange(start, start + length);
        });
      }
    });
    if (kind === "button") {
      element.addEventListener("click", () => convert(c));
      continue;
    }
    if (kind !== "textbox") continue;
    const select = () => {
      const [start, length] = engine.selection(c.field);
      element.setSelectionRange(start, start + length);
    };
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
      copyIn(c);
      if (engine.buttonReleased(index, dragged)) select();
    });
    element.addEventListener("dblclick", () => engine.doubleClicked(index));
    element.addEventListener("contextmenu", () => {
      copyIn(c);
      if (engine.contextMenu(index)) select();
    });

    // A key that moves the caret, or the pointer, ends a run of typing.
    element.addEventListener("pointerdown", () => c.history.endTyping());
    element.addEventListener("blur", () => c.history.endTyping());
    element.addEventListener("keydown", (event) => {
      const key = event.key.toLowerCase();
      if (event.key.length > 1) c.history.endTyping();
      if (!(event.ctrlKey || event.metaKey) || event.altKey) return;
      if (key === "z" || key === "y") {
        event.preventDefault();
        step(c, key === "z" && !event.shiftKey);
      }
    });
    element.addEventListener("beforeinput", (event) => {
      if (event.inputType === "historyUndo" || event.inputType === "historyRedo") {
        event.preventDefault();
        step(c, event.inputType === "historyUndo");
        return;
      }
      c.before = state(element);
    });
    element.addEventListener("input", (event) => {
      const before = c.before;
      c.before = null;
      if (before === null) return;
      c.history.edited(before, event.inputType, element.selectionEnd);
      if (c === radix) {
        copyIn(c);
        capitals();
      }
    });
    element.addEventListener("paste", (event) => {
      const text = event.clipboardData && event.clipboardData.getData("text/plain");
      if (!text) return;
      event.preventDefault();
      insert(c, text, element.selectionStart, element.selectionEnd);
    });
    element.addEventListener("drop", (event) => {
      const text = event.dataTransfer && event.dataTransfer.getData("text/plain");
      if (!text) return;
      event.preventDefault();
      const place = dropPlace(element, event);
      // The drop brings the focus; the caret stays after the text dropped.
      dropping = element;
      element.focus();
      dropping = null;
      insert(c, text, place, place);
    });
  }
  document.addEventListener("pointerup", () => (pressed = null));

  // The code line: the code at the caret while the rows are as the last
  // Convert left them. A screen reader hears it, politely, once the caret
  // rests, from a status of its own.
  const codeLine = named("CodeLine");
  codeLine.element.setAttribute("aria-hidden", "true");
  const status = document.createElement("div");
  status.setAttribute("role", "status");
  status.setAttribute("aria-label", codeLine.accessibleName);
  status.className = "unseen";
  page.after(status);
  let speak = 0;
  const showCodeLine = (c) => {
    const line = engine.codeLine(c.index, c.element.selectionStart, c.element.selectionEnd);
    if (codeLine.element.textContent === line) return;
    codeLine.element.textContent = line;
    clearTimeout(speak);
    speak = setTimeout(() => (status.textContent = line), 700);
  };

  // The codes linked to the caret's marked in the other rows, each scrolled
  // to them, and the Ascii row's characters without a code underlined:
  // drawn as the box's background, measured in its font, so that its text,
  // caret and selection stay its own.
  const measure = document.createElement("canvas").getContext("2d");
  const ascii = named("tAsc");
  const colour = (css) => {
    const [r, g, b] = css.match(/[\d.]+/g).map(Number);
    return (r << 16) | (g << 8) | b;
  };
  const markColours = () => {
    const style = getComputedStyle(ascii.element);
    const css = (n) => "#" + n.toString(16).padStart(6, "0");
    const [fill, line] = engine.markColours(colour(style.backgroundColor), colour(style.color));
    page.style.setProperty("--mark-fill", css(fill));
    page.style.setProperty("--mark-line", css(line));
  };
  const drawMarks = (c, mark, runs) => {
    const e = c.element;
    if (!mark && runs.length === 0) {
      e.style.backgroundImage = "";
      return;
    }
    const style = getComputedStyle(e);
    measure.font = style.font;
    const inset = parseFloat(style.paddingLeft);
    const room = e.clientWidth - inset - parseFloat(style.paddingRight);
    const width = (from, to) => measure.measureText(e.value.slice(from, to)).width;
    if (mark && e !== document.activeElement) {
      const left = width(0, mark[0]);
      const right = left + width(mark[0], mark[1]);
      if (left < e.scrollLeft) e.scrollLeft = left;
      else if (right > e.scrollLeft + room) e.scrollLeft = Math.min(left, right - room);
    }
    const images = [];
    const places = [];
    const sizes = [];
    const bar = "linear-gradient(var(--mark-line), var(--mark-line))";
    const draw = (left, right, filled) => {
      const x = `${inset + left - e.scrollLeft}px`;
      const w = `${right - left}px`;
      images.unshift(bar);
      places.unshift(`${x} calc(100% - 1px)`);
      sizes.unshift(`${w} 2px`);
      if (!filled) return;
      images.push("linear-gradient(var(--mark-fill), var(--mark-fill))");
      places.push(`${x} 0`);
      sizes.push(`${w} 100%`);
    };
    if (mark) {
      const left = width(0, mark[0]);
      draw(left, left + width(mark[0], mark[1]), true);
    }
    // Runs past what is in sight are not measured.
    let at = 0;
    let x = 0;
    for (const [start, end] of runs) {
      x += width(at, start);
      if (x > e.scrollLeft + room) break;
      const right = x + width(start, end);
      draw(x, right, false);
      at = end;
      x = right;
    }
    e.style.backgroundImage = images.join(",");
    e.style.backgroundPosition = places.join(",");
    e.style.backgroundSize = sizes.join(",");
  };
  const showLinks = () => {
    const c = boxes.find((b) => b.element === document.activeElement);
    boxes.forEach(copyIn);
    const { linked, noCode } = c
      ? engine.codeMarks(c.index, c.element.selectionStart, c.element.selectionEnd)
      : engine.codeMarks(-1, 0, 0);
    for (const b of boxes) {
      if (b !== radix) drawMarks(b, linked[b.field], b === ascii ? noCode : []);
    }
    if (c) showCodeLine(c);
  };
  document.addEventListener("selectionchange", showLinks);
  document.addEventListener("focusin", showLinks);
  for (const c of boxes) {
    for (const type of ["select", "keyup", "pointerup", "input", "scroll"]) c.element.addEventListener(type, showLinks);
  }
  for (const query of ["(prefers-color-scheme: dark)", "(forced-colors: active)"]) {
    matchMedia(query).addEventListener("change", () => {
      markColours();
      showLinks();
    });
  }
  markColours();

  copyOut();
  capitals();
  document.body.classList.add("ready");
  controls[0].element.focus();
  recall();
  window.addEventListener("hashchange", recall);
})();
