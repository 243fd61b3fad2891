#include "engine/value_rules.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "engine/internal/decimal.h"
#include "tests/test_support.h"

namespace zolm {
namespace {

using testing::ErrorOf;
using testing::Show;

// Every Integer against a 32-bit reference, for a spread of second operands:
// the checked result must equal the exact one whenever it fits and raise 6
// exactly when it does not.
TEST(IntegerTest, ArithmeticMatchesWideReferenceForEveryValue) {
  const int operands[] = {-32768, -32767, -256, -182, -2, -1, 0, 1, 2, 3, 16, 181, 182, 255, 32767};
  for (int a = -32768; a <= 32767; ++a) {
    for (const int b : operands) {
      const Integer ia(static_cast<std::int16_t>(a));
      const Integer ib(static_cast<std::int16_t>(b));
      const struct {
        const char* op;
        long long exact;
        Integer (*run)(Integer, Integer);
      } cases[] = {
          {"+", static_cast<long long>(a) + b, [](Integer x, Integer y) { return x + y; }},
          {"-", static_cast<long long>(a) - b, [](Integer x, Integer y) { return x - y; }},
          {"*", static_cast<long long>(a) * b, [](Integer x, Integer y) { return x * y; }},
      };
      for (const auto& c : cases) {
        const bool fits = c.exact >= -32768 && c.exact <= 32767;
        Integer result;
        const int error = ErrorOf([&] { result = c.run(ia, ib); });
        if (fits) {
          ASSERT_EQ(error, 0) << a << c.op << b;
          ASSERT_EQ(result.value(), c.exact) << a << c.op << b;
        } else {
          ASSERT_EQ(error, kOverflow) << a << c.op << b;
        }
      }
    }
  }
}

TEST(NumericValueTest, WidensToLongForGoodWithoutError) {
  NumericValue total;
  total.Add(Integer(32767));
  EXPECT_FALSE(total.is_long());
  total.Add(Integer(1));
  EXPECT_TRUE(total.is_long());
  EXPECT_EQ(total.value(), 32768);
  total.Add(Integer(-100));  // back in range, still a Long
  EXPECT_TRUE(total.is_long());
  EXPECT_EQ(total.value(), 32668);
}

struct TextOpRow {
  const char* name;
  int error;
  Text expected;
  Text (*run)();
};

TEST(TextOperationsTest, ResultsAndErrors) {
  const TextOpRow rows[] = {
      // Valid.
      {"Mid inside", 0, u"ell", [] { return Text(Mid(u"Hello", 2, 3)); }},
      {"Mid past end", 0, u"", [] { return Text(Mid(u"Hello", 9, 2)); }},
      {"Mid long length", 0, u"lo", [] { return Text(Mid(u"Hello", 4, 100)); }},
      {"Left all", 0, u"Hello", [] { return Text(Left(u"Hello", 7)); }},
      {"Left none", 0, u"", [] { return Text(Left(u"Hello", 0)); }},
      {"Trim spaces only", 0, u"\ta b\t", [] { return Text(Trim(u"  \ta b\t  ")); }},
      {"Trim blank", 0, u"", [] { return Text(Trim(u"    ")); }},
      {"CStr negative", 0, u"-32768", [] { return CStr(Integer(-32768)); }},
      {"Chr euro", 0, u"\u20AC", [] { return Text(1, Chr(128)); }},
      {"Chr undefined 0x81", 0, u"\u0081", [] { return Text(1, Chr(0x81)); }},
      {"Chr 0", 0, Text(1, u'\0'), [] { return Text(1, Chr(0)); }},
      // Bad arguments.
      {"Mid start 0", kInvalidProcedureCall, u"", [] { return Text(Mid(u"abc", 0, 1)); }},
      {"Mid negative length", kInvalidProcedureCall, u"", [] { return Text(Mid(u"abc", 1, -1)); }},
      {"Left -1", kInvalidProcedureCall, u"", [] { return Text(Left(u"", -1)); }},
      {"Chr 256", kInvalidProcedureCall, u"", [] { return Text(1, Chr(256)); }},
      {"Chr -1", kInvalidProcedureCall, u"", [] { return Text(1, Chr(-1)); }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Text result;
    EXPECT_EQ(ErrorOf([&] { result = row.run(); }), row.error);
    if (row.error == 0) {
      EXPECT_EQ(Show(result), Show(row.expected));
    }
  }
}

TEST(TextOperationsTest, AppendDecimalWritesEveryLong) {
  const struct {
    Long n;
    const char16_t* text;
  } rows[] = {{0, u"0"},
              {7, u"7"},
              {-53235, u"-53235"},
              {2147483647, u"2147483647"},
              {-2147483647 - 1, u"-2147483648"}};
  for (const auto& row : rows) {
    Text out = u"x";
    AppendDecimal(out, row.n);
    EXPECT_EQ(Show(out), "x" + Show(row.text)) << row.n;
  }
}

TEST(TextOperationsTest, InStrFindsSpacesFromStart) {
  EXPECT_EQ(InStr(1, u"ab cd ef"), 3);
  EXPECT_EQ(InStr(4, u"ab cd ef"), 6);
  EXPECT_EQ(InStr(7, u"ab cd ef"), 0);
  EXPECT_EQ(InStr(50, u"ab"), 0);
  EXPECT_EQ(ErrorOf([] { InStr(0, u"a b"); }), kInvalidProcedureCall);
}

// Asc is the exact inverse of Chr over the code page; anything else is "?".
TEST(CodePageTest, AscInvertsChrOnAll256Codes) {
  for (Long code = 0; code <= 255; ++code) {
    const char16_t c = Chr(code);
    EXPECT_EQ(Asc(TextView(&c, 1)).value(), code) << code;
  }
}

TEST(CodePageTest, AscOfCharactersOutsideThePage) {
  const char16_t outside[] = {0x0080, 0x0082, 0x0100, 0x20AD, 0xD800, 0xDC00, 0xFFFF};
  for (const char16_t c : outside) EXPECT_EQ(Asc(TextView(&c, 1)).value(), 63) << int{c};
  EXPECT_EQ(Asc(u"Hello").value(), 72);
  EXPECT_EQ(ErrorOf([] { Asc(u""); }), kInvalidProcedureCall);
}

struct NumberRow {
  const char16_t* text;
  int error;
  double value;
};

TEST(CDblTest, AcceptsExactlyTheNumberGrammar) {
  const NumberRow rows[] = {
      // Valid forms.
      {u"5", 0, 5},
      {u"  -5\t", 0, -5},
      {u"+5", 0, 5},
      {u"5.", 0, 5},
      {u".5", 0, 0.5},
      {u"5.25", 0, 5.25},
      {u"1e3", 0, 1000},
      {u"1.5E-2", 0, 0.015},
      {u"2e+2 ", 0, 200},
      {u" 101", 0, 101},
      {u"1e-400", 0, 0},
      {u"000000000000000000007", 0, 7},
      // No number.
      {u"", kTypeMismatch, 0},
      {u"   ", kTypeMismatch, 0},
      {u".", kTypeMismatch, 0},
      {u"-", kTypeMismatch, 0},
      {u"1.2.3", kTypeMismatch, 0},
      {u"1e", kTypeMismatch, 0},
      {u"e5", kTypeMismatch, 0},
      {u"4A", kTypeMismatch, 0},
      {u"1,000", kTypeMismatch, 0},
      {u"$5", kTypeMismatch, 0},
      {u"&H10", kTypeMismatch, 0},
      {u"5 5", kTypeMismatch, 0},
      {u"\u00A05", kTypeMismatch, 0},
      {u"\uFF15", kTypeMismatch, 0},  // fullwidth digit five
      // Too large for a double.
      {u"1e400", kOverflow, 0},
      {u"-1e400", kOverflow, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Show(row.text));
    double value = 0;
    EXPECT_EQ(ErrorOf([&] { value = CDbl(row.text); }), row.error);
    if (row.error == 0) {
      EXPECT_DOUBLE_EQ(value, row.value);
    }
    EXPECT_EQ(IsNumeric(row.text), row.error != kTypeMismatch);
  }
}

// The one decimal reading against the standard library's (to the bit), on
// the hard cases of rounding and range and on generated texts: halfway
// points, long digit strings, the subnormal range and both ends.
TEST(DecimalReadingTest, AgreesWithFromChars) {
  const auto check = [](const std::string& text) {
    double expected = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), expected);
    ASSERT_EQ(result.ptr, text.data() + text.size()) << text;
    if (result.ec == std::errc::result_out_of_range) {
      // Out of range is zero below and infinity above.
      const double got = decimal::Read(text);
      EXPECT_TRUE(got == 0.0 || std::isinf(got)) << text;
      return;
    }
    EXPECT_EQ(std::bit_cast<std::uint64_t>(decimal::Read(text)),
              std::bit_cast<std::uint64_t>(expected))
        << text;
  };
  for (const char* text : {"0",
                           "0.000",
                           "1",
                           ".5",
                           "5.",
                           "2.5",
                           "0.1",
                           "9007199254740993",
                           "9007199254740992.5",
                           "1.7976931348623157e308",
                           "1.7976931348623158e308",
                           "1.7976931348623159e308",
                           "2.2250738585072011e-308",
                           "2.2250738585072014e-308",
                           "4.9e-324",
                           "5e-324",
                           "2.4703282292062327e-324",
                           "2.4703282292062328e-324",
                           "1e-400",
                           "1e400",
                           "3e-320",
                           "32767.5",
                           "32766.5",
                           "2147483647.5",
                           "0.30000000000000004",
                           "7.038531e-26",
                           "1e99999999999999999999",
                           "1e-99999999999999999999",
                           "00000.000001e6"}) {
    check(text);
  }
  // The hard cases of correct rounding, labelled: a reading that drops
  // digits past some count, rounds halfway cases the wrong way or ends its
  // range early fails one of these.
  const std::string zeros(800, '0');
  const struct {
    const char* label;
    std::string text;
  } hard[] = {
      {"halfway above 2^53, ties to even", "9007199254740993"},
      {"halfway above 2^53, a 1 after 800 zeros", "9007199254740993." + zeros + "1"},
      {"just below halfway above 2^53", "9007199254740992.9999999999999999999"},
      {"halfway above 1, 54 digits", "1.00000000000000011102230246251565404236316680908203125"},
      {"just above halfway above 1",
       "1.00000000000000011102230246251565404236316680908203125" + zeros + "1"},
      {"just below halfway above 1",
       "1.00000000000000011102230246251565404236316680908203124" + zeros + "9"},
      {"1 in 1000 digits", "1" + std::string(999, '0') + "e-999"},
      {"halfway below the least subnormal",
       "2."
       "4703282292062327208828439643411068618252990130716238221279284125033775363510437593264991818"
       "0817996189898282347722858865463328355177969898199387398005390939063150356595155702263922908"
       "58"
       "3924491051844359318028499365361525003193704576782492193656236698636584807570015857692699037"
       "06"
       "3119282795585513329278343384093519780155312465972635795746227664652728272200563740064854999"
       "77"
       "0965994704540208281662262378573934507363390079677619305775067401763246736009689513405355374"
       "58"
       "5166611342237666786041621596804619144672918403005300575308490487653917113865916462395249126"
       "23"
       "6538818796362393732804238910186723484976682350898633885879256283027559956575244555072551893"
       "13"
       "6908362547791869486679949683240497058210285131854513962138377228261454376934125320985913276"
       "67"
       "236328125e-324"},
      {"just above halfway below the least subnormal",
       "2.4703282292062327208828439643411068618253e-324"},
      {"the least normal", "2.2250738585072013830902327173324040642192159804623318306e-308"},
      {"the largest finite", "1.7976931348623157e308"},
      {"just below halfway past the largest finite",
       "1.7976931348623158079372897140530341507993e308"},
      {"halfway past the largest finite",
       "1.797693134862315807937289714053034150799341327710376e308"},
  };
  for (const auto& row : hard) {
    SCOPED_TRACE(row.label);
    check(row.text);
  }
  std::mt19937_64 random(1);
  std::string text;
  for (int n = 0; n < 20000; ++n) {
    text.clear();
    const int digits = 1 + static_cast<int>(random() % (n % 4 == 0 ? 900 : 30));
    const int point = static_cast<int>(random() % (digits + 2)) - 1;
    for (int i = 0; i < digits; ++i) {
      if (i == point) text += '.';
      text += static_cast<char>('0' + random() % 10);
    }
    if (n % 2 == 0) text += "e" + std::to_string(static_cast<int>(random() % 700) - 350);
    check(text);
    // The shortest and a long text of a random double.
    const double x = std::bit_cast<double>(random() & 0x7FEFFFFFFFFFFFFFull);
    char buffer[64];
    check(std::string(buffer, std::to_chars(buffer, buffer + 64, x).ptr));
    check(std::string(
        buffer, std::to_chars(buffer, buffer + 64, x, std::chars_format::scientific, 24).ptr));
  }
}

TEST(IsNumericTest, OneCharacterTextsAreNumericOnlyForDigits) {
  for (char32_t c = 0; c <= 0xFFFF; ++c) {
    const char16_t unit = static_cast<char16_t>(c);
    ASSERT_EQ(IsNumeric(TextView(&unit, 1)), c >= u'0' && c <= u'9') << static_cast<int>(c);
  }
}

struct RoundRow {
  double x;
  int cint_error;
  int cint;
  int int_error;
  int floor;
};

TEST(RoundingTest, CIntHalfToEvenAndIntFloors) {
  const RoundRow rows[] = {
      // Ties go to even; Int floors towards minus infinity.
      {2.5, 0, 2, 0, 2},
      {3.5, 0, 4, 0, 3},
      {-2.5, 0, -2, 0, -3},
      {-0.5, 0, 0, 0, -1},
      {7.9, 0, 8, 0, 7},
      {15.7, 0, 16, 0, 15},
      {16.5, 0, 16, 0, 16},
      // Limits of the Integer range.
      {32767.4, 0, 32767, 0, 32767},
      {32767.5, kOverflow, 0, 0, 32767},
      {-32768.5, 0, -32768, kOverflow, 0},
      {32768, kOverflow, 0, kOverflow, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.x);
    Integer rounded, floored;
    EXPECT_EQ(ErrorOf([&] { rounded = CInt(row.x); }), row.cint_error);
    if (row.cint_error == 0) {
      EXPECT_EQ(rounded.value(), row.cint);
    }
    EXPECT_EQ(ErrorOf([&] { floored = Int(row.x); }), row.int_error);
    if (row.int_error == 0) {
      EXPECT_EQ(floored.value(), row.floor);
    }
  }
}

TEST(RoundingTest, TextFormsReadLikeCDbl) {
  EXPECT_EQ(CInt(u"2.5").value(), 2);
  EXPECT_EQ(CInt(u"3.5").value(), 4);
  EXPECT_EQ(CLng(u" 101"), 101);
  EXPECT_EQ(CLng(u"2147483647"), 2147483647);
  EXPECT_EQ(CLng(u"-2147483648.4"), -2147483647 - 1);
  EXPECT_EQ(ErrorOf([] { CLng(u"2147483647.5"); }), kOverflow);
  EXPECT_EQ(ErrorOf([] { CLng(u""); }), kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { CInt(u"abc"); }), kTypeMismatch);
}

TEST(DivideTest, ZeroDivisorAndNonFiniteQuotients) {
  EXPECT_DOUBLE_EQ(Divide(-5, 16), -0.3125);
  EXPECT_EQ(ErrorOf([] { Divide(1, 0); }), kDivisionByZero);
  EXPECT_EQ(ErrorOf([] { Divide(0, 0); }), kDivisionByZero);
  EXPECT_EQ(ErrorOf([] { Divide(1e308, 1e-10); }), kOverflow);
}

TEST(RuntimeErrorTest, StandardDescriptions) {
  EXPECT_STREQ(RuntimeError(5).what(), "Invalid procedure call or argument");
  EXPECT_STREQ(RuntimeError(6).what(), "Overflow");
  EXPECT_STREQ(RuntimeError(11).what(), "Division by zero");
  EXPECT_STREQ(RuntimeError(13).what(), "Type mismatch");
}

}  // namespace
}  // namespace zolm
