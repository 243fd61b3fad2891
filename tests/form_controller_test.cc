#include "engine/form_controller.h"

#include <gtest/gtest.h>

#include <string>

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
    EXPECT_EQ(c.command != nullptr, c.kind == form::Kind::kButton);
    EXPECT_EQ(c.accessible_name != nullptr, c.kind != form::Kind::kLabel);
    if (c.field) {
      EXPECT_STREQ(FieldName(*c.field), c.name);
      EXPECT_EQ(form::IndexOf(*c.field), i);
      ++boxes;
    }
    buttons += c.command != nullptr;
  }
  EXPECT_EQ(boxes, 5);
  EXPECT_EQ(buttons, 4);
  EXPECT_EQ(form::At(form::IndexOf("ascc")).command, &ascc);
  EXPECT_EQ(form::At(form::IndexOf("cus")).command, &cus);
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

}  // namespace
}  // namespace zolm
