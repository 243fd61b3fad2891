#include "engine/value_rules.h"

#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "engine/internal/decimal.h"

namespace zolm {

const char* ErrorDescription(int number) noexcept {
  switch (number) {
    case kInvalidProcedureCall:
      return "Invalid procedure call or argument";
    case kOverflow:
      return "Overflow";
    case kDivisionByZero:
      return "Division by zero";
    case kTypeMismatch:
      return "Type mismatch";
    default:
      return "Application-defined or object-defined error";
  }
}

const char* RuntimeError::what() const noexcept {
  return ErrorDescription(number_);
}

void Raise(int number) {
  throw RuntimeError(number);
}

void NumericValue::Add(Integer term) {
  value_ += term.value();
  if (value_ < -32768 || value_ > 32767) is_long_ = true;
}

Long Len(TextView s) {
  return static_cast<Long>(s.size());
}

TextView Mid(TextView s, Long start, Long length) {
  if (start < 1 || length < 0) Raise(kInvalidProcedureCall);
  const auto from = static_cast<std::size_t>(start - 1);
  if (from >= s.size()) return {};
  return s.substr(from, static_cast<std::size_t>(length));
}

TextView Left(TextView s, Long n) {
  if (n < 0) Raise(kInvalidProcedureCall);
  return s.substr(0, static_cast<std::size_t>(n));
}

TextView Trim(TextView s) {
  const auto first = s.find_first_not_of(u' ');
  if (first == TextView::npos) return {};
  const auto last = s.find_last_not_of(u' ');
  return s.substr(first, last - first + 1);
}

Long InStr(Long start, TextView s, char16_t c) {
  if (start < 1) Raise(kInvalidProcedureCall);
  const auto from = static_cast<std::size_t>(start - 1);
  if (from >= s.size()) return 0;
  const auto found = s.find(c, from);
  return found == TextView::npos ? 0 : static_cast<Long>(found + 1);
}

namespace {

// Windows-1252 codes 128..159. The five codes the page leaves undefined map to
// the C1 control of the same number.
constexpr std::array<char16_t, 32> kHighCodes = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::int16_t kQuestionMark = 63;

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}
bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// The parts of a number text, as positions into it.
struct NumberSyntax {
  bool negative = false;
  std::size_t body_begin = 0;  // first character after the sign
  std::size_t body_end = 0;    // one past the exponent's last digit
};

// Checks the CDbl grammar; false when `s` is no number.
bool ParseSyntax(TextView s, NumberSyntax& out) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n && IsBlank(s[i])) ++i;
  if (i < n && (s[i] == u'+' || s[i] == u'-')) {
    out.negative = s[i] == u'-';
    ++i;
  }
  out.body_begin = i;
  int digits = 0;
  bool seen_point = false;
  for (; i < n; ++i) {
    const char16_t c = s[i];
    if (IsDigit(c)) {
      ++digits;
    } else if (c == u'.' && !seen_point) {
      seen_point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return false;
  if (i < n && (s[i] == u'e' || s[i] == u'E')) {
    ++i;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) ++i;
    int exponent_digits = 0;
    for (; i < n && IsDigit(s[i]); ++i) ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  out.body_end = i;
  while (i < n && IsBlank(s[i])) ++i;
  if (i != n) return false;
  return true;
}

}  // namespace

Integer Asc(TextView c) {
  if (c.empty()) Raise(kInvalidProcedureCall);
  const char16_t ch = c.front();
  if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return Integer(static_cast<std::int16_t>(ch));
  for (std::size_t i = 0; i < kHighCodes.size(); ++i) {
    if (kHighCodes[i] == ch) return Integer(static_cast<std::int16_t>(0x80 + i));
  }
  return Integer(kQuestionMark);
}

char16_t Chr(Long n) {
  if (n < 0 || n > 255) Raise(kInvalidProcedureCall);
  if (n >= 0x80 && n < 0xA0) return kHighCodes[static_cast<std::size_t>(n - 0x80)];
  return static_cast<char16_t>(n);
}

bool IsNumeric(TextView s) {
  NumberSyntax syntax;
  return ParseSyntax(s, syntax);
}

Text CStr(Integer i) {
  Text out;
  AppendDecimal(out, i.value());
  return out;
}

void AppendDecimal(Text& out, Long n) {
  std::array<char16_t, 11> buffer{};  // "-2147483648"
  std::size_t begin = buffer.size();
  // Work on the magnitude as unsigned, so that the least Long has one too.
  auto magnitude = n < 0 ? 0u - static_cast<std::uint32_t>(n) : static_cast<std::uint32_t>(n);
  do {
    buffer[--begin] = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (n < 0) buffer[--begin] = u'-';
  out.append(buffer.data() + begin, buffer.size() - begin);
}

namespace {

// The common case of CDbl: blanks, an optional sign, up to 15 digits, blanks.
// Returns false, without raising, for every other text.
bool ReadPlainInteger(TextView s, double& out) {
  const char16_t* p = s.data();
  const char16_t* const end = p + s.size();
  while (p != end && IsBlank(*p)) ++p;
  bool negative = false;
  if (p != end && (*p == u'-' || *p == u'+')) negative = *p++ == u'-';
  const char16_t* const digits = p;
  long long whole = 0;
  while (p != end && IsDigit(*p) && p - digits < 15) whole = whole * 10 + (*p++ - u'0');
  if (p == digits) return false;
  while (p != end && IsBlank(*p)) ++p;
  if (p != end) return false;
  out = negative ? -static_cast<double>(whole) : static_cast<double>(whole);
  return true;
}

}  // namespace

double CDbl(TextView s) {
  double plain = 0.0;
  if (ReadPlainInteger(s, plain)) return plain;
  NumberSyntax syntax;
  if (!ParseSyntax(s, syntax)) Raise(kTypeMismatch);
  // Plain integers of up to 15 digits were read above; what is left needs
  // the full reading of a decimal with point or exponent.
  std::string ascii;
  ascii.reserve(syntax.body_end - syntax.body_begin);
  for (std::size_t i = syntax.body_begin; i < syntax.body_end; ++i) {
    ascii.push_back(static_cast<char>(s[i]));
  }
  // One reading for every platform: strtod follows the C locale, and
  // from_chars for doubles is not in every standard library we build with.
  // decimal::Read is fast_float's.
  const double magnitude = decimal::Read(ascii);
  if (!std::isfinite(magnitude)) Raise(kOverflow);
  return syntax.negative ? -magnitude : magnitude;
}

namespace {

// `x` rounded half to even, for |x| < 2^62 (callers check a looser range
// first, which also turns NaN away).
long long RoundHalfEven(double x) {
  auto whole = static_cast<long long>(x);
  if (static_cast<double>(whole) > x) --whole;  // now the floor
  const double fraction = x - static_cast<double>(whole);
  if (fraction > 0.5 || (fraction == 0.5 && (whole & 1) != 0)) ++whole;
  return whole;
}

}  // namespace

Integer CInt(double x) {
  if (!(x > -40000.0 && x < 40000.0)) Raise(kOverflow);
  return Integer::Of(RoundHalfEven(x));
}

Integer CInt(TextView s) {
  return CInt(CDbl(s));
}

Long CLng(double x) {
  if (!(x > -3e9 && x < 3e9)) Raise(kOverflow);
  const long long r = RoundHalfEven(x);
  if (r < -2147483648LL || r > 2147483647LL) Raise(kOverflow);
  return static_cast<Long>(r);
}

Long CLng(TextView s) {
  return CLng(CDbl(s));
}

}  // namespace zolm
