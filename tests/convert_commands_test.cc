#include "engine/convert_commands.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/code_links.h"
#include "engine/text_box_rules.h"
#include "tests/test_support.h"

namespace zolm {
namespace {

using testing::ErrorOf;
using testing::Show;

using Command = void (*)(FieldSet&);

struct Fields {
  Text asc, dec, hex, cus, base;
};

FieldModel ModelOf(const Fields& f) {
  FieldModel model;
  model.WriteText(Field::tAsc, f.asc);
  model.WriteText(Field::tDec, f.dec);
  model.WriteText(Field::tHex, f.hex);
  model.WriteText(Field::tCus, f.cus);
  model.WriteText(Field::tBase, f.base);
  return model;
}

void ExpectFields(const FieldModel& model, const Fields& f) {
  EXPECT_EQ(Show(model.text(Field::tAsc)), Show(f.asc)) << "tAsc";
  EXPECT_EQ(Show(model.text(Field::tDec)), Show(f.dec)) << "tDec";
  EXPECT_EQ(Show(model.text(Field::tHex)), Show(f.hex)) << "tHex";
  EXPECT_EQ(Show(model.text(Field::tCus)), Show(f.cus)) << "tCus";
  EXPECT_EQ(Show(model.text(Field::tBase)), Show(f.base)) << "tBase";
}

const Text kAsc = u"Hello!";
const Text kDec = u"72 101 108 108 111 33";
const Text kHex = u"48 65 6C 6C 6F 21";

struct CommandRow {
  const char* name;
  Command command;
  Fields before;
  int error;
  Fields after;
};

TEST(ConvertCommandsTest, Table) {
  const CommandRow rows[] = {
      // Each command from the start texts, and from its trimmed own field.
      {"ascc start", ascc, {kAsc, kDec, kHex, kHex, u"16"}, 0, {kAsc, kDec, kHex, kHex, u"16"}},
      {"ascc trims",
       ascc,
       {u"  Hello!  ", u"", u"", u"", u"16"},
       0,
       {kAsc, kDec, kHex, kHex, u"16"}},
      {"dec trims",
       dec,
       {u"", u"  72 101 ", u"", u"", u"16"},
       0,
       {u"He", u"72 101", u"48 65", u"48 65", u"16"}},
      {"hex trims",
       hex,
       {u"", u"", u" 48 65", u"", u"16"},
       0,
       {u"He", u"72 101", u"48 65", u"48 65", u"16"}},
      {"cus radix 2",
       cus,
       {u"", u"", u"", u"1001000 1100101", u"2"},
       0,
       {u"He", u"72 101", u"48 65", u"1001000 1100101", u"2"}},
      {"ascc radix 36 with blanks",
       ascc,
       {u"Hi", u"", u"", u"", u" 36 "},
       0,
       {u"Hi", u"72 105", u"48 69", u"20 2X", u" 36 "}},
      // A field of spaces only is emptied before the chain runs.
      {"ascc blank",
       ascc,
       {u"   ", kDec, kHex, kHex, u"16"},
       kInvalidProcedureCall,
       {u"", kDec, kHex, kHex, u"16"}},
      {"dec blank",
       dec,
       {kAsc, u"  ", kHex, kHex, u"16"},
       kTypeMismatch,
       {kAsc, u"", kHex, kHex, u"16"}},
      // Radix of letters: the chain stops where d2c or c2d runs; earlier
      // targets keep their new texts, later ones their old.
      {"cus bad radix",
       cus,
       {kAsc, kDec, kHex, u" 48 65 6C 6C 6F 21 ", u"abc"},
       kTypeMismatch,
       {kAsc, kDec, kHex, kHex, u"abc"}},
      {"ascc bad radix",
       ascc,
       {u"He", kDec, kHex, kHex, u"abc"},
       kTypeMismatch,
       {u"He", u"72 101", u"48 65", kHex, u"abc"}},
      {"dec bad radix",
       dec,
       {kAsc, u"72 101", kHex, kHex, u"abc"},
       kTypeMismatch,
       {u"He", u"72 101", u"48 65", kHex, u"abc"}},
      {"hex bad radix",
       hex,
       {kAsc, kDec, u"48 65", kHex, u"abc"},
       kTypeMismatch,
       {kAsc, u"72 101", u"48 65", kHex, u"abc"}},
      // A failing first transform writes nothing but the trim.
      {"dec bad code",
       dec,
       {kAsc, u" 72 4A ", kHex, kHex, u"16"},
       kTypeMismatch,
       {kAsc, u"72 4A", kHex, kHex, u"16"}},
      {"hex code beyond 255",
       hex,
       {kAsc, kDec, u"FF 100", kHex, u"16"},
       kInvalidProcedureCall,
       {kAsc, u"255 256", u"FF 100", u"FF 100", u"16"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FieldModel model = ModelOf(row.before);
    EXPECT_EQ(ErrorOf([&] { row.command(model); }), row.error);
    ExpectFields(model, row.after);
  }
}

TEST(FocusRuleTest, SelectsTheWholeText) {
  struct Row {
    Field field;
    Text text;
    Long length;
  };
  const Row rows[] = {
      {Field::tCus, kHex, 17}, {Field::tBase, u"16", 2},    {Field::tAsc, u"", 0},
      {Field::tDec, u"  ", 2}, {Field::tHex, u"\u20AC", 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(FieldName(row.field));
    FieldModel model;
    model.WriteText(row.field, row.text);
    model.SetSelStart(row.field, 3);
    FocusRule(model, row.field);
    EXPECT_EQ(model.sel_start(row.field), 0);
    EXPECT_EQ(model.sel_length(row.field), row.length);
    EXPECT_EQ(model.text(row.field), row.text);
  }
}

// Random texts of code-page characters: the Ascii row survives ascc then dec,
// and hex, or cus with radix 16, rebuild the same decimal row.
// When the focus rule runs, over sequences of what a toolkit reports. Each
// step: 'k' keyboard or program arrival, 'm' mouse press arrival, 'c' click
// release, 'd' drag release, 'x' context menu, 'D' double-click (answers
// whether the caret must go under the pointer), 'C' the window claims; then
// the control; the expected answers, one per step ('-' for a claim).
TEST(FocusRuleTimingTest, Table) {
  const struct {
    const char* name;
    const char* steps;
    const char* runs;
  } rows[] = {
      {"start-up, then Tab to another box", "k0 k1", "yy"},
      {"back to the same box (window active again)", "k0 k0", "yn"},
      {"a click into another box selects on release", "k0 m2 c2", "ynY"},
      {"a drag into another box selects nothing", "k0 m2 d2", "ynn"},
      {"a click into the box that has the focus", "k2 m2 c2", "ynn"},
      {"a right-click selects before the menu, once", "k0 m2 x2 c2", "ynyn"},
      {"a menu in the box that has the focus", "k2 x2", "yn"},
      {"after a claim, coming back runs nothing", "k0 C3 k3 k1", "y-ny"},
      {"through a button and back", "k0 k6 k0", "yyy"},
      {"a double-click into another box", "k0 m2 c2 D2", "ynYy"},
      {"a double-click in the box that has the focus", "k2 m2 c2 D2", "ynnn"},
      {"only the double-click right after the release", "k0 m2 c2 D2 D2", "ynYyn"},
  };
  for (const auto& row : rows) {
    FocusRuleTiming timing;
    std::string got;
    for (const char* p = row.steps; *p != '\0'; p += p[2] == ' ' ? 3 : 2) {
      const int control = p[1] - '0';
      switch (p[0]) {
        case 'k':
          got += timing.FocusArrived(control, FocusRuleTiming::Arrival::kOther) ? 'y' : 'n';
          break;
        case 'm':
          got += timing.FocusArrived(control, FocusRuleTiming::Arrival::kMousePress) ? 'y' : 'n';
          break;
        case 'c':
          got += timing.ButtonReleased(control, false) ? 'Y' : 'n';
          break;
        case 'd':
          got += timing.ButtonReleased(control, true) ? 'Y' : 'n';
          break;
        case 'x':
          got += timing.ContextMenuOpening(control) ? 'y' : 'n';
          break;
        case 'D':
          got += timing.DoubleClicked(control) ? 'y' : 'n';
          break;
        case 'C':
          timing.Claim(control);
          got += '-';
          break;
      }
      if (p[2] == '\0') break;
    }
    EXPECT_EQ(got, row.runs) << row.name;
  }
}

// What every face's box shows of a paste: the line breaks as spaces, and
// code 0 as its picture.
TEST(InsertedTextTest, LineBreaksBecomeOneSpaceEach) {
  const struct {
    Text in;
    Text out;
    Text shown;
  } rows[] = {
      {u"48 65\r\n", u"48 65 ", u"48 65 "},
      {u"48\n65\r66", u"48 65 66", u"48 65 66"},
      {u"\r\r\n\n", u"   ", u"   "},
      {u"4\t8", u"4\t8", u"4\t8"},
      {Text(u"A\0B\r\n", 5), Text(u"A\0B ", 4), u"A\u2400B "},
      {u"", u"", u""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(InsertedText(row.in), row.out) << testing::Show(row.in);
    EXPECT_EQ(InsertedShownText(row.in), row.shown) << testing::Show(row.in);
  }
}

// The codes a caret or selection covers, by row kind and place: carets at a
// row's start, inside a code, on a space and at the end; selections with
// spaces at their ends; doubled spaces around an empty code; a surrogate
// pair as two codes.
TEST(CodeLinksTest, CaretsAndSelectionsCoverCodes) {
  const struct {
    Field field;
    Text text;
    int start, end;
    std::optional<CodeSpan> covered;
  } rows[] = {
      {Field::tAsc, u"Hi!", 0, 0, CodeSpan{0, 0}},
      {Field::tAsc, u"Hi!", 2, 2, CodeSpan{1, 1}},
      {Field::tAsc, u"Hi!", 3, 3, CodeSpan{2, 2}},
      {Field::tAsc, u"Hi!", 1, 3, CodeSpan{1, 2}},
      {Field::tAsc, u"x😀y", 1, 3, CodeSpan{1, 2}},
      {Field::tAsc, u"", 0, 0, std::nullopt},
      {Field::tDec, u"72 105 33", 0, 0, CodeSpan{0, 0}},
      {Field::tDec, u"72 105 33", 2, 2, CodeSpan{0, 0}},
      {Field::tDec, u"72 105 33", 3, 3, CodeSpan{1, 1}},
      {Field::tDec, u"72 105 33", 9, 9, CodeSpan{2, 2}},
      {Field::tDec, u"72 105 33", 2, 6, CodeSpan{1, 1}},
      {Field::tDec, u"72 105 33", 3, 7, CodeSpan{1, 1}},
      {Field::tDec, u"72 105 33", 2, 3, CodeSpan{0, 0}},
      {Field::tDec, u"72 105 33", 1, 8, CodeSpan{0, 2}},
      {Field::tHex, u"48  69", 3, 3, CodeSpan{1, 1}},
      {Field::tHex, u"48  69", 2, 4, CodeSpan{1, 1}},
      {Field::tHex, u"48 69", 0, 99, CodeSpan{0, 1}},
      {Field::tCus, u"", 0, 0, std::nullopt},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(CodesCovered(row.field, row.text, row.start, row.end), row.covered)
        << FieldName(row.field) << " " << Show(row.text) << " " << row.start << "-" << row.end;
  }
  // And where codes stand in a row: the last code's end, an empty code, codes
  // past the row's end.
  const struct {
    Field field;
    Text text;
    CodeSpan span;
    std::optional<TextRange> range;
  } places[] = {
      {Field::tDec, u"72 105 33", {1, 1}, TextRange{3, 6}},
      {Field::tDec, u"72 105 33", {0, 2}, TextRange{0, 9}},
      {Field::tDec, u"72 105 33", {2, 5}, TextRange{7, 9}},
      {Field::tDec, u"72 105 33", {3, 3}, std::nullopt},
      {Field::tHex, u"48  69", {1, 1}, TextRange{3, 3}},
      {Field::tAsc, u"Hi!", {1, 2}, TextRange{1, 3}},
  };
  for (const auto& place : places) {
    EXPECT_EQ(CodesIn(place.field, place.text, place.span), place.range)
        << Show(place.text) << " " << place.span.first << "-" << place.span.last;
  }
}

// The line naming the code at a caret, the rows converted from `text` in
// the Ascii row (or `decimal` in the Decimal row): a letter, a space, a
// control, a code above 127, characters without a code (one of them each
// half of a surrogate pair), a selection of several codes, no codes.
TEST(CodeLinksTest, TheCodeLineNamesTheCodeAtTheCaret) {
  const struct {
    Text text;
    Text decimal;  // converted from instead, where given
    Field field;
    int start, end;
    Text line;
  } rows[] = {
      {u"Hello!", u"", Field::tHex, 4, 4, u"Code 2 of 6: e 101 65 65 (radix 16) U+0065"},
      {u"Hello!", u"", Field::tAsc, 0, 0, u"Code 1 of 6: H 72 48 48 (radix 16) U+0048"},
      {u"Hello!", u"", Field::tDec, 2, 2, u"Code 1 of 6: H 72 48 48 (radix 16) U+0048"},
      {u"Hello!", u"", Field::tCus, 17, 17, u"Code 6 of 6: ! 33 21 21 (radix 16) U+0021"},
      {u"Hello!", u"", Field::tDec, 0, 6, u"Codes 1-2 of 6"},
      {u"A B", u"", Field::tAsc, 2, 2, u"Code 2 of 3: \u2420 32 20 20 (radix 16) U+0020"},
      {u"", u"65 0 66", Field::tDec, 4, 4, u"Code 2 of 3: \u2400 0 00 00 (radix 16) U+0000"},
      {u"\u20AC", u"", Field::tHex, 0, 0, u"Code 1 of 1: \u20AC 128 80 80 (radix 16) U+20AC"},
      {u"x\u0101", u"", Field::tDec, 5, 5,
       u"Code 2 of 2: \u0101 U+0101 has no Windows-1252 code: counted as 63 (?)"},
      {u"x😀", u"", Field::tHex, 8, 8,
       u"Code 3 of 3: 😀 U+1F600 has no Windows-1252 code: counted as 63 (?)"},
      {u"x😀", u"", Field::tHex, 3, 3,
       u"Code 2 of 3: 😀 U+1F600 has no Windows-1252 code: counted as 63 (?)"},
  };
  for (const auto& row : rows) {
    FieldModel fields;
    if (row.decimal.empty()) {
      fields.WriteText(Field::tAsc, row.text);
      Convert(Row::kAscii, fields);
    } else {
      fields.WriteText(Field::tDec, row.decimal);
      Convert(Row::kDecimal, fields);
    }
    std::array<TextView, kFieldCount> texts;
    for (const Field field : kAllFields)
      texts[static_cast<std::size_t>(field)] = fields.text(field);
    EXPECT_EQ(Show(CodeLine(texts, row.field, row.start, row.end)), Show(row.line))
        << Show(row.text) << " " << FieldName(row.field) << " " << row.start;
  }
  std::array<TextView, kFieldCount> none{};
  EXPECT_EQ(CodeLine(none, Field::tDec, 0, 0), Text());
}

TEST(ControlPicturesTest, CodesZeroTenThirteenShowAsPicturesAndReadBack) {
  const struct {
    Text codes;
    Text shown;
  } rows[] = {
      {Text(u"A\0B", 3), u"A\u2400B"},
      {u"\r\n", u"\u240D\u240A"},
      {u"\t\x7f\u2409 ", u"\t\x7f\u2409 "},  // other codes and pictures stay
      {u"", u""},
  };
  for (const auto& row : rows) {
    Text text = row.codes;
    ShowControlPictures(text);
    EXPECT_EQ(Show(text), Show(row.shown)) << Show(row.codes);
    ReadControlPictures(text);
    EXPECT_EQ(Show(text), Show(row.codes)) << Show(row.codes);
  }
}

TEST(ConvertPropertiesTest, RowsConvertIntoOneAnother) {
  std::mt19937 random(42);
  std::uniform_int_distribution<int> length(1, 60);
  std::uniform_int_distribution<int> code(0, 255);
  for (int n = 0; n < 2000; ++n) {
    Text text;
    for (int i = length(random); i > 0; --i) text.push_back(Chr(code(random)));
    if (Trim(text).empty()) continue;
    FieldModel model;
    model.WriteText(Field::tAsc, text);
    ASSERT_EQ(ErrorOf([&] { ascc(model); }), 0) << Show(text);
    const FieldModel after_ascc = model;
    ASSERT_EQ(ErrorOf([&] { dec(model); }), 0) << Show(text);
    ASSERT_EQ(Show(model.text(Field::tAsc)), Show(Trim(text)));

    for (Command command : {hex, cus}) {
      FieldModel again = after_ascc;
      again.WriteText(Field::tDec, u"");
      ASSERT_EQ(ErrorOf([&] { command(again); }), 0) << Show(text);
      ASSERT_EQ(Show(again.text(Field::tDec)), Show(after_ascc.text(Field::tDec)));
      ASSERT_EQ(Show(again.text(Field::tAsc)), Show(Trim(text)));
    }
  }
}

// Each command's chain: its own field and its three transforms, in order.
struct Chain {
  Command command;
  Field own;
  Command steps[3];
};
const Chain kChains[] = {
    {ascc, Field::tAsc, {a2d, d2h, d2c}},
    {dec, Field::tDec, {d2a, d2h, d2c}},
    {hex, Field::tHex, {h2d, d2c, d2a}},
    {cus, Field::tCus, {c2d, d2a, d2h}},
};

// Random field sets from a small alphabet that fails often. A command must
// equal its trim followed by its transforms run one by one up to the first
// failing one: same error, same fields. So a failing command leaves every
// field its chain had not yet written as it was, tBase never changes, and a
// completing command leaves its own field trimmed.
TEST(ConvertPropertiesTest, CommandsStopAtTheFirstFailingStep) {
  std::mt19937 random(7);
  const Text alphabet = u"0123456789ABCDEFaz -.*\u20AC";
  const Text radixes[] = {u"16", u"2", u" 10 ", u"36", u"abc", u"0", u"-2", u"15.7", u""};
  std::uniform_int_distribution<int> length(0, 12);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<std::size_t> pick_radix(0, std::size(radixes) - 1);
  auto random_text = [&] {
    Text t;
    for (int i = length(random); i > 0; --i) t.push_back(alphabet[pick(random)]);
    return t;
  };
  int failures = 0;
  for (int n = 0; n < 20000; ++n) {
    const Chain& chain = kChains[static_cast<std::size_t>(n) % std::size(kChains)];
    FieldModel model;
    for (const Field f : kAllFields) model.WriteText(f, random_text());
    model.WriteText(Field::tBase, radixes[pick_radix(random)]);
    const FieldModel before = model;

    FieldModel expected = before;
    expected.WriteText(chain.own, Text(Trim(before.text(chain.own))));
    int expected_error = 0;
    for (Command step : chain.steps) {
      expected_error = ErrorOf([&] { step(expected); });
      if (expected_error != 0) break;
    }

    const int error = ErrorOf([&] { chain.command(model); });
    ASSERT_TRUE(error == 0 || error == 5 || error == 6 || error == 11 || error == 13) << error;
    ASSERT_EQ(error, expected_error);
    for (const Field f : kAllFields) {
      ASSERT_EQ(Show(model.text(f)), Show(expected.text(f))) << FieldName(f);
    }
    ASSERT_EQ(model.text(Field::tBase), before.text(Field::tBase));
    if (error != 0) ++failures;
  }
  EXPECT_GT(failures, 1000);
}

// The characters that count as 63 without being "?": one run for adjacent
// ones, a surrogate pair's two halves together.
TEST(CodeLinksTest, NoCodeRunsAndMarkColours) {
  const struct {
    Text ascii;
    std::vector<TextRange> runs;
  } rows[] = {
      {u"Hi?", {}},
      {u"x😀y\u0101", {{1, 3}, {4, 5}}},
      {u"\u0101\u4E2D!", {{0, 2}}},
      {u"\u20AC\u00E9", {}},
  };
  for (const auto& row : rows) EXPECT_EQ(NoCodeRuns(row.ascii), row.runs) << Show(row.ascii);
  // Over a light box, a dark one, high contrast, and a grey box neither
  // pair reads on.
  const struct {
    Colour box, text;
    MarkColours marks;
  } schemes[] = {
      {0xFFFFFF, 0x000000, {0xFFE08A, 0xA05A00}},
      {0x2B2B2B, 0xF0F0F0, {0x5C4300, 0xFFB84D}},
      {0x000000, 0xFFFF00, {0x5C4300, 0xFFB84D}},
      {0x808080, 0x000000, {0x808080, 0x000000}},
  };
  for (const auto& scheme : schemes)
    EXPECT_EQ(MarkColoursFor(scheme.box, scheme.text), scheme.marks) << std::hex << scheme.box;
}

}  // namespace
}  // namespace zolm
