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

namespace {

FormTexts ReadAll(FieldSet& fields) {
  FormTexts texts;
  for (const Field field : kAllFields)
    fields.ReadTextInto(field, texts[static_cast<std::size_t>(field)]);
  return texts;
}

}  // namespace

std::size_t ConvertHistory::Units(const FormTexts& texts) {
  std::size_t units = 0;
  for (const Text& text : texts) units += text.size();
  return units;
}

void ConvertHistory::Push(std::deque<FormTexts>& to, FormTexts texts) {
  units_ += Units(texts);
  to.push_back(std::move(texts));
  const auto drop_oldest = [this](std::deque<FormTexts>& from) {
    units_ -= Units(from.front());
    from.pop_front();
  };
  if (to.size() > kDepth) drop_oldest(to);
  // Over the units the oldest steps go, the other way's first, the newest
  // never.
  std::deque<FormTexts>& other = &to == &undo_ ? redo_ : undo_;
  while (units_ > kUnits && !other.empty()) drop_oldest(other);
  while (units_ > kUnits && to.size() > 1) drop_oldest(to);
}

void ConvertHistory::Converted(FormTexts before) {
  for (const FormTexts& texts : redo_) units_ -= Units(texts);
  redo_.clear();
  Push(undo_, std::move(before));
}

std::optional<FormTexts> ConvertHistory::Step(bool back, FormTexts current) {
  std::deque<FormTexts>& from = back ? undo_ : redo_;
  if (from.empty()) return std::nullopt;
  FormTexts to = std::move(from.back());
  from.pop_back();
  units_ -= Units(to);
  Push(back ? redo_ : undo_, std::move(current));
  return to;
}

void FormController::Click(int control) {
  if (control < 0 || control >= form::kControlCount) return;
  const std::optional<Row> row = form::At(control).row;
  if (!row) return;
  FormTexts before = ReadAll(fields_);
  // The window goes on with the fields as the command left them.
  const ConvertOutcome outcome = RunConvert(*row, fields_);
  FormTexts after = ReadAll(fields_);
  if (after != before) history_.Converted(std::move(before));
  linked_.reset();
  if (outcome.error == 0) {
    linked_ = std::move(after);
    return;
  }
  view_.ShowReport(outcome.report);
  if (!outcome.selection) return;
  // The window moves the focus there itself: the focus rule must select
  // the whole text over the selection neither now nor when the window is
  // active again after the report.
  const ErrorSelection& selection = *outcome.selection;
  timing_.Claim(selection.control);
  view_.FocusAndSelect(selection.control, selection.start, selection.length);
}

bool FormController::StepConverts(bool back) {
  std::optional<FormTexts> to = history_.Step(back, ReadAll(fields_));
  if (!to) return false;
  linked_.reset();
  for (const Field field : kAllFields) {
    fields_.WriteTextFrom(field, (*to)[static_cast<std::size_t>(field)]);
  }
  return true;
}

bool FormController::Linked() {
  return linked_ && ReadAll(fields_) == *linked_;
}

Text FormController::CodeLineAt(int control, int start, int end) {
  if (!IsTextBox(control) || !Linked()) return {};
  std::array<TextView, kFieldCount> rows;
  for (std::size_t i = 0; i < kFieldCount; ++i) rows[i] = (*linked_)[i];
  return CodeLine(rows, *form::At(control).field, start, end);
}

FormController::Marks FormController::MarksAt(int control, int start, int end) {
  Marks marks;
  if (!Linked()) return marks;
  const FormTexts& rows = *linked_;
  marks.no_code = NoCodeRuns(rows[static_cast<std::size_t>(Field::tAsc)]);
  if (!IsTextBox(control)) return marks;
  const Field from = *form::At(control).field;
  if (from == Field::tBase) return marks;
  const std::optional<CodeSpan> span =
      CodesCovered(from, rows[static_cast<std::size_t>(from)], start, end);
  if (!span) return marks;
  for (const Field field : kAllFields) {
    if (field == from || field == Field::tBase) continue;
    marks.linked[static_cast<std::size_t>(field)] =
        CodesIn(field, rows[static_cast<std::size_t>(field)], *span);
  }
  return marks;
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
