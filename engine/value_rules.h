// Value rules of Zolm Converter: the 16-bit and 32-bit whole numbers with the
// legacy overflow rules, the number that widens instead of overflowing, and the
// text and number operations every conversion is built from.
//
// Texts are sequences of 16-bit characters with positions counted from 1.
// Character codes are those of Windows-1252. Every operation either yields its
// result or raises a RuntimeError carrying one of the numbers 5, 6, 11 or 13.
#ifndef ZOLM_ENGINE_VALUE_RULES_H_
#define ZOLM_ENGINE_VALUE_RULES_H_

#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

namespace zolm {

using Text = std::u16string;
using TextView = std::u16string_view;

// Run-time error numbers.
inline constexpr int kInvalidProcedureCall = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kDivisionByZero = 11;
inline constexpr int kTypeMismatch = 13;

// The five fields a user edits, named after the text boxes that show them.
enum class Field { tAsc, tDec, tHex, tCus, tBase };
// How many fields there are: tBase is the last.
inline constexpr std::size_t kFieldCount = static_cast<std::size_t>(Field::tBase) + 1;

// Where a run-time error struck, in the user's terms. `code_index` is 0 when
// the error concerns the field as a whole (an empty or over-long row, or the
// radix text); otherwise it counts the codes of the row from 1, and
// `code_start` (characters ahead of the code in the field's text) and `code`
// (the code as typed, without separators) locate it.
struct ErrorPlace {
  enum class Kind { kCode, kRadix, kEmptyRow, kRowTooLong };
  Kind kind = Kind::kCode;
  Field field = Field::tDec;
  int code_index = 0;
  int code_start = 0;
  Text code;

  friend bool operator==(const ErrorPlace&, const ErrorPlace&) = default;
};

// The single error type of the engine. `number()` is the run-time error number
// and `what()` its standard description ("Overflow", "Type mismatch", ...).
// A walk that knows where the error struck attaches a place with `set_place`
// as the error passes; the number never changes.
class RuntimeError : public std::exception {
 public:
  explicit RuntimeError(int number) noexcept : number_(number) {}
  int number() const noexcept { return number_; }
  const char* what() const noexcept override;
  const std::optional<ErrorPlace>& place() const noexcept { return place_; }
  void set_place(ErrorPlace place) { place_ = std::move(place); }

 private:
  int number_;
  std::optional<ErrorPlace> place_;
};

// The standard description of a run-time error number: 5 "Invalid procedure
// call or argument", 6 "Overflow", 11 "Division by zero", 13 "Type mismatch";
// "Application-defined or object-defined error" for any other number.
const char* ErrorDescription(int number) noexcept;

// Throws RuntimeError(number). Never returns.
[[noreturn]] void Raise(int number);

// 16-bit signed whole number. Every sum, difference and product is
// range-tested: a result outside -32768..32767 raises error 6.
class Integer {
 public:
  constexpr Integer() = default;
  constexpr Integer(std::int16_t value) : value_(value) {}  // NOLINT: implicit by design

  // `value` as an Integer; raises 6 when it lies outside -32768..32767.
  static Integer Of(std::int64_t value) {
    if (value < -32768 || value > 32767) Raise(kOverflow);
    return Integer(static_cast<std::int16_t>(value));
  }

  constexpr std::int16_t value() const { return value_; }

  friend Integer operator+(Integer a, Integer b) { return Of(std::int64_t{a.value_} + b.value_); }
  friend Integer operator-(Integer a, Integer b) { return Of(std::int64_t{a.value_} - b.value_); }
  friend Integer operator*(Integer a, Integer b) { return Of(std::int64_t{a.value_} * b.value_); }
  friend constexpr bool operator==(Integer a, Integer b) = default;
  friend constexpr auto operator<=>(Integer a, Integer b) = default;

 private:
  std::int16_t value_ = 0;
};

// 32-bit signed whole number.
using Long = std::int32_t;

// A running total: starts as the Integer 0, stays an Integer while every sum
// fits, and from the first sum outside -32768..32767 is a Long for good.
// Adding never raises (callers add at most 32767 terms of at most 32768).
class NumericValue {
 public:
  void Add(Integer term);
  bool is_long() const { return is_long_; }
  Long value() const { return value_; }

 private:
  Long value_ = 0;
  bool is_long_ = false;
};

// Number of characters of `s`.
Long Len(TextView s);

// Up to `length` characters of `s` from position `start` (from 1); empty when
// `start` lies beyond the end. Raises 5 if `start` < 1 or `length` < 0. The
// result views `s`.
TextView Mid(TextView s, Long start, Long length);

// The first `n` characters of `s`, all of them when `n` >= Len(s). Raises 5 if
// `n` < 0. The result views `s`.
TextView Left(TextView s, Long n);

// `s` without leading and trailing spaces (U+0020 only; tabs stay).
TextView Trim(TextView s);

// Position (from 1) of the first `c` at or after `start`; 0 if none, also when
// `start` lies beyond the end. Raises 5 if `start` < 1.
Long InStr(Long start, TextView s, char16_t c = u' ');

// Windows-1252 code of the first character of `c`; 63 ("?") for a character
// outside the code page. Raises 5 if `c` is empty.
Integer Asc(TextView c);

// The character of Windows-1252 code `n`. Raises 5 unless 0 <= n <= 255.
char16_t Chr(Long n);

// True when `s` reads as a number by the rules of CDbl (overflow aside). For a
// one-character text exactly "0".."9".
bool IsNumeric(TextView s);

// Decimal text of a whole number: "-" when negative, no blanks.
Text CStr(Integer i);
// Appends the decimal text of `n` to `out`.
void AppendDecimal(Text& out, Long n);

// The number `s` spells. Accepted: blanks (space or tab), an optional sign,
// digits with at most one decimal point and at least one digit, an optional
// exponent (E or e, optional sign, digits), blanks. Raises 13 for anything
// else, the empty and the blank-only text included, and 6 for a number too
// large for a double.
double CDbl(TextView s);

// `x` rounded half to even, as an Integer or a Long; raises 6 out of range.
// The text forms read `s` as CDbl does first (13 and 6 as there).
Integer CInt(double x);
Integer CInt(TextView s);
Long CLng(double x);
Long CLng(TextView s);

// The greatest whole number <= `x`, as an Integer; raises 6 out of range.
inline Integer Int(double x) {
  // floor(x) lies in range exactly when x does in [-32768, 32768); NaN fails.
  if (!(x >= -32768.0 && x < 32768.0)) Raise(kOverflow);
  auto whole = static_cast<int>(x);  // truncates towards zero
  if (whole > x) --whole;
  return Integer(static_cast<std::int16_t>(whole));
}

// `x / y`. Raises 11 if `y` is 0 and 6 when the quotient is no finite number.
inline double Divide(double x, double y) {
  if (y == 0.0) Raise(kDivisionByZero);
  const double q = x / y;
  if (!(q - q == 0.0)) Raise(kOverflow);  // infinite or NaN
  return q;
}

}  // namespace zolm

#endif  // ZOLM_ENGINE_VALUE_RULES_H_
