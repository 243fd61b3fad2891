// The engine as the web page and zolm.mjs call it: plain C functions over one
// field set. Texts cross as UTF-16 in memory the caller reads or fills
// (JavaScript strings are UTF-16 too, so every unit survives, lone
// surrogates included); the form table crosses once, as JSON.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "engine/code_links.h"
#include "engine/convert_commands.h"
#include "engine/error_text.h"
#include "engine/form.h"
#include "engine/form_controller.h"
#include "engine/text_box_rules.h"

namespace {

using namespace zolm;

// What the page is to do after a click: show a report, then select.
class PageView final : public FormView {
 public:
  void ShowReport(TextView report) override { report_.assign(report); }
  void FocusAndSelect(int control, int start, int length) override {
    selection_ = {control, start, length};
  }
  void Clear() {
    report_.clear();
    selection_ = {};
  }
  const Text& report() const { return report_; }
  const ErrorSelection& selection() const { return selection_; }

 private:
  Text report_;
  ErrorSelection selection_;
};

// The fields as zolm_convert runs a command on them, noting which it wrote.
// A Convert reads only its own row and the radix, which the caller gives.
class WrittenFields final : public FieldSet {
 public:
  explicit WrittenFields(FieldModel& model) : model_(model) {}

  Text ReadText(Field field) override { return model_.ReadText(field); }
  void ReadTextInto(Field field, Text& into) override { model_.ReadTextInto(field, into); }
  void WriteText(Field field, Text text) override {
    model_.WriteText(Mark(field), std::move(text));
  }
  void WriteTextFrom(Field field, TextView text) override {
    model_.WriteTextFrom(Mark(field), text);
  }
  void SetSelStart(Field field, Long start) override { model_.SetSelStart(field, start); }
  void SetSelLength(Field field, Long length) override { model_.SetSelLength(field, length); }
  bool TextsChangeOnlyByWrites() const override { return true; }
  const Text* StoredText(Field field) const override { return model_.StoredText(field); }

  unsigned written() const { return written_; }

 private:
  Field Mark(Field field) {
    written_ |= 1u << static_cast<unsigned>(field);
    return field;
  }

  FieldModel& model_;
  unsigned written_ = 0;
};

// The last failure of zolm_convert.
struct Failure {
  int number = 0;
  int field = -1;  // Field of the failing row, or -1
  int start = 0;
  int length = 0;
  Text code;
  Text report;
};

// What zolm_convert wrote, laid out for the caller to read from memory at
// once: JavaScript decodes the ASCII texts of every written field (the rows
// of codes always are) in one go, and reads only the others unit by unit.
struct Result {
  std::int32_t written = 0;  // bit 1 << field for each field written
  std::int32_t ascii = 0;    // address of those ASCII texts, one after another
  // For each field: its length in `ascii`; kNotAscii for a written text to
  // read with zolm_text; kAsGiven for the source row left as it was given
  // (written back untrimmed); 0 for a field not written.
  std::array<std::int32_t, kFieldCount> lengths{};
};
constexpr std::int32_t kNotAscii = -1;
constexpr std::int32_t kAsGiven = -2;

FieldModel fields;
PageView view;
FormController controller(fields, view);
Failure failure;
Result result;
std::string ascii_texts;
Text in;   // what the caller writes
Text out;  // what the caller reads

bool IsField(int field) {
  return field >= 0 && field < static_cast<int>(kAllFields.size());
}

const char16_t* Give(TextView text) {
  out.assign(text);
  return out.c_str();
}

std::string Quote(const char* text) {
  if (text == nullptr) return "null";
  std::string quoted = "\"";
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '"' || *p == '\\') quoted += '\\';
    quoted += *p;
  }
  return quoted + "\"";
}

