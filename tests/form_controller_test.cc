#include "engine/form_controller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/convert_commands.h"
#include "engine/form.h"
#include "tests/test_support.h"

namespace zolm {
namespace {

using testing::Show;

TEST(FormTableTest, FieldsAndCommandsBelongToTheirKinds) {
  int boxes = 0;
  int buttons = 0;
  for (int i = 0; i < form::kControlCount; ++i) {
    const form::Control& c = form::At(i);
    SCOPED_TRACE(c.name);
    EXPECT_EQ(form::IndexOf(c.name), i);
    EXPECT_EQ(c.field.has_value(), c.kind == form::Kind::kTextBox);
    EXPECT_EQ(c.row.has_value(), c.kind == form::Kind::kButton);
    // Labels have none, but for the line the window writes.
    EXPECT_EQ(c.accessible_name != nullptr,
              c.kind != form::Kind::kLabel || std::string_view(c.name) == "CodeLine");
    if (c.field) {
      EXPECT_STREQ(FieldName(*c.field), c.name);
      EXPECT_EQ(form::IndexOf(*c.field), i);
      ++boxes;
    }
    buttons += c.row.has_value();
  }
  EXPECT_EQ(boxes, 5);
  EXPECT_EQ(buttons, 4);
}

// Each row's box, button and caption stand on one line of the form, in the
// row's order from the top, and the button converts that row.
TEST(FormTableTest, RowsNameTheirControls) {
  int top = -1;
  for (std::size_t i = 0; i < form::kRows.size(); ++i) {
    const form::RowEntry& row = form::kRows[i];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(static_cast<std::size_t>(row.row), i);
    EXPECT_EQ(form::RowOf(row.field), &row);
    const form::Control& box = form::At(form::IndexOf(row.field));
    const form::Control& button = form::At(form::IndexOf(row.button));
    const form::Control& label = form::At(form::IndexOf(row.label));
    EXPECT_EQ(button.row, row.row);
    EXPECT_EQ(label.kind, form::Kind::kLabel);
    EXPECT_EQ(button.top, box.top);
    EXPECT_EQ(label.top, box.top);
    EXPECT_GT(box.top, top);
    top = box.top;
  }
  EXPECT_EQ(form::RowOf(Field::tBase), nullptr);
}

// The client size and two controls at each DPI: with a font that fits the
// table, the table scaled; with one 1.5 times the usual size (18 px lines at
// 96 DPI), grown so that nothing is cut and no two controls overlap.
TEST(FormTableTest, PlacesAtEachDpi) {
  const struct {
    int dpi;
    bool large_font;
    int client_width, client_height;
    form::Rect tbase, dec;
  } rows[] = {
      {96, false, 676, 147, {616, 8, 33, 19}, {560, 104, 49, 25}},
      {120, false, 845, 184, {770, 10, 41, 24}, {700, 130, 61, 31}},
      {144, false, 1014, 221, {924, 12, 50, 29}, {840, 156, 74, 38}},
      {192, false, 1352, 294, {1232, 16, 66, 38}, {1120, 208, 98, 50}},
      {96, true, 716, 168, {640, 8, 49, 24}, {566, 119, 67, 30}},
      {192, true, 1435, 336, {1282, 16, 99, 48}, {1133, 238, 135, 60}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.dpi) + (row.large_font ? " large" : ""));
    form::FontMetrics m;
    m.dpi = row.dpi;
    // Pixels at 96 DPI and the usual font size, scaled.
    const auto at = [&](int px96) { return px96 * row.dpi * (row.large_font ? 3 : 2) / 192; };
    m.line_height = at(12);
    m.box_frame = at(4);
    m.box_frame_x = at(8);
    m.radix_sample = at(5 * 5);
    m.button_frame_x = at(10);
    m.button_frame_y = at(8);
    for (int i = 0; i < form::kControlCount; ++i) {
      const char* caption = form::At(i).caption;
      if (caption != nullptr) {
        m.caption_widths[static_cast<std::size_t>(i)] =
            at(5 * static_cast<int>(std::strlen(caption)));
      }
    }
    const form::Placement p = form::Place(m);
    EXPECT_EQ(p.client_width, row.client_width);
    EXPECT_EQ(p.client_height, row.client_height);
    EXPECT_EQ(p.controls[static_cast<std::size_t>(form::IndexOf("tBase"))], row.tbase);
    EXPECT_EQ(p.controls[static_cast<std::size_t>(form::IndexOf("dec"))], row.dec);
    for (int i = 0; i < form::kControlCount; ++i) {
      const form::Rect& r = p.controls[static_cast<std::size_t>(i)];
      SCOPED_TRACE(form::At(i).name);
      EXPECT_LE(r.left + r.width, p.client_width);
      EXPECT_LE(r.top + r.height, p.client_height);
      EXPECT_GE(r.height, m.line_height);
      EXPECT_GE(r.width, m.caption_widths[static_cast<std::size_t>(i)]);
      for (int j = 0; j < i; ++j) {
        const form::Rect& o = p.controls[static_cast<std::size_t>(j)];
        // A caption's text may reach under its box, as in the table; only
        // its text must stay clear of it.
        const bool label = form::At(i).kind == form::Kind::kLabel;
        const int width = label ? m.caption_widths[static_cast<std::size_t>(i)] : r.width;
        const bool other_label = form::At(j).kind == form::Kind::kLabel;
        const int other_width =
            other_label ? m.caption_widths[static_cast<std::size_t>(j)] : o.width;
        const bool apart = r.left + width <= o.left || o.left + other_width <= r.left ||
                           r.top + r.height <= o.top || o.top + o.height <= r.top;
        EXPECT_TRUE(apart) << form::At(j).name;
      }
    }
  }
}

// Records what the controller asks of a face.
class RecordingView final : public FormView {
 public:
  // The report's lines joined by '|'.
  void ShowReport(TextView report) override {
    log += "report[";
    for (const char16_t c : report) log += c == u'\n' ? '|' : static_cast<char>(c);
    log += "] ";
  }
  void FocusAndSelect(int control, int start, int length) override {
    log += std::string("select ") + form::At(control).name + " " + std::to_string(start) + "+" +
           std::to_string(length);
  }
  std::string log;
};

TEST(FormControllerTest, ClicksAndFailures) {
  const struct {
    const char* name;
    const char* button;
    Field field;  // given `text` before the click
    Text text;
    const char* log;  // the view's calls
    Text dec;         // tDec after the click
  } rows[] = {
      {"a Convert that succeeds", "dec", Field::tDec, u"72 105", "", u"72 105"},
      {"a label does nothing", "Label1", Field::tDec, u"x", "", u"x"},
      {"a text box does nothing", "tDec", Field::tDec, u"x", "", u"x"},
      {"a bad code is selected", "dec", Field::tDec, u"72 4A 9",
       "report[Run-time error '13':||Type mismatch|Decimal row, code 2: \"4A\"] select tDec 3+2",
       u"72 4A 9"},
      {"an empty row is selected whole", "ascc", Field::tAsc, u"",
       "report[Run-time error '5':||Invalid procedure call or argument|Ascii row: nothing to "
       "convert] select tAsc 0+0",
       u"72 101 108 108 111 33"},
      {"a too-long row is selected whole", "ascc", Field::tAsc, Text(40000, u'A'),
       "report[Run-time error '6':||Overflow|Ascii row: longer than 32,766 characters] select "
       "tAsc 0+40000",
       u"72 101 108 108 111 33"},
      {"a bad radix selects the radix field", "cus", Field::tBase, u"abc",
       "report[Run-time error '13':||Type mismatch|Radix field: \"abc\"] select tBase 0+3",
       u"72 101 108 108 111 33"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FieldModel fields;
    fields.WriteText(row.field, row.text);
    RecordingView view;
    FormController controller(fields, view);
    controller.Click(form::IndexOf(row.button));
    EXPECT_EQ(view.log, row.log);
    EXPECT_EQ(Show(fields.text(Field::tDec)), Show(row.dec));
  }
}

// Undo and redo of Converts: each script's steps are "F=TEXT" (a text typed
// into tAsc, tDec or tBase by its letter), a button's name, "<" (undo) or
// ">" (redo); `after` is tAsc|tDec after the last, `steps` whether the last
// undo or redo found a step.
TEST(FormControllerTest, ConvertsUndoAndRedo) {
  const struct {
    const char* name;
    std::vector<std::string> script;
    std::string after;
    bool steps;
  } rows[] = {
      {"undo restores every row, the source untrimmed",
       {"d=  72 105", "a=x", "dec", "<"},
       "x|  72 105",
       true},
      {"redo gives the Convert's rows back", {"d=72 105", "dec", "<", ">"}, "Hi|72 105", true},
      {"undo steps back Convert by Convert",
       {"d=65", "dec", "d=66", "dec", "<", "<"},
       "Hello!|65",
       true},
      {"an edit after the Convert is kept for redo",
       {"d=65", "dec", "a=B", "<", ">"},
       "B|65",
       true},
      {"nothing to undo at the start", {"<"}, "Hello!|72 101 108 108 111 33", false},
      {"nothing to redo past the newest", {"d=65", "dec", "<", ">", ">"}, "A|65", false},
      {"a new Convert ends what could be redone",
       {"d=65", "dec", "<", "d=66", "dec", ">"},
       "B|66",
       false},
      {"a failed Convert that changed nothing is no step",
       {"d=65", "dec", "a=", "ascc", "<"},
       "Hello!|65",
       true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FieldModel fields;
    RecordingView view;
    FormController controller(fields, view);
    bool stepped = false;
    for (const std::string& step : row.script) {
      if (step == "<" || step == ">") {
        stepped = controller.StepConverts(step == "<");
      } else if (step.size() > 1 && step[1] == '=') {
        const Field field = step[0] == 'a'   ? Field::tAsc
                            : step[0] == 'd' ? Field::tDec
                                             : Field::tBase;
        fields.WriteText(field, Text(step.begin() + 2, step.end()));
      } else {
        controller.Click(form::IndexOf(step.c_str()));
      }
    }
    EXPECT_EQ(Show(fields.text(Field::tAsc)) + "|" + Show(fields.text(Field::tDec)), row.after);
    EXPECT_EQ(stepped, row.steps);
  }
}

// The code line while the rows are as a Convert left them, and never once a
// text has changed since, or after a Convert that failed or an undo.
TEST(FormControllerTest, TheCodeLineLastsWhileTheRowsAreLinked) {
  const struct {
    const char* name;
    Text decimal;                 // converted from the Decimal row
    std::optional<Field> edited;  // then a text changed
    bool undone;
    Text line;  // for a caret at the Hex row's start
  } rows[] = {
      {"linked", u"72 105", std::nullopt, false, u"Code 1 of 2: H 72 48 48 (radix 16) U+0048"},
      {"a row edited", u"72 105", Field::tAsc, false, u""},
      {"the radix edited", u"72 105", Field::tBase, false, u""},
      {"a Convert failed", u"72 300", std::nullopt, false, u""},
      {"the Convert undone", u"72 105", std::nullopt, true, u""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FieldModel fields;
    RecordingView view;
    FormController controller(fields, view);
    fields.WriteText(Field::tDec, row.decimal);
    controller.Click(form::IndexOf("dec"));
    if (row.edited) fields.WriteText(*row.edited, u"8");
    if (row.undone) controller.StepConverts(true);
    EXPECT_EQ(Show(controller.CodeLineAt(form::IndexOf(Field::tHex), 0, 0)), Show(row.line));
    // The same codes marked in the other rows, none in the caret's own.
    const auto marks = controller.MarksAt(form::IndexOf(Field::tHex), 0, 0).linked;
    using Mark = std::optional<TextRange>;
    const bool linked = !row.line.empty();
    EXPECT_EQ(marks[static_cast<std::size_t>(Field::tDec)], linked ? Mark({0, 2}) : Mark());
    EXPECT_EQ(marks[static_cast<std::size_t>(Field::tAsc)], linked ? Mark({0, 1}) : Mark());
    EXPECT_EQ(marks[static_cast<std::size_t>(Field::tHex)], Mark());
  }
  // Before any Convert.
  FieldModel fields;
  RecordingView view;
  EXPECT_EQ(Show(FormController(fields, view).CodeLineAt(form::IndexOf(Field::tHex), 0, 0)), "");
}

// At most ConvertHistory::kDepth Converts back, fewer where their texts are
// long, in bounded memory; the newest always, however long.
TEST(FormControllerTest, ConvertHistoryIsBounded) {
  constexpr std::size_t kUnits = ConvertHistory::kUnits;
  const struct {
    std::size_t length;  // of each step's one text
    std::size_t undone;  // steps back that are kept
  } rows[] = {{1, ConvertHistory::kDepth}, {kUnits / 8, 8}, {kUnits + 1, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.length);
    ConvertHistory history;
    FormTexts texts;
    for (std::size_t i = 0; i < ConvertHistory::kDepth + 20; ++i) {
      texts[0] = Text(row.length, static_cast<char16_t>(u'A' + i % 26));
      history.Converted(texts);
      ASSERT_LE(history.units(), std::max(kUnits, row.length));
    }
    std::size_t undone = 0;
    while (history.Step(true, texts)) ++undone;
    EXPECT_EQ(undone, row.undone);
  }
}

TEST(FormControllerTest, FocusRuleLeavesTheErrorSelection) {
  FieldModel fields;
  fields.WriteText(Field::tDec, u"1 x");
  RecordingView view;
  FormController controller(fields, view);
  const int tdec = form::IndexOf(Field::tDec);
  EXPECT_TRUE(
      controller.FocusArrived(form::IndexOf(Field::tCus), FocusRuleTiming::Arrival::kOther));
  EXPECT_FALSE(controller.FocusArrived(form::IndexOf("dec"), FocusRuleTiming::Arrival::kOther));
  controller.Click(form::IndexOf("dec"));
  // The report moved the focus to tDec and selected "x": coming back to it
  // keeps that selection.
  EXPECT_FALSE(controller.FocusArrived(tdec, FocusRuleTiming::Arrival::kOther));
  EXPECT_EQ(fields.sel_start(Field::tDec), 0);
  controller.RunFocusRule(tdec);
  EXPECT_EQ(fields.sel_length(Field::tDec), 3);
}

// The focus passing through a button counts as leaving the box: back in the
// same box, the rule runs again.
TEST(FormControllerTest, FocusThroughAButtonAndBackRunsTheRule) {
  FieldModel fields;
  RecordingView view;
  FormController controller(fields, view);
  const int tcus = form::IndexOf(Field::tCus);
  const auto other = FocusRuleTiming::Arrival::kOther;
  EXPECT_TRUE(controller.FocusArrived(tcus, other));
  EXPECT_FALSE(controller.FocusArrived(form::IndexOf("cus"), other));
  EXPECT_TRUE(controller.FocusArrived(tcus, other));
}

}  // namespace
}  // namespace zolm
