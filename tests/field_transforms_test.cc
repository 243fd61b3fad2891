#include "engine/field_transforms.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/convert_commands.h"
#include "tests/test_support.h"

namespace zolm {
namespace {

using testing::ErrorOf;
using testing::Repeat;
using testing::Show;

struct TransformRow {
  const char* name;
  void (*transform)(FieldSet&);
  Field source;
  Text source_text;
  Text base;  // text of tBase
  Field target;
  int error;
  Text target_text;  // the new text, or (when error != 0) unused: the target keeps its text
};

constexpr auto kAsc = Field::tAsc;
constexpr auto kDec = Field::tDec;
constexpr auto kHex = Field::tHex;
constexpr auto kCus = Field::tCus;

void RunRow(const TransformRow& row) {
  SCOPED_TRACE(row.name);
  FieldModel model;
  model.WriteText(row.source, row.source_text);
  model.WriteText(Field::tBase, row.base);
  const FieldModel before = model;
  EXPECT_EQ(ErrorOf([&] { row.transform(model); }), row.error);
  for (const Field f : kAllFields) {
    if (f == row.target && row.error == 0) {
      EXPECT_EQ(Show(model.text(f)), Show(row.target_text)) << FieldName(f);
    } else {
      EXPECT_EQ(Show(model.text(f)), Show(before.text(f))) << FieldName(f) << " must not change";
    }
  }
}

TEST(FieldTransformsTest, WorkedExamplesFromTheStartTexts) {
  const TransformRow rows[] = {
      {"a2d", a2d, kAsc, u"Hello!", u"16", kDec, 0, u"72 101 108 108 111 33"},
      {"d2a", d2a, kDec, u"72 101 108 108 111 33", u"16", kAsc, 0, u"Hello!"},
      {"d2h", d2h, kDec, u"72 101 108 108 111 33", u"16", kHex, 0, u"48 65 6C 6C 6F 21"},
      {"d2c", d2c, kDec, u"72 101 108 108 111 33", u"16", kCus, 0, u"48 65 6C 6C 6F 21"},
      {"c2d", c2d, kCus, u"48 65 6C 6C 6F 21", u"16", kDec, 0, u"72 101 108 108 111 33"},
      {"h2d", h2d, kHex, u"48 65 6C 6C 6F 21", u"16", kDec, 0, u"72 101 108 108 111 33"},
  };
  for (const auto& row : rows) RunRow(row);
}

TEST(FieldTransformsTest, EmptyFieldsAndSpaces) {
  const TransformRow rows[] = {
      // Empty source fields.
      {"a2d empty", a2d, kAsc, u"", u"16", kDec, kInvalidProcedureCall, u""},
      {"d2a empty", d2a, kDec, u"", u"16", kAsc, kTypeMismatch, u""},
      {"d2h empty", d2h, kDec, u"", u"16", kHex, kTypeMismatch, u""},
      {"d2c empty, good radix", d2c, kDec, u"", u"16", kCus, kTypeMismatch, u""},
      {"d2c empty, radix no number", d2c, kDec, u"", u"x", kCus, kTypeMismatch, u""},
      {"d2c empty, radix out of range", d2c, kDec, u"", u"40000", kCus, kOverflow, u""},
      {"h2d empty", h2d, kHex, u"", u"16", kDec, 0, u"0"},
      {"c2d empty", c2d, kCus, u"", u"16", kDec, 0, u"0"},
      {"c2d empty, bad radix", c2d, kCus, u"", u"x", kDec, kTypeMismatch, u""},
      // Every character counts in a2d, a space too.
      {"a2d a space b", a2d, kAsc, u"a b", u"16", kDec, 0, u"97 32 98"},
      {"a2d keeps outer spaces", a2d, kAsc, u" a ", u"16", kDec, 0, u"32 97 32"},
      // Doubled spaces: a lone separator is no number, an empty bare code is 0.
      {"d2a doubled space", d2a, kDec, u"72  101", u"16", kAsc, kTypeMismatch, u""},
      {"d2h doubled space", d2h, kDec, u"72  101", u"16", kHex, kTypeMismatch, u""},
      {"d2c doubled space", d2c, kDec, u"72  101", u"16", kCus, kTypeMismatch, u""},
      {"h2d doubled space", h2d, kHex, u"48  65", u"16", kDec, 0, u"72 0 101"},
      {"c2d doubled space", c2d, kCus, u"48  65", u"16", kDec, 0, u"72 0 101"},
      // Leading and trailing spaces (only outside the commands).
      {"d2a leading space", d2a, kDec, u" 72", u"16", kAsc, kTypeMismatch, u""},
      {"d2h trailing space", d2h, kDec, u"72 ", u"16", kHex, kTypeMismatch, u""},
      {"c2d trailing space", c2d, kCus, u"48 ", u"16", kDec, 0, u"72 0"},
      {"h2d leading space", h2d, kHex, u" 48", u"16", kDec, 0, u"0 72"},
  };
  for (const auto& row : rows) RunRow(row);
}

TEST(FieldTransformsTest, CodesAndRadixRules) {
  const TransformRow rows[] = {
      // d2a reads each code with CLng: rounding to even, range 0..255.
      {"d2a 65.5 and 66.5", d2a, kDec, u"65.5 66.5", u"16", kAsc, 0, u"BB"},
      {"d2a 0 is kept", d2a, kDec, u"0 65", u"16", kAsc, 0, Text(u"\0A", 2)},
      {"d2a 128 is the euro sign", d2a, kDec, u"128", u"16", kAsc, 0, u"\u20AC"},
      {"d2a 256", d2a, kDec, u"256", u"16", kAsc, kInvalidProcedureCall, u""},
      {"d2a -1", d2a, kDec, u"-1", u"16", kAsc, kInvalidProcedureCall, u""},
      {"d2a 4A", d2a, kDec, u"65 4A", u"16", kAsc, kTypeMismatch, u""},
      {"d2a beyond Long", d2a, kDec, u"3000000000", u"16", kAsc, kOverflow, u""},
      // d2c rounds the radix, c2d floors it.
      {"d2c radix 15.7 is 16", d2c, kDec, u"72", u"15.7", kCus, 0, u"48"},
      {"c2d radix 15.7 is 15", c2d, kCus, u"48", u"15.7", kDec, 0, u"68"},
      {"d2c radix 3.5 is 4", d2c, kDec, u"72", u"3.5", kCus, 0, u"1020"},
      {"c2d radix 3.5 is 3", c2d, kCus, u"1020", u"3.5", kDec, 0, u"33"},
      {"d2c radix 16.5 is 16", d2c, kDec, u"72", u"16.5", kCus, 0, u"48"},
      {"c2d radix 16.5 is 16", c2d, kCus, u"48", u"16.5", kDec, 0, u"72"},
      {"d2c radix with blanks", d2c, kDec, u"72 101", u" 16 ", kCus, 0, u"48 65"},
      {"c2d radix with blanks", c2d, kCus, u"48 65", u" 16 ", kDec, 0, u"72 101"},
      {"d2c radix letters", d2c, kDec, u"72", u"abc", kCus, kTypeMismatch, u""},
      {"c2d radix 32768", c2d, kCus, u"48", u"32768", kDec, kOverflow, u""},
      // Errors of the base routines pass through.
      {"d2h 4096", d2h, kDec, u"72 4096", u"16", kHex, kOverflow, u""},
      {"h2d four digits", h2d, kHex, u"48 0FFF", u"16", kDec, kOverflow, u""},
      {"d2c base 0 negative", d2c, kDec, u"-5", u"0", kCus, kDivisionByZero, u""},
      {"c2d Long totals", c2d, kCus, u"33333333333333", u"2", kDec, 0, u"49149"},
  };
  for (const auto& row : rows) RunRow(row);
}

// The 16-bit positions: a walk completes up to 32765 characters, fails after
// its last code at 32766 and before its last code beyond that.
TEST(FieldTransformsTest, LengthBoundaries) {
  // "1 1 1 ..." of exactly `length` characters, ending in a digit.
  auto codes = [](int length) {
    Text t = Repeat(u"1 ", length / 2);
    if (length % 2 == 1) {
      t.push_back(u'1');
    } else {
      t.back() = u'2';
    }
    return t;
  };
  struct Row {
    int length;
    int error;
  };
  const Row walks[] = {{32765, 0}, {32766, kOverflow}, {32767, kOverflow}, {40001, kOverflow}};
  for (const auto& row : walks) {
    SCOPED_TRACE(row.length);
    Text text = codes(row.length);
    ASSERT_EQ(static_cast<int>(text.size()), row.length);
    for (auto* t : {d2a, d2h, d2c, h2d, c2d}) {
      FieldModel model;
      model.WriteText(Field::tDec, text);
      model.WriteText(Field::tHex, text);
      model.WriteText(Field::tCus, text);
      EXPECT_EQ(ErrorOf([&] { t(model); }), row.error);
    }
  }
  const Row ascii[] = {{32766, 0}, {32767, kOverflow}, {32768, kOverflow}};
  for (const auto& row : ascii) {
    SCOPED_TRACE(row.length);
    FieldModel model;
    model.WriteText(Field::tAsc, Repeat(u"A", row.length));
    EXPECT_EQ(ErrorOf([&] { a2d(model); }), row.error);
    if (row.error == 0) {
      EXPECT_EQ(model.text(Field::tDec).size(), 3u * row.length - 1);
    }
  }
}

// A field set that counts its accesses: each transform reads its source once
// and writes its target once, and the custom ones read tBase once per code.
class CountingFields final : public FieldSet {
 public:
  Text ReadText(Field f) override {
    ++reads[static_cast<int>(f)];
    return model.ReadText(f);
  }
  void WriteText(Field f, Text t) override {
    ++writes[static_cast<int>(f)];
    model.WriteText(f, std::move(t));
  }
  void SetSelStart(Field f, Long s) override { model.SetSelStart(f, s); }
  void SetSelLength(Field f, Long l) override { model.SetSelLength(f, l); }
  FieldModel model;
  int reads[5] = {};
  int writes[5] = {};
};

TEST(FieldTransformsTest, ReadsSourceOnceRadixPerCodeWritesTargetOnce) {
  struct Row {
    const char* name;
    void (*transform)(FieldSet&);
    Field source, target;
    int base_reads;
  };
  const Row rows[] = {
      {"a2d", a2d, kAsc, kDec, 0}, {"d2a", d2a, kDec, kAsc, 0}, {"d2h", d2h, kDec, kHex, 0},
      {"d2c", d2c, kDec, kCus, 6}, {"c2d", c2d, kCus, kDec, 6}, {"h2d", h2d, kHex, kDec, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    CountingFields fields;
    row.transform(fields);
    EXPECT_EQ(fields.reads[static_cast<int>(row.source)], 1);
    EXPECT_EQ(fields.reads[static_cast<int>(Field::tBase)], row.base_reads);
    EXPECT_EQ(fields.writes[static_cast<int>(row.target)], 1);
    int all_writes = 0;
    for (int w : fields.writes) all_writes += w;
    EXPECT_EQ(all_writes, 1);
  }
}

}  // namespace
}  // namespace zolm
