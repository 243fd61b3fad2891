#include "engine/form_controller.h"

#include "engine/convert_commands.h"
#include "engine/error_text.h"
#include "engine/form.h"

namespace zolm {

bool FormController::IsTextBox(int control) {
  return control >= 0 && control < form::kControlCount && form::At(control).field.has_value();
}

void FormController::Click(int control) {
  if (control < 0 || control >= form::kControlCount) return;
  const form::Command command = form::At(control).command;
  if (command == nullptr) return;
  try {
    command(fields_);
  } catch (const RuntimeError& error) {
    // The one place a run-time error ends: it is shown, and the window goes
    // on with the fields as the command left them.
    view_.ShowReport(ErrorReportText(error));
    if (!error.place()) return;
    const ErrorPlace& place = *error.place();
    const int box = form::IndexOf(place.field);
    int start = 0;
    int length = static_cast<int>(fields_.ReadText(place.field).size());
    if (place.kind == ErrorPlace::Kind::kCode) {
      start = place.code_start;
      length = static_cast<int>(place.code.size());
    }
    // The window moves the focus there itself: the focus rule must select
    // the whole text over the selection neither now nor when the window is
    // active again after the report.
    timing_.Claim(box);
    view_.FocusAndSelect(box, start, length);
  }
}

void FormController::RunFocusRule(int control) {
  if (IsTextBox(control)) FocusRule(fields_, *form::At(control).field);
}

void FormController::ButtonReleased(int control, bool dragged) {
  if (timing_.ButtonReleased(control, dragged)) RunFocusRule(control);
}

void FormController::ContextMenuOpening(int control) {
  if (timing_.ContextMenuOpening(control)) RunFocusRule(control);
}

}  // namespace zolm
