#include "engine/base_arithmetic.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "tests/test_support.h"

namespace zolm {
namespace {

using testing::ErrorOf;
using testing::Repeat;
using testing::Show;

enum class Kind { kInteger, kLong, kError };

struct ReadRow {
  Text text;
  int base;  // 16 reads through Hex2Dec as well as Cust2Dec
  Kind kind;
  long value_or_error;
};

void CheckRead(const ReadRow& row, NumericValue (*read)(TextView, Integer)) {
  NumericValue result;
  const int error =
      ErrorOf([&] { result = read(row.text, Integer(static_cast<std::int16_t>(row.base))); });
  if (row.kind == Kind::kError) {
    EXPECT_EQ(error, row.value_or_error);
    return;
  }
  ASSERT_EQ(error, 0);
  EXPECT_EQ(result.value(), row.value_or_error);
  EXPECT_EQ(result.is_long(), row.kind == Kind::kLong);
}

TEST(Cust2DecTest, Table) {
  const ReadRow rows[] = {
      // Valid hexadecimal codes.
      {u"48", 16, Kind::kInteger, 72},
      {u"6C", 16, Kind::kInteger, 108},
      {u"FFF", 16, Kind::kInteger, 4095},
      {u"7FF", 16, Kind::kInteger, 2047},
      {u"00A", 16, Kind::kInteger, 10},
      {u"", 16, Kind::kInteger, 0},
      // Digits the base does not allow, and lower case, still have values.
      {u"6c", 16, Kind::kInteger, 140},
      {u"ff", 16, Kind::kInteger, 799},
      {u"G", 16, Kind::kInteger, 16},
      {u"ZZZ", 16, Kind::kInteger, 9555},
      {u"-", 16, Kind::kInteger, -10},
      {u" ", 16, Kind::kInteger, -23},
      {u"\u20AC", 16, Kind::kInteger, 128 - 55},
      {u"\u00FF", 16, Kind::kInteger, 200},
      // The multiplier step after the last character: 4 hex digits overflow.
      {u"0FFF", 16, Kind::kError, kOverflow},
      {u"1000", 16, Kind::kError, kOverflow},
      {u"0000", 16, Kind::kError, kOverflow},
      // Other bases.
      {u"101", 2, Kind::kInteger, 5},
      {Repeat(u"1", 14), 2, Kind::kInteger, 16383},
      {Repeat(u"1", 15), 2, Kind::kError, kOverflow},
      {Repeat(u"3", 14), 2, Kind::kLong, 49149},
      {Repeat(u"*", 12), 2, Kind::kLong, -53235},
      {u"ZZ", 36, Kind::kInteger, 1295},
      {u"ZZZ", 36, Kind::kError, kOverflow},
      {u"9999", 10, Kind::kInteger, 9999},
      {u"10000", 10, Kind::kError, kOverflow},
      {u"Z00", 10, Kind::kInteger, 3500},
      {u"Z000", 10, Kind::kError, kOverflow},  // at the term of Z
      {u"2K", 40, Kind::kInteger, 100},
      {u"0^", 40, Kind::kInteger, 39},
      {u"12", -2, Kind::kInteger, 0},
      {Repeat(u"1", 15), -2, Kind::kInteger, 10923},
      {Repeat(u"1", 16), -2, Kind::kError, kOverflow},
      // Bases 1, 0 and -1 never overflow the multiplier.
      {u"123", 0, Kind::kInteger, 3},
      {u"123", 1, Kind::kInteger, 6},
      {u"123", -1, Kind::kInteger, 2},
      // Length limits: 32767 characters pass, 32768 fail at the counter step.
      {Repeat(u"1", 32767), 1, Kind::kInteger, 32767},
      {Repeat(u"1", 32768), 1, Kind::kError, kOverflow},
      {Repeat(u"1", 40000), 0, Kind::kError, kOverflow},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Show(row.text.substr(0, 40)) + " base " + std::to_string(row.base));
    CheckRead(row, Cust2Dec);
    if (row.base == 16) CheckRead(row, [](TextView s, Integer) { return Hex2Dec(s); });
  }
}

struct WriteRow {
  Text text;
  int base;
  int error;
  Text expected;
};

TEST(Dec2CusTest, Table) {
  const WriteRow rows[] = {
      // Hexadecimal, at least two digits.
      {u"72", 16, 0, u"48"},
      {u" 108", 16, 0, u"6C"},
      {u"5", 16, 0, u"05"},
      {u"0", 16, 0, u"00"},
      {u"255", 16, 0, u"FF"},
      {u"256", 16, 0, u"100"},
      {u"4095", 16, 0, u"FFF"},
      {u"4096", 16, kOverflow, u""},
      {u"32767", 16, kOverflow, u""},
      // Negative values: floored quotient, then the remainder's digit.
      {u"-5", 16, 0, u"-1B"},
      {u"-1", 16, 0, u"-1F"},
      {u"-16", 16, 0, u"-10"},
      {u"-17", 16, 0, u"-2F"},
      {u"-32768", 16, 0, u"-20480"},
      // Floored, never rounded.
      {u"7.9", 10, 0, u"07"},
      {u"-0.5", 10, 0, u"-19"},
      {u"9999", 10, 0, u"9999"},
      {u"10000", 10, kOverflow, u""},
      // Other bases and the digit alphabet past Z.
      {u"5", 2, 0, u"101"},
      {u"1", 2, 0, u"01"},
      {u"16383", 2, 0, Repeat(u"1", 14)},
      {u"16384", 2, kOverflow, u""},
      {u"35", 36, 0, u"0Z"},
      {u"1295", 36, 0, u"ZZ"},
      {u"1296", 36, kOverflow, u""},
      {u"100", 40, 0, u"2K"},
      {u"39", 40, 0, u"0^"},
      {u"32760", 181, 0, u"\u00EB\u00EB"},  // digit 180 is code 235
      // Degenerate bases.
      {u"0", 182, kOverflow, u""},
      {u"0", 1, 0, u"00"},
      {u"-5", 1, 0, u"-50"},
      {u"5", 1, kOverflow, u""},
      {u"0", 0, kOverflow, u""},
      {u"5", 0, kOverflow, u""},
      {u"-5", 0, kDivisionByZero, u""},
      {u"0", -1, 0, u"00"},
      {u"-5", -1, 0, u"50"},
      {u"-300", -1, kInvalidProcedureCall, u""},
      {u"-32768", -1, kOverflow, u""},
      {u"-32713", -1, kOverflow, u""},
      {u"-32712", -1, kInvalidProcedureCall, u""},
      {u"5", -2, 0, u"-1-1-1-1"},
      {u"-32768", -2, kInvalidProcedureCall, u""},
      {u"-32768", 3, kOverflow, u""},
      // Texts that are no number, or out of range.
      {u"", 16, kTypeMismatch, u""},
      {u" ", 16, kTypeMismatch, u""},
      {u"abc", 16, kTypeMismatch, u""},
      {u"40000", 16, kOverflow, u""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Show(row.text) + " base " + std::to_string(row.base));
    Text result;
    EXPECT_EQ(
        ErrorOf([&] { result = Dec2Cus(row.text, Integer(static_cast<std::int16_t>(row.base))); }),
        row.error);
    if (row.error == 0) {
      EXPECT_EQ(Show(result), Show(row.expected));
    }
  }
}

// Independent reference for bases 2..36: ordinary digits, at least two.
Text ReferenceDigits(int value, int base) {
  Text digits;
  do {
    const int d = value % base;
    digits.insert(digits.begin(), static_cast<char16_t>(d < 10 ? u'0' + d : u'A' + d - 10));
    value /= base;
  } while (value > 0);
  if (digits.size() < 2) digits.insert(digits.begin(), u'0');
  return digits;
}

// For bases 2..36 every value from 0 to base^K - 1 writes as its ordinary
// digits and reads back to itself; base^K and above raise 6.
TEST(RoundTripTest, WriteThenReadEveryValueInBases2To36) {
  for (int base = 2; base <= 36; ++base) {
    long limit = 1;
    while (limit * base <= 32767) limit *= base;
    const Integer b(static_cast<std::int16_t>(base));
    for (int value = 0; value <= 32767; ++value) {
      const Text text = CStr(Integer(static_cast<std::int16_t>(value)));
      if (value >= limit) {
        ASSERT_EQ(ErrorOf([&] { Dec2Cus(text, b); }), kOverflow) << value << " base " << base;
        continue;
      }
      const Text written = Dec2Cus(text, b);
      ASSERT_EQ(Show(written), Show(ReferenceDigits(value, base))) << value << " base " << base;
      const NumericValue back = Cust2Dec(written, b);
      ASSERT_EQ(back.value(), value) << Show(written) << " base " << base;
      ASSERT_FALSE(back.is_long());
    }
  }
}

// Negative values in bases 2..181: the floored quotient, then one digit.
TEST(RoundTripTest, NegativeValuesWriteQuotientAndRemainderDigit) {
  for (int base : {2, 10, 16, 36, 100, 181}) {
    for (int value = -32768; value < 0; value += 7) {
      const int q = (value - (base - 1)) / base;  // floor for negative values
      const int r = value - q * base;
      const Text text = CStr(Integer(static_cast<std::int16_t>(value)));
      const Integer b(static_cast<std::int16_t>(base));
      if (q * base < -32768) {  // the remainder step overflows
        ASSERT_EQ(ErrorOf([&] { Dec2Cus(text, b); }), kOverflow) << value << " base " << base;
        continue;
      }
      Text expected = CStr(Integer(static_cast<std::int16_t>(q)));
      expected.push_back(r <= 9 ? static_cast<char16_t>(u'0' + r) : Chr(r + 55));
      const Text written = Dec2Cus(text, b);
      ASSERT_EQ(Show(written), Show(expected)) << value << " base " << base;
    }
  }
}

// Dec2Cus step by step with its divisions in double, as the legacy runtime
// did them: the reference for the writer's integer quotients.
Text LiteralDec2Cus(TextView inS, Integer base) {
  Text result;
  Integer value = Int(CDbl(inS));
  Integer place(1), count(1);
  for (;;) {
    const Integer next = base * place;
    if (next > value && count >= Integer(2)) break;
    place = next;
    count = count + Integer(1);
  }
  for (Integer k = count; k >= Integer(1); k = k - Integer(1)) {
    const Integer q = Int(Divide(value.value(), place.value()));
    value = value - place * q;
    if (q <= Integer(9)) {
      result += CStr(q);
    } else {
      result.push_back(Chr((q + Integer(55)).value()));
    }
    place = CInt(Divide(place.value(), base.value()));
  }
  return result;
}

TEST(Dec2CusTest, MatchesDoubleDivisionsForEveryValue) {
  for (const int base : {-32768, -300, -182, -181, -16, -3, -2, -1, 0, 1, 2, 3, 7, 16, 181, 182}) {
    const Integer b(static_cast<std::int16_t>(base));
    for (int value = -32768; value <= 32767; value += (base >= -1 && base <= 1) ? 97 : 1) {
      const Text text = CStr(Integer(static_cast<std::int16_t>(value)));
      Text expected, actual;
      const int expected_error = ErrorOf([&] { expected = LiteralDec2Cus(text, b); });
      const int actual_error = ErrorOf([&] { actual = Dec2Cus(text, b); });
      ASSERT_EQ(actual_error, expected_error) << value << " base " << base;
      ASSERT_EQ(Show(actual), Show(expected)) << value << " base " << base;
    }
  }
}

// Hex2Dec is Cust2Dec in base 16, results and errors alike, on random texts.
TEST(HexReaderTest, AgreesWithCustomReaderInBase16) {
  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> length(0, 5);
  std::uniform_int_distribution<int> unit(0, 300);
  for (int n = 0; n < 20000; ++n) {
    Text text;
    for (int i = length(random); i > 0; --i) text.push_back(static_cast<char16_t>(unit(random)));
    NumericValue hex, custom;
    const int hex_error = ErrorOf([&] { hex = Hex2Dec(text); });
    const int custom_error = ErrorOf([&] { custom = Cust2Dec(text, Integer(16)); });
    ASSERT_EQ(hex_error, custom_error) << Show(text);
    ASSERT_EQ(hex.value(), custom.value()) << Show(text);
    ASSERT_EQ(hex.is_long(), custom.is_long()) << Show(text);
  }
}

}  // namespace
}  // namespace zolm