std::string FormJson() {
  std::string json = "{\"title\":" + Quote(form::kTitle) +
                     ",\"twipsPerInch\":" + std::to_string(form::kTwipsPerInch) +
                     ",\"clientWidth\":" + std::to_string(form::kClientWidth) +
                     ",\"clientHeight\":" + std::to_string(form::kClientHeight) + ",\"controls\":[";
  for (int i = 0; i < form::kControlCount; ++i) {
    const form::Control& c = form::At(i);
    static constexpr const char* kKinds[] = {"textbox", "label", "button"};
    if (i > 0) json += ',';
    json += "{\"name\":" + Quote(c.name) + ",\"kind\":" + Quote(kKinds[static_cast<int>(c.kind)]) +
            ",\"caption\":" + Quote(c.caption) + ",\"accessibleName\":" + Quote(c.accessible_name) +
            ",\"left\":" + std::to_string(c.left) + ",\"top\":" + std::to_string(c.top) +
            ",\"width\":" + std::to_string(c.width) + ",\"height\":" + std::to_string(c.height) +
            ",\"field\":" + (c.field ? std::to_string(static_cast<int>(*c.field)) : "null") +
            ",\"row\":" + (c.row ? Quote(form::RowOf(*c.row).name) : "null") + "}";
  }
  json += "],\"rows\":[";
  for (const form::RowEntry& row : form::kRows) {
    if (row.row != form::kRows.front().row) json += ',';
    json += "{\"name\":" + Quote(row.name) +
            ",\"field\":" + std::to_string(static_cast<int>(row.field)) +
            ",\"button\":" + Quote(row.button) + ",\"label\":" + Quote(row.label) + "}";
  }
  json += "],\"fields\":[";
  for (const Field field : kAllFields) {
    json += Quote(FieldName(field));
    if (field != kAllFields.back()) json += ',';
  }
  return json + "]}";
}

}  // namespace

