// What the window does when a user clicks a Convert button or moves the
// focus, once for every face. A face builds its controls from the form table
// (engine/form.h), implements FormView over its toolkit and forwards its
// clicks and focus events here, naming controls by their tab index.
#ifndef ZOLM_ENGINE_FORM_CONTROLLER_H_
#define ZOLM_ENGINE_FORM_CONTROLLER_H_

#include <array>
#include <cstddef>
#include <deque>
#include <optional>
#include <vector>

#include "engine/code_links.h"
#include "engine/convert_commands.h"
#include "engine/field_transforms.h"
#include "engine/text_box_rules.h"
#include "engine/value_rules.h"

namespace zolm {

// The little the controller asks of a face's window.
class FormView {
 public:
  virtual ~FormView() = default;
  // Shows `report`, the whole text of a failed Convert's error
  // (ErrorReportText), in a modal report titled form::kTitle, and returns
  // once the user has closed it.
  virtual void ShowReport(TextView report) = 0;
  // Gives the focus to the text box with tab index `control`, and selects
  // `length` characters from `start` there, scrolled into view.
  virtual void FocusAndSelect(int control, int start, int length) = 0;
};

// Where a failed Convert leaves the focus: `length` characters from `start`
// selected in the text box with tab index `control`.
struct ErrorSelection {
  int control = -1;
  int start = 0;
  int length = 0;
};

// The selection after `error` in `fields` as the command left them: the
// failing code, or the whole row or radix; none when the error names no
// place.
std::optional<ErrorSelection> SelectionAfter(const RuntimeError& error, FieldSet& fields);

// What a Convert came to: its error number (0 when it succeeded), and for a
// failure where it struck, the report to show (ErrorReportText) and the
// selection to make.
struct ConvertOutcome {
  int error = 0;
  std::optional<ErrorPlace> place;
  Text report;
  std::optional<ErrorSelection> selection;
};

// Runs the Convert command of `row` on `fields`, the one place where a
// run-time error of a Convert ends; the fields stay as the command left
// them. Anything but a RuntimeError passes on.
ConvertOutcome RunConvert(Row row, FieldSet& fields);

// The five texts of the form, by Field.
using FormTexts = std::array<Text, kFieldCount>;

// The Converts that can be undone and redone: the form's texts before each
// (most recent last), and those an undo replaced. At most kDepth steps each
// way and kUnits UTF-16 units in all are kept, the oldest going first; the
// newest step is always kept, however long.
class ConvertHistory {
 public:
  static constexpr std::size_t kDepth = 100;
  static constexpr std::size_t kUnits = std::size_t{8} << 20;

  // A Convert changed the form from `before`: that is the step to undo,
  // and nothing is left to redo.
  void Converted(FormTexts before);
  // Undo (`back`) or redo, the form holding `current`: the texts to show,
  // `current` being kept for the other way; nullopt when there is no step
  // that way.
  std::optional<FormTexts> Step(bool back, FormTexts current);
  bool CanStep(bool back) const { return !(back ? undo_ : redo_).empty(); }
  // The UTF-16 units of every text kept.
  std::size_t units() const { return units_; }

 private:
  static std::size_t Units(const FormTexts& texts);
  void Push(std::deque<FormTexts>& to, FormTexts texts);
  std::deque<FormTexts> undo_;
  std::deque<FormTexts> redo_;
  std::size_t units_ = 0;
};

class FormController {
 public:
  // Both must outlive the controller. `fields` are the face's text boxes.
  FormController(FieldSet& fields, FormView& view) : fields_(fields), view_(view) {}

  // The button with tab index `control` was clicked: its Convert command
  // runs. A run-time error ends here: its report is shown, then the failing
  // code (or the whole row, or the radix) is selected in its box, and the
  // focus rule leaves that selection alone. Nothing for other controls.
  void Click(int control);

  // Undo (`back`) or redo of the last Convert, or of the last undo: all
  // five texts become what they were before it, and true; false when there
  // is no step that way. A Convert that changed no text is no step. Faces
  // call it for an undo or redo in a box that has none of its own left.
  bool StepConverts(bool back);
  bool CanStepConverts(bool back) const { return history_.CanStep(back); }

  // The code line (CodeLine) for the caret or selection [start, end) in the
  // text box with tab index `control`, while the five texts are as the last
  // Convert that succeeded left them; empty once any of them has changed
  // (until the next Convert), and for other controls.
  Text CodeLineAt(int control, int start, int end);

  // What the boxes mark while the texts are linked as for CodeLineAt: for
  // the caret or selection [start, end) in the text box with tab index
  // `control`, the same codes in each other row (none in that row itself,
  // the radix, or any row for other controls); and, whatever has the focus,
  // the Ascii row's characters that have no code (NoCodeRuns). Nothing once
  // the link has ended.
  struct Marks {
    std::array<std::optional<TextRange>, kFieldCount> linked;
    std::vector<TextRange> no_code;
  };
  Marks MarksAt(int control, int start, int end);

  // The focus events, as FocusRuleTiming takes them; those that call for
  // the focus rule run it on the control's field at once and answer true,
  // but for FocusArrived: it answers true when the face is to call
  // RunFocusRule once the focus change is over.
  bool FocusArrived(int control, FocusRuleTiming::Arrival how) {
    return timing_.FocusArrived(control, how) && IsTextBox(control);
  }
  void RunFocusRule(int control);
  bool ButtonReleased(int control, bool dragged);
  bool ContextMenuOpening(int control);
  bool DoubleClicked(int control) { return timing_.DoubleClicked(control); }

 private:
  static bool IsTextBox(int control);
  bool Linked();

  FieldSet& fields_;
  FormView& view_;
  FocusRuleTiming timing_;
  ConvertHistory history_;
  std::optional<FormTexts> linked_;  // the texts after the last Convert that succeeded
};

}  // namespace zolm

#endif  // ZOLM_ENGINE_FORM_CONTROLLER_H_
