// The page's undo history of one box (web/undo.js), step by step.
import { test } from "node:test";
import assert from "node:assert/strict";
import { createRequire } from "node:module";

const { BoxHistory } = createRequire(import.meta.url)("../../web/undo.js");
const at = (value, start = value.length, end = start) => ({ value, start, end });

test("undo and redo walk the steps a box went through", () => {
  // Each row: what happens, then the box's value after undo/redo as far as
  // they go, from the last state.
  const table = [
    { name: "a run of typing is one step", edits: [["", "insertText"], ["a", "insertText"], ["ab", "insertText"]],
      now: "abc", undo: [""] },
    { name: "a caret move ends the run", edits: [["", "insertText"], ["a", "insertText", "end"], ["ab", "insertText"]],
      now: "abc", undo: ["ab", ""] },
    { name: "a deletion is a step of its own", edits: [["", "insertText"], ["a", "deleteContentBackward"]],
      now: "", undo: ["a", ""] },
    { name: "a paste is a step of its own", edits: [["", "insertText"], ["a", "paste"], ["a1 2", "insertText"]],
      now: "a1 23", undo: ["a1 2", "a", ""] },
  ];
  for (const row of table) {
    const h = new BoxHistory();
    for (const [value, type, end] of row.edits) {
      if (type === "paste") h.record(at(value));
      else h.edited(at(value), type, value.length + (type === "insertText" ? 1 : -1));
      if (end) h.endTyping();
    }
    const back = [];
    let current = at(row.now);
    for (let to; (to = h.step(true, current)) !== null; current = to) back.push(to.value);
    assert.deepEqual(back, row.undo, row.name);
    const forward = [];
    for (let to; (to = h.step(false, current)) !== null; current = to) forward.push(to.value);
    assert.deepEqual(forward, [...row.undo.slice(0, -1).reverse(), row.now], row.name);
  }
});

test("a new edit ends redo, and clear forgets every step", () => {
  const h = new BoxHistory();
  h.edited(at(""), "insertText", 1);
  assert.equal(h.step(true, at("a")).value, "");
  h.edited(at(""), "insertText", 1);
  assert.equal(h.step(false, at("b")), null);
  h.clear();
  assert.equal(h.step(true, at("b")), null);
});
