// The fast paths are the general rules: exhaustively where the domain is
// small, and over random field sets for the walks that use them.
#include "engine/internal/fast_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <utility>
#include <vector>

#include "engine/base_arithmetic.h"
#include "engine/convert_commands.h"
#include "engine/field_transforms.h"
#include "tests/fast_paths_run.h"
#include "tests/test_support.h"

namespace zolm {
namespace {

using testing::Show;

Text Written(int n, const char16_t* at) {
  return Text(at, static_cast<std::size_t>(n));
}

// Every value each base's writer takes is written as Dec2Cus writes it, and
// the first value past its limit is one Dec2Cus refuses.
TEST(FastPathsTest, DigitWriterIsDec2CusForEveryValueItTakes) {
  for (int base = -200; base <= 200; ++base) {
    const fast::DigitWriter writer(base);
    if (writer.limit() == 0) continue;
    ASSERT_EQ(
        testing::ErrorOf([&] { Dec2Cus(CStr(Integer::Of(writer.limit())), Integer::Of(base)); }),
        kOverflow)
        << "base " << base;
    char16_t out[fast::DigitWriter::kLongest];
    for (int value = 0; value < writer.limit(); ++value) {
      const Text expected = Dec2Cus(CStr(Integer::Of(value)), Integer::Of(base));
      ASSERT_EQ(Written(writer.Write(value, out), out), expected)
          << "base " << base << ", value " << value;
    }
  }
}

// Every code of up to K digits of each base, leading zeros included, reads as
// Cust2Dec reads it.
TEST(FastPathsTest, DigitReaderIsCust2DecForEveryCodeItTakes) {
  for (int base = 2; base <= 181; ++base) {
    const fast::DigitReader reader(base);
    // K, the most digits whose every step stays within 32767.
    int longest = 0;
    for (int power = base; power <= 32767; power *= base) ++longest;
    ASSERT_GE(longest, 2) << "base " << base;
    int places = 1;
    for (int length = 0; length <= longest + 1; ++length, places *= base) {
      if (length == longest + 1) {
        // One digit more is never taken.
        int value;
        const Text code(static_cast<std::size_t>(length), u'1');
        ASSERT_EQ(reader.ReadCode(code.data(), code.data() + code.size(), value), nullptr)
            << "base " << base;
        break;
      }
      for (int value = 0; value < places; ++value) {
        Text code(static_cast<std::size_t>(length), u'0');
        for (int i = length - 1, rest = value; i >= 0; --i, rest /= base) {
          const int digit = rest % base;
          code[static_cast<std::size_t>(i)] =
              static_cast<char16_t>(digit < 10 ? u'0' + digit : 55 + digit);
        }
        int read = -1;
        for (const Text& text : {code, code + u" 1"}) {
          const char16_t* const end = text.data() + text.size();
          int value;
          const char16_t* const stop = reader.ReadCode(text.data(), end, value);
          const int got = stop == nullptr ? -1 : value;
          ASSERT_TRUE(stop == nullptr || stop == text.data() + code.size()) << Show(text);
          ASSERT_TRUE(text == code || got == read) << Show(text);
          read = got;
        }
        if (std::any_of(code.begin(), code.end(), [](char16_t c) { return c > u'~'; })) {
          ASSERT_EQ(read, -1) << "base " << base << ", code " << Show(code);
          continue;
        }
        ASSERT_EQ(read, Cust2Dec(code, Integer::Of(base)).value())
            << "base " << base << ", code " << Show(code);
      }
    }
  }
}

// A code of one to six digits, alone or before a space: ReadPlainCode takes
// exactly those up to 32767, with the value CLng gives the code with and
// without the space that leads it in a walk, and CInt gives a radix.
TEST(FastPathsTest, ReadPlainCodeIsTheNumberReading) {
  for (int length = 1; length <= 6; ++length) {
    int count = 1;
    for (int i = 0; i < length; ++i) count *= 10;
    for (int n = 0; n < count; ++n) {
      Text digits(static_cast<std::size_t>(length), u'0');
      for (int i = length - 1, rest = n; i >= 0; --i, rest /= 10) {
        digits[static_cast<std::size_t>(i)] = static_cast<char16_t>(u'0' + rest % 10);
      }
      const bool taken = length <= 5 && n <= 32767;
      for (const Text& text : {digits, digits + u" 7", digits + u"x"}) {
        int value;
        const char16_t* const stop =
            fast::ReadPlainCode(text.data(), text.data() + text.size(), value);
        const bool plain = taken && text.size() <= digits.size() + 2 && text.back() != u'x';
        ASSERT_EQ(stop != nullptr, plain) << Show(text);
        if (!plain) continue;
        ASSERT_EQ(stop, text.data() + digits.size()) << Show(text);
        ASSERT_EQ(value, n) << Show(text);
        ASSERT_EQ(CLng(digits), n) << Show(digits);
        ASSERT_EQ(CLng(u" " + digits), n) << Show(digits);
        ASSERT_EQ(CInt(digits).value(), n) << Show(digits);
      }
    }
  }
}

TEST(FastPathsTest, CharactersAndDecimalsAreTheValueRules) {
  char16_t out[8];
  for (int code = 0; code <= 255; ++code) ASSERT_EQ(fast::Character(code), Chr(code)) << code;
  for (int value = 0; value <= 99999; ++value) {
    Text expected;
    AppendDecimal(expected, value);
    ASSERT_EQ(Written(fast::WriteDecimal(value, out), out), expected) << value;
  }
  for (int unit = 0; unit <= 0xFFFF; ++unit) {
    const auto c = static_cast<char16_t>(unit);
    const int n = fast::WriteCharCode(c, out);
    if (n != 0) {
      ASSERT_EQ(Written(n, out), CStr(Asc(TextView(&c, 1))) + u" ") << unit;
    }
  }
}

// ascc's hex and custom rows straight from the Ascii row are what d2h and
// d2c read from the decimal row: for every character, every radix, and at
// the decimal row's length limit.
TEST(FastPathsTest, RowsAfterA2dAreD2hAndD2c) {
  // The rows done by the shortcut, and whether the steps agree on them.
  const auto both = [](const Text& ascii, const Text& radix) {
    FieldModel shortcut;
    shortcut.WriteText(Field::tAsc, ascii);
    shortcut.WriteText(Field::tBase, radix);
    a2d(shortcut);
    FieldModel general = shortcut;
    const RowsDone done = RowsAfterA2d(shortcut);
    fast::GeneralRulesOnly only;
    bool same = true;
    if (done != RowsDone::kNone) {
      d2h(general);
      same = shortcut.text(Field::tHex) == general.text(Field::tHex);
    }
    if (done == RowsDone::kHexAndCustom) {
      d2c(general);
      same = same && shortcut.text(Field::tCus) == general.text(Field::tCus);
    }
    return std::pair{done, same};
  };
  for (int unit = 0; unit <= 0xFFFF; ++unit) {
    ASSERT_EQ(both(Text(1, static_cast<char16_t>(unit)) + u"~", u"16"),
              std::pair(RowsDone::kHexAndCustom, true))
        << unit;
  }
  // Tabs: a decimal row of 2n - 1 characters, 32765 at most.
  EXPECT_EQ(both(Text(16383, u'\t'), u"16"), std::pair(RowsDone::kHexAndCustom, true));
  EXPECT_EQ(both(Text(16384, u'\t'), u"16"), std::pair(RowsDone::kNone, true));

  Text every_code;
  for (int code = 0; code <= 255; ++code) every_code.push_back(Chr(code));
  std::vector<Text> radixes = {u"15.7", u"16.5", u" 8 ", u"abc", u"", u"1e1", u"40000"};
  for (int radix = -200; radix <= 200; ++radix) radixes.push_back(CStr(Integer::Of(radix)));
  for (const Text& radix : radixes) {
    const auto [done, same] = both(every_code, radix);
    ASSERT_TRUE(same) << Show(radix);
    if (radix == u"2" || radix == u"15.7" || radix == u"181") {
      EXPECT_EQ(done, RowsDone::kHexAndCustom) << Show(radix);
    }
  }
}

// Random field sets, mostly of plain codes with a few odd characters and
// radixes, run through every transform and command with the fast paths and
// with the general rules alone: the same texts, error numbers and places.
TEST(FastPathsTest, WalksAgreeWithTheGeneralRules) {
  std::mt19937 random(11);
  const std::u16string alphabet = u"0123456789    0123456789ABCFGZaz~-+.e\t\u20AC\u00E9";
  const std::u16string radixes[] = {u"16", u"2",  u" 10 ", u"36",  u"181", u"182", u"abc", u"0",
                                    u"1",  u"-2", u"15.7", u"3.5", u"",    u"40",  u"2 7"};
  std::uniform_int_distribution<int> length(0, 40);
  std::uniform_int_distribution<int> odd(0, 9);
  std::uniform_int_distribution<std::size_t> digit(0, 13);
  std::uniform_int_distribution<std::size_t> any(0, alphabet.size() - 1);
  using Operation = void (*)(FieldSet&);
  const Operation operations[] = {a2d, d2a, d2h, d2c, c2d, h2d, ascc, dec, hex, cus};
  for (int n = 0; n < 20000; ++n) {
    FieldModel fast_fields;
    for (const Field field : kAllFields) {
      Text text;
      for (int i = length(random); i > 0; --i) {
        text.push_back(alphabet[odd(random) == 0 ? any(random) : digit(random)]);
      }
      if (field == Field::tBase) text = radixes[static_cast<std::size_t>(n) % std::size(radixes)];
      fast_fields.WriteText(field, text);
    }
    FieldModel general_fields = fast_fields;
    const Operation operation = operations[n % std::size(operations)];
    const auto fast_error = testing::RunWithFastPaths(operation, fast_fields, true);
    const auto general_error = testing::RunWithFastPaths(operation, general_fields, false);
    ASSERT_EQ(fast_error.has_value(), general_error.has_value()) << "set " << n;
    for (const Field field : kAllFields) {
      ASSERT_EQ(fast_fields.text(field), general_fields.text(field))
          << "set " << n << ", " << FieldName(field);
    }
    if (!fast_error) continue;
    ASSERT_EQ(fast_error->number(), general_error->number()) << "set " << n;
    ASSERT_TRUE(fast_error->place().has_value() && general_error->place().has_value())
        << "set " << n;
    const ErrorPlace& a = *fast_error->place();
    const ErrorPlace& b = *general_error->place();
    ASSERT_TRUE(a == b) << "set " << n << ": code " << a.code_index << " " << Show(a.code) << " vs "
                        << b.code_index << " " << Show(b.code);
  }
}

}  // namespace
}  // namespace zolm
