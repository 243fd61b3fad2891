#include "engine/internal/decimal.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>

namespace zolm::decimal {

namespace {

// Enough digits to decide every rounding of a double: the digits past them
// only matter as "some nonzero digit was dropped" (`truncated`).
constexpr int kMaxDigits = 800;

// A decimal 0.d[0]d[1]...d[count-1] x 10^point, digits as values 0..9, with
// no trailing zero digit.
struct Decimal {
  std::array<std::uint8_t, kMaxDigits> d{};
  int count = 0;
  int point = 0;
  bool truncated = false;

  void Trim() {
    while (count > 0 && d[static_cast<std::size_t>(count - 1)] == 0) --count;
    if (count == 0) point = 0;
  }
};

// Shifts are done in steps small enough that n * 10 + 9 fits 64 bits.
constexpr int kMaxShift = 60;

void ShiftRight(Decimal& a, int k) {
  const std::uint64_t mask = (std::uint64_t{1} << k) - 1;
  int read = 0;
  int write = 0;
  std::uint64_t n = 0;
  // Take leading digits until the first digit of the quotient appears.
  for (; (n >> k) == 0; ++read) {
    if (read >= a.count) {
      if (n == 0) {
        a.count = 0;
        a.point = 0;
        return;
      }
      while ((n >> k) == 0) {
        n *= 10;
        ++read;
      }
      break;
    }
    n = n * 10 + a.d[static_cast<std::size_t>(read)];
  }
  a.point -= read - 1;
  for (; read < a.count; ++read) {
    const std::uint8_t next = a.d[static_cast<std::size_t>(read)];
    a.d[static_cast<std::size_t>(write++)] = static_cast<std::uint8_t>(n >> k);
    n = (n & mask) * 10 + next;
  }
  while (n > 0) {
    const auto digit = static_cast<std::uint8_t>(n >> k);
    if (write < kMaxDigits) {
      a.d[static_cast<std::size_t>(write++)] = digit;
    } else if (digit > 0) {
      a.truncated = true;
    }
    n = (n & mask) * 10;
  }
  a.count = write;
  a.Trim();
}

void ShiftLeft(Decimal& a, int k) {
  // From the last digit back, into room for the digits the shift adds.
  std::array<std::uint8_t, kMaxDigits + 20> out{};
  std::size_t begin = out.size();
  std::uint64_t n = 0;
  for (int read = a.count - 1; read >= 0; --read) {
    n += std::uint64_t{a.d[static_cast<std::size_t>(read)]} << k;
    out[--begin] = static_cast<std::uint8_t>(n % 10);
    n /= 10;
  }
  while (n > 0) {
    out[--begin] = static_cast<std::uint8_t>(n % 10);
    n /= 10;
  }
  const int produced = static_cast<int>(out.size() - begin);
  a.point += produced - a.count;
  const int kept = std::min(produced, kMaxDigits);
  for (int i = kept; i < produced; ++i) {
    if (out[begin + static_cast<std::size_t>(i)] != 0) a.truncated = true;
  }
  std::copy_n(out.begin() + static_cast<std::ptrdiff_t>(begin), kept, a.d.begin());
  a.count = kept;
  a.Trim();
}

// Multiplies by 2^k (k > 0) or divides by 2^-k (k < 0).
void Shift(Decimal& a, int k) {
  if (k > 0) {
    for (; k > 0; k -= kMaxShift) ShiftLeft(a, std::min(k, kMaxShift));
  } else {
    for (; k < 0; k += kMaxShift) ShiftRight(a, std::min(-k, kMaxShift));
  }
}

// Whether the digits from `at` on round the integer part up (ties to even).
bool RoundsUp(const Decimal& a, int at) {
  if (at < 0 || at >= a.count) return false;
  const std::uint8_t digit = a.d[static_cast<std::size_t>(at)];
  if (digit == 5 && at + 1 == a.count) {
    if (a.truncated) return true;
    return at > 0 && a.d[static_cast<std::size_t>(at - 1)] % 2 != 0;
  }
  return digit >= 5;
}

// The integer nearest to `a`, which is below 2^54.
std::uint64_t RoundedInteger(const Decimal& a) {
  std::uint64_t n = 0;
  int i = 0;
  for (; i < a.point && i < a.count; ++i) n = n * 10 + a.d[static_cast<std::size_t>(i)];
  for (; i < a.point; ++i) n *= 10;
  if (RoundsUp(a, a.point)) ++n;
  return n;
}

constexpr int kMantissaBits = 52;
constexpr int kBias = -1023;
constexpr int kInfiniteExponent = 2047;

// The general reading: scale the decimal by powers of two into [1, 2), then
// take the mantissa's 53 bits rounded.
double ToDouble(Decimal& a) {
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  if (a.count == 0 || a.point < -330) return 0.0;
  if (a.point > 310) return kInfinity;
  // Bits that bring a decimal with `point` digits before the point below 1.
  constexpr std::array<int, 9> kBitsFor = {1, 3, 6, 9, 13, 16, 19, 23, 26};
  int exponent = 0;
  while (a.point > 0) {
    const int n = a.point >= 9 ? 27 : kBitsFor[static_cast<std::size_t>(a.point)];
    Shift(a, -n);
    exponent += n;
  }
  while (a.point < 0 || (a.point == 0 && a.d[0] < 5)) {
    const int n = -a.point >= 9 ? 27 : kBitsFor[static_cast<std::size_t>(-a.point)];
    Shift(a, n);
    exponent -= n;
  }
  // Now in [0.5, 1); as a mantissa in [1, 2) the exponent is one less.
  --exponent;
  if (exponent < kBias + 1) {
    // Subnormal: fewer bits of mantissa.
    const int n = kBias + 1 - exponent;
    Shift(a, -n);
    exponent += n;
  }
  if (exponent - kBias >= kInfiniteExponent) return kInfinity;
  Shift(a, 1 + kMantissaBits);
  std::uint64_t mantissa = RoundedInteger(a);
  if (mantissa == std::uint64_t{2} << kMantissaBits) {
    // Rounding carried into a new bit.
    mantissa >>= 1;
    ++exponent;
    if (exponent - kBias >= kInfiniteExponent) return kInfinity;
  }
  if ((mantissa & (std::uint64_t{1} << kMantissaBits)) == 0) exponent = kBias;
  const std::uint64_t bits = (mantissa & ((std::uint64_t{1} << kMantissaBits) - 1)) |
                             (static_cast<std::uint64_t>(exponent - kBias) << kMantissaBits);
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

constexpr std::array<double, 23> kExactPowers = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                 1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

}  // namespace

double Read(std::string_view text) noexcept {
  Decimal a;
  std::size_t i = 0;
  bool after_point = false;
  bool nonzero_seen = false;
  // Digits before the point, counted past kMaxDigits too.
  long long point = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.') {
      after_point = true;
      continue;
    }
    if (c < '0' || c > '9') break;
    const auto digit = static_cast<std::uint8_t>(c - '0');
    if (!nonzero_seen && digit == 0) {
      if (after_point) --point;
      continue;
    }
    nonzero_seen = true;
    if (!after_point) ++point;
    if (a.count < kMaxDigits) {
      a.d[static_cast<std::size_t>(a.count++)] = digit;
    } else if (digit != 0) {
      a.truncated = true;
    }
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long exponent = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      // Past a million the value is infinite or zero whatever follows.
      if (exponent < 1'000'000) exponent = exponent * 10 + (text[i] - '0');
    }
    point += negative ? -exponent : exponent;
  }
  a.Trim();
  if (a.count == 0) return 0.0;
  point = std::clamp(point, -100'000LL, 100'000LL);
  a.point = static_cast<int>(point);

  // Few digits and a small power of ten: one correctly rounded operation on
  // exact operands.
  if (a.count <= 15 && !a.truncated) {
    std::int64_t whole = 0;
    for (int k = 0; k < a.count; ++k) whole = whole * 10 + a.d[static_cast<std::size_t>(k)];
    const int scale = a.point - a.count;
    if (scale >= 0 && scale <= 22) {
      return static_cast<double>(whole) * kExactPowers[static_cast<std::size_t>(scale)];
    }
    if (scale < 0 && scale >= -22) {
      return static_cast<double>(whole) / kExactPowers[static_cast<std::size_t>(-scale)];
    }
  }
  return ToDouble(a);
}

}  // namespace zolm::decimal
