// One box's undo and redo on the page. A browser's own undo runs over the
// whole page in some engines, and would reach into a row the user is not
// in, so each box keeps its own: the states it was in before each step
// ({ value, start, end }), a run of typed characters being one step.
class BoxHistory {
  constructor() {
    this.clear();
  }

  // Forgets every step, as when a Convert rewrites the box.
  clear() {
    this.undo = [];
    this.redo = [];
    this.typing = -1; // the caret at the end of the run being typed, or -1
  }

  // A change from `before` that is a step of its own (a paste, a drop).
  record(before) {
    this.undo.push(before);
    this.redo = [];
    this.typing = -1;
  }

  // An edit of the box from `before` by an input of `inputType` that left
  // the caret at `caret`: a typed character right after the run being
  // typed joins that step.
  edited(before, inputType, caret) {
    const typed = inputType === "insertText";
    const joins = typed && before.start === before.end && this.typing === before.start;
    if (!joins) {
      this.undo.push(before);
      this.redo = [];
    }
    this.typing = typed ? caret : -1;
  }

  // A key that moves the caret, the pointer or leaving the box ends a run.
  endTyping() {
    this.typing = -1;
  }

  // The state to show for undo (`back`) or redo, the box being in
  // `current`; null when there is no step that way.
  step(back, current) {
    const from = back ? this.undo : this.redo;
    if (from.length === 0) return null;
    (back ? this.redo : this.undo).push(current);
    this.typing = -1;
    return from.pop();
  }
}

if (typeof module !== "undefined") module.exports = { BoxHistory };
