#include "engine/form_controller.h"

#include "engine/convert_commands.h"
#include "engine/error_text.h"
#include "engine/form.h"

namespace zolm {

bool FormController::IsTextBox(int control) {
  return control >= 0 && control < form::kControlCount && form::At(control).field.has_value();
}

std::optional<ErrorSelection> SelectionAfter(const RuntimeError& error, FieldSet& fields) {
  if (!error.place()) return std::nullopt;
  const ErrorPlace& place = *error.place();
  ErrorSelection selection{form::IndexOf(place.field), 0,
                           static_cast<int>(fields.ReadText(place.field).size())};
  if (place.kind == ErrorPlace::Kind::kCode) {
    selection.start = place.code_start;
    selection.length = static_cast<int>(place.code.size());
  }
  return selection;
}

ConvertOutcome RunConvert(Row row, FieldSet& fields) {
  ConvertOutcome outcome;
  try {
    Convert(row, fields);
  } catch (const RuntimeError& error) {
    outcome.error = error.number();
    outcome.place = error.place();
    outcome.report = ErrorReportText(error);
    outcome.selection = SelectionAfter(error, fields);
  }
  return outcome;
}

void FormController::Click(int control) {
  if (control < 0 || control >= form::kControlCount) return;
  const std::optional<Row> row = form::At(control).row;
  if (!row) return;
  // The window goes on with the fields as the command left them.
  const ConvertOutcome outcome = RunConvert(*row, fields_);
  if (outcome.error == 0) return;
  view_.ShowReport(outcome.report);
  if (!outcome.selection) return;
  // The window moves the focus there itself: the focus rule must select
  // the whole text over the selection neither now nor when the window is
  // active again after the report.
  const ErrorSelection& selection = *outcome.selection;
  timing_.Claim(selection.control);
  view_.FocusAndSelect(selection.control, selection.start, selection.length);
}

void FormController::RunFocusRule(int control) {
  if (IsTextBox(control)) FocusRule(fields_, *form::At(control).field);
}

bool FormController::ButtonReleased(int control, bool dragged) {
  if (!timing_.ButtonReleased(control, dragged)) return false;
  RunFocusRule(control);
  return true;
}

bool FormController::ContextMenuOpening(int control) {
  if (!timing_.ContextMenuOpening(control)) return false;
  RunFocusRule(control);
  return true;
}

}  // namespace zolm
