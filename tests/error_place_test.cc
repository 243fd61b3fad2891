// Where a run-time error struck: the row and code, the radix field, or the row
// as a whole, attached without changing the error's number.
#include <gtest/gtest.h>

#include <optional>

#include "engine/convert_commands.h"
#include "engine/field_transforms.h"
#include "tests/test_support.h"

namespace zolm {
namespace {

using testing::Repeat;
using testing::Show;
using Kind = ErrorPlace::Kind;

struct PlaceRow {
  const char* name;
  void (*operation)(FieldSet&);
  Field source;
  Text source_text;
  Text base;
  int error;
  Kind kind;
  Field field;
  int code_index;
  int code_start;
  Text code;
};

std::optional<RuntimeError> Failure(const PlaceRow& row) {
  FieldModel model;
  model.WriteText(row.source, row.source_text);
  model.WriteText(Field::tBase, row.base);
  try {
    row.operation(model);
  } catch (const RuntimeError& error) {
    return error;
  }
  return std::nullopt;
}

TEST(ErrorPlaceTest, Table) {
  constexpr auto kAsc = Field::tAsc;
  constexpr auto kDec = Field::tDec;
  constexpr auto kHex = Field::tHex;
  constexpr auto kCus = Field::tCus;
  constexpr auto kBase = Field::tBase;
  const PlaceRow rows[] = {
      // A bad code first, in the middle and last; the text as typed.
      {"d2a first", d2a, kDec, u"4A 72", u"16", 13, Kind::kCode, kDec, 1, 0, u"4A"},
      {"dec middle", dec, kDec, u"72 101 4A 33", u"16", 13, Kind::kCode, kDec, 3, 7, u"4A"},
      {"d2h last", d2h, kDec, u"72 101 5000", u"16", 6, Kind::kCode, kDec, 3, 7, u"5000"},
      {"h2d middle", h2d, kHex, u"48 0FFF 21", u"16", 6, Kind::kCode, kHex, 2, 3, u"0FFF"},
      {"cus last", cus, kCus, u"48 65 G1ZZ", u"16", 6, Kind::kCode, kCus, 3, 6, u"G1ZZ"},
      // Doubled spaces: the empty code between them.
      {"d2c doubled", d2c, kDec, u"72  101", u"16", 13, Kind::kCode, kDec, 2, 3, u""},
      {"d2a leading space", d2a, kDec, u" 72", u"16", 13, Kind::kCode, kDec, 1, 0, u""},
      // Later steps of a chain name the decimal row as it then stood.
      {"hex then d2a", hex, kHex, u"41 100", u"16", 5, Kind::kCode, kDec, 2, 3, u"256"},
      {"cus then d2a", cus, kCus, u"1 ZZ", u"36", 5, Kind::kCode, kDec, 2, 2, u"1295"},
      // A radix that writes no code above 0 is to blame, not the code; a code
      // that is no number, or too large for a usable radix, still is.
      {"ascc then d2c base 0", ascc, kAsc, u"A", u"0", 6, Kind::kRadix, kBase, 0, 0, u"0"},
      {"d2c base 1", d2c, kDec, u"0 72", u"1", 6, Kind::kRadix, kBase, 0, 0, u"1"},
      {"d2c base rounds to -1", d2c, kDec, u"5", u" -1.2", 6, Kind::kRadix, kBase, 0, 0, u" -1.2"},
      {"d2c base 0, negative", d2c, kDec, u"-5", u"0", 11, Kind::kRadix, kBase, 0, 0, u"0"},
      {"d2c base 182", d2c, kDec, u"0", u"182", 6, Kind::kRadix, kBase, 0, 0, u"182"},
      {"d2c base 0, no number", d2c, kDec, u"4A", u"0", 13, Kind::kCode, kDec, 1, 0, u"4A"},
      {"d2c base 181, too large", d2c, kDec, u"1 32767", u"181", 6, Kind::kCode, kDec, 2, 2,
       u"32767"},
      // The radix text.
      {"ascc bad radix", ascc, kAsc, u"Hi", u"abc", 13, Kind::kRadix, kBase, 0, 0, u"abc"},
      {"c2d radix too large", c2d, kCus, u"48", u"1e6", 6, Kind::kRadix, kBase, 0, 0, u"1e6"},
      {"d2c empty radix", d2c, kDec, u"72", u"", 13, Kind::kRadix, kBase, 0, 0, u""},
      // The row as a whole.
      {"ascc empty", ascc, kAsc, u"   ", u"16", 5, Kind::kEmptyRow, kAsc, 0, 0, u""},
      {"a2d too long", a2d, kAsc, Repeat(u"A", 32767), u"16", 6, Kind::kRowTooLong, kAsc, 0, 0,
       u""},
      {"dec too long", dec, kDec, Repeat(u"1 ", 16383) + u"1", u"16", 6, Kind::kRowTooLong, kDec, 0,
       0, u""},
      {"h2d too long", h2d, kHex, Repeat(u"1 ", 20000), u"16", 6, Kind::kRowTooLong, kHex, 0, 0,
       u""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const auto error = Failure(row);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->number(), row.error);
    ASSERT_TRUE(error->place().has_value());
    const ErrorPlace& place = *error->place();
    EXPECT_EQ(place.kind, row.kind);
    EXPECT_EQ(place.field, row.field);
    EXPECT_EQ(place.code_index, row.code_index);
    EXPECT_EQ(place.code_start, row.code_start);
    EXPECT_EQ(Show(place.code), Show(row.code));
  }
}

}  // namespace
}  // namespace zolm