extern "C" {

// Room for `length` UTF-16 units for the caller to fill, then hand over with
// zolm_set_text or zolm_inserted_text.
EMSCRIPTEN_KEEPALIVE char16_t* zolm_input(int length) {
  in.assign(static_cast<std::size_t>(length > 0 ? length : 0), u'\0');
  return in.data();
}

// The length of the text the last call that returns text gave.
EMSCRIPTEN_KEEPALIVE int zolm_output_length() {
  return static_cast<int>(out.size());
}

// The form table, as JSON in UTF-8.
EMSCRIPTEN_KEEPALIVE const char* zolm_form() {
  static const std::string json = FormJson();
  return json.c_str();
}

// Field `field` (a Field value) takes the text given to zolm_input.
EMSCRIPTEN_KEEPALIVE void zolm_set_text(int field) {
  if (IsField(field)) fields.WriteTextFrom(static_cast<Field>(field), in);
}

EMSCRIPTEN_KEEPALIVE const char16_t* zolm_text(int field) {
  return Give(IsField(field) ? TextView(fields.text(static_cast<Field>(field))) : TextView());
}

// The same for the page's boxes, which show codes 0, 10 and 13 as their
// pictures.
EMSCRIPTEN_KEEPALIVE void zolm_set_shown_text(int field) {
  ReadControlPictures(in);
  zolm_set_text(field);
}
EMSCRIPTEN_KEEPALIVE const char16_t* zolm_shown_text(int field) {
  zolm_text(field);
  ShowControlPictures(out);
  return out.c_str();
}

// Whether the Custom row's box is to ask a phone for capitals, by the radix.
EMSCRIPTEN_KEEPALIVE int zolm_capital_digits() {
  return RadixDigitsAreCapitals(fields.text(Field::tBase));
}

EMSCRIPTEN_KEEPALIVE int zolm_sel_start(int field) {
  return IsField(field) ? fields.sel_start(static_cast<Field>(field)) : 0;
}

EMSCRIPTEN_KEEPALIVE int zolm_sel_length(int field) {
  return IsField(field) ? fields.sel_length(static_cast<Field>(field)) : 0;
}

// The text given to zolm_input as a box takes it when pasted or dropped.
EMSCRIPTEN_KEEPALIVE const char16_t* zolm_inserted_text() {
  return Give(InsertedShownText(in));
}

// The page's controls, by tab index. After zolm_click, zolm_report gives the
// report to show (empty when the Convert succeeded) and zolm_selection_* the
// box and range to select after it (control -1 for none).
EMSCRIPTEN_KEEPALIVE void zolm_click(int control) {
  view.Clear();
  controller.Click(control);
}
// The code line for the caret or selection [start, end) of the text box
// with tab index `control`, the fields as zolm_set_shown_text left them.
EMSCRIPTEN_KEEPALIVE const char16_t* zolm_code_line(int control, int start, int end) {
  return Give(controller.CodeLineAt(control, start, end));
}
// What the boxes mark (FormController::MarksAt) for the caret or selection
// [start, end) of the text box with tab index `control`: by field, the
// start and end of the codes linked to it (-1 -1 for none), then the number
// of the Ascii row's runs without a code, and each run's start and end.
std::vector<std::int32_t> marks;
EMSCRIPTEN_KEEPALIVE const std::int32_t* zolm_code_marks(int control, int start, int end) {
  const FormController::Marks found = controller.MarksAt(control, start, end);
  marks.clear();
  for (const std::optional<TextRange>& range : found.linked) {
    marks.push_back(range ? range->start : -1);
    marks.push_back(range ? range->end : -1);
  }
  marks.push_back(static_cast<std::int32_t>(found.no_code.size()));
  for (const TextRange& run : found.no_code) {
    marks.push_back(run.start);
    marks.push_back(run.end);
  }
  return marks.data();
}
// MarkColoursFor a box of colour `box` with text of colour `text`, as
// 0xRRGGBB: the fill, then the line.
std::array<std::uint32_t, 2> mark_colours{};
EMSCRIPTEN_KEEPALIVE const std::uint32_t* zolm_mark_colours(std::uint32_t box, std::uint32_t text) {
  const MarkColours pair = MarkColoursFor(box, text);
  mark_colours = {pair.back, pair.line};
  return mark_colours.data();
}
// Undo (`back` 1) or redo of a Convert: 1 when the fields changed.
EMSCRIPTEN_KEEPALIVE int zolm_step_converts(int back) {
  return controller.StepConverts(back != 0);
}
EMSCRIPTEN_KEEPALIVE const char16_t* zolm_report() {
  return Give(view.report());
}
EMSCRIPTEN_KEEPALIVE int zolm_selection_control() {
  return view.selection().control;
}
EMSCRIPTEN_KEEPALIVE int zolm_selection_start() {
  return view.selection().start;
}
EMSCRIPTEN_KEEPALIVE int zolm_selection_length() {
  return view.selection().length;
}

// The focus events; a true answer or a run of the focus rule leaves the
// selection to apply in the field (zolm_sel_start, zolm_sel_length).
EMSCRIPTEN_KEEPALIVE int zolm_focus_arrived(int control, int by_mouse_press) {
  return controller.FocusArrived(control, by_mouse_press != 0
                                              ? FocusRuleTiming::Arrival::kMousePress
                                              : FocusRuleTiming::Arrival::kOther);
}
EMSCRIPTEN_KEEPALIVE void zolm_run_focus_rule(int control) {
  controller.RunFocusRule(control);
}
EMSCRIPTEN_KEEPALIVE int zolm_button_released(int control, int dragged) {
  return controller.ButtonReleased(control, dragged != 0);
}
EMSCRIPTEN_KEEPALIVE int zolm_context_menu(int control) {
  return controller.ContextMenuOpening(control);
}
EMSCRIPTEN_KEEPALIVE int zolm_double_clicked(int control) {
  return controller.DoubleClicked(control);
}

// Runs the Convert of the button with tab index `control`, as zolm.mjs's
// convert does. With `source_length` 0 or more, the text given to
// zolm_input is the row's own text (that many units) and then the radix,
// the two fields a Convert reads. Returns 0, or the error number with the
// failure's parts in zolm_failure_*; zolm_result() tells what the command
// wrote.
EMSCRIPTEN_KEEPALIVE int zolm_convert(int control, int source_length) {
  failure = {};
  result = {};
  if (control < 0 || control >= form::kControlCount) return 0;
  const std::optional<Row> row = form::At(control).row;
  if (!row) return 0;
  const Field source = form::RowOf(*row).field;
  const TextView both(in);
  const std::size_t split =
      std::min(static_cast<std::size_t>(std::max(source_length, 0)), both.size());
  const TextView source_text = both.substr(0, split);
  fields.WriteTextFrom(source, source_text);
  fields.WriteTextFrom(Field::tBase, both.substr(split));
  WrittenFields run(fields);
  ConvertOutcome outcome = RunConvert(*row, run);
  if (outcome.error != 0) {
    failure.number = outcome.error;
    failure.report = std::move(outcome.report);
    if (const auto& selection = outcome.selection) {
      const Field field = *form::At(selection->control).field;
      failure.field = static_cast<int>(field);
      failure.start = selection->start;
      failure.length = selection->length;
      failure.code = TextView(fields.text(field))
                         .substr(static_cast<std::size_t>(selection->start),
                                 static_cast<std::size_t>(selection->length));
    }
  }
  result.written = static_cast<std::int32_t>(run.written());
  // Every written text but a source as given, at most: the buffer only grows,
  // so a call no longer than the last writes into it without clearing it.
  std::size_t room = 0;
  for (const Field field : kAllFields) room += fields.text(field).size();
  if (ascii_texts.size() < room) ascii_texts.resize(room);
  char* to = ascii_texts.data();
  for (const Field field : kAllFields) {
    if ((run.written() & (1u << static_cast<unsigned>(field))) == 0) continue;
    const Text& text = fields.text(field);
    std::int32_t& length = result.lengths[static_cast<std::size_t>(field)];
    if (field == source && TextView(text) == source_text) {
      length = kAsGiven;
      continue;
    }
    // Copied as bytes while checked: one pass over the text, four units at a
    // time (WebAssembly is little-endian), the rest one by one.
    const char16_t* from = text.data();
    const std::size_t size = text.size();
    std::uint64_t units = 0;
    std::size_t i = 0;
    for (; i + 4 <= size; i += 4) {
      std::uint64_t four;
      std::memcpy(&four, from + i, sizeof four);
      units |= four;
      const auto bytes =
          static_cast<std::uint32_t>((four & 0xFF) | ((four >> 8) & 0xFF00) |
                                     ((four >> 16) & 0xFF0000) | ((four >> 24) & 0xFF000000));
      std::memcpy(to + i, &bytes, sizeof bytes);
    }
    for (; i < size; ++i) {
      units |= from[i];
      to[i] = static_cast<char>(from[i]);
    }
    if ((units & 0xFF80FF80FF80FF80) == 0) {
      length = static_cast<std::int32_t>(size);
      to += size;
    } else {
      length = kNotAscii;
    }
  }
  result.ascii = static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(ascii_texts.data()));
  return failure.number;
}
// The codes the selection [start, end) of `field`'s row covers, and where
// they stand in every field's row (as set with zolm_set_text): 0 when that
// row has no codes, else 1 with zolm_code_range(f) giving each field's
// start and end, -1 -1 where the row holds none of them.
std::array<std::int32_t, 2 * kFieldCount> code_ranges{};
EMSCRIPTEN_KEEPALIVE int zolm_code_ranges(int field, int start, int end) {
  if (!IsField(field)) return 0;
  const auto covered =
      CodesCovered(static_cast<Field>(field), fields.text(static_cast<Field>(field)), start, end);
  if (!covered) return 0;
  for (const Field f : kAllFields) {
    const auto range = CodesIn(f, fields.text(f), *covered);
    code_ranges[2 * static_cast<std::size_t>(f)] = range ? range->start : -1;
    code_ranges[2 * static_cast<std::size_t>(f) + 1] = range ? range->end : -1;
  }
  return 1;
}
EMSCRIPTEN_KEEPALIVE const std::int32_t* zolm_code_range() {
  return code_ranges.data();
}

EMSCRIPTEN_KEEPALIVE const Result* zolm_result() {
  return &result;
}
EMSCRIPTEN_KEEPALIVE const char* zolm_failure_description() {
  return ErrorDescription(failure.number);
}
EMSCRIPTEN_KEEPALIVE int zolm_failure_field() {
  return failure.field;
}
EMSCRIPTEN_KEEPALIVE int zolm_failure_start() {
  return failure.start;
}
EMSCRIPTEN_KEEPALIVE int zolm_failure_length() {
  return failure.length;
}
EMSCRIPTEN_KEEPALIVE const char16_t* zolm_failure_code() {
  return Give(failure.code);
}
EMSCRIPTEN_KEEPALIVE const char16_t* zolm_failure_report() {
  return Give(failure.report);
}

}  // extern "C"
