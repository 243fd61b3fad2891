// Fast paths for the common shapes of a code: short plain decimal codes,
// digit strings in an ordinary base, character codes below 256. Each one
// either yields exactly what the general rule (Dec2Cus, Cust2Dec, CDbl, CLng,
// Asc) yields for its input, or declines, and the caller runs the general
// rule. None of them raises. Equality with the general rules is checked
// exhaustively where the domain is small and by a differential fuzzer.
#ifndef ZOLM_ENGINE_INTERNAL_FAST_PATHS_H_
#define ZOLM_ENGINE_INTERNAL_FAST_PATHS_H_

#include <array>

#include "engine/value_rules.h"

namespace zolm::fast {

namespace detail {
// The digit of each value 0..180 as Dec2Cus writes it.
extern const std::array<char16_t, 181> kDigits;
// "00" .. "99", two characters each.
extern const std::array<char16_t, 200> kPairs;
// The character of each code 0..255 (Chr).
extern const std::array<char16_t, 256> kCharacters;
// Whether the fast paths are in use on this thread (see Enabled).
extern thread_local bool enabled;
}  // namespace detail

// True while the fast paths are in use (the default, per thread). The
// differential checks switch them off with a GeneralRulesOnly guard to run
// the general rules alone.
inline bool Enabled() {
  return detail::enabled;
}

// While it lives, this thread runs the general rules alone; the fast paths
// come back as they were when it goes.
class GeneralRulesOnly {
 public:
  GeneralRulesOnly() : was_(detail::enabled) { detail::enabled = false; }
  ~GeneralRulesOnly() { detail::enabled = was_; }
  GeneralRulesOnly(const GeneralRulesOnly&) = delete;
  GeneralRulesOnly& operator=(const GeneralRulesOnly&) = delete;

 private:
  bool was_;
};

// Reads a plain decimal code that starts at `p`: 1 to 5 ASCII digits worth
// at most 32767, ended by a space or by `end`. Returns where it ends (the
// space or `end`) with its value in `value`, or nullptr when the code is of
// any other shape. For such a code, and for it after one space, Int(CDbl())
// and CLng() give that value; CInt() gives it for the code alone.
inline const char16_t* ReadPlainCode(const char16_t* p, const char16_t* end, int& value) {
  const char16_t* const begin = p;
  int total = 0;
  for (const char16_t* const stop = end - p > 6 ? p + 6 : end; p != stop; ++p) {
    const unsigned digit = static_cast<unsigned>(*p) - u'0';
    if (digit > 9) break;
    total = total * 10 + static_cast<int>(digit);
  }
  value = total;
  const bool plain = p != begin && p - begin <= 5 && total <= 32767 && (p == end || *p == u' ');
  return plain ? p : nullptr;
}

// Chr(code) for 0 <= code <= 255.
inline char16_t Character(int code) {
  return detail::kCharacters[static_cast<std::size_t>(code)];
}

// Writes 0 <= `value` <= 99999 in decimal at `out` (no sign, no padding);
// returns the number of characters written (at most 5).
inline int WriteDecimal(int value, char16_t* out) {
  const auto pair = [](int two) { return &detail::kPairs[static_cast<std::size_t>(2 * two)]; };
  if (value < 10) {
    out[0] = static_cast<char16_t>(u'0' + value);
    return 1;
  }
  if (value < 100) {
    out[0] = pair(value)[0];
    out[1] = pair(value)[1];
    return 2;
  }
  if (value < 1000) {
    out[0] = static_cast<char16_t>(u'0' + value / 100);
    out[1] = pair(value % 100)[0];
    out[2] = pair(value % 100)[1];
    return 3;
  }
  int n = 0;
  if (value >= 10000) out[n++] = static_cast<char16_t>(u'0' + value / 10000);
  const char16_t* high = pair(value / 100 % 100);
  const char16_t* low = pair(value % 100);
  out[n] = high[0];
  out[n + 1] = high[1];
  out[n + 2] = low[0];
  out[n + 3] = low[1];
  return n + 4;
}

// The decimal text of the character code of `c` (Asc) followed by a space,
// for the common characters (ASCII and U+00A0..U+00FF). Returns the number of
// characters written (at most 4), or 0 for other characters.
inline int WriteCharCode(char16_t c, char16_t* out) {
  if (c >= 0x80 && (c < 0xA0 || c > 0xFF)) return 0;
  const int n = WriteDecimal(c, out);
  out[n] = u' ';
  return n + 1;
}

// Dec2Cus of the values 0 <= value < limit() in one base: for a base of 2 to
// 181, limit() is base^K, the largest power of the base within 32767. Dec2Cus
// cannot write base^K itself: its digit count search forms base^(K+1), which
// leaves the 16-bit range. For any other base limit() is 0.
inline constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

class DigitWriter {
 public:
  static constexpr int kLongest = 14;  // most digits written: base 2, 16383

  explicit DigitWriter(int base);
  int base() const { return base_; }
  int limit() const { return limit_; }
  // Writes Dec2Cus(value) at `out`; returns the number of characters (2 to
  // kLongest). Requires 0 <= value < limit().
  int Write(int value, char16_t* out) const {
    if (base_ == 16) {
      if (value < 256) {
        out[0] = kHexDigits[value >> 4];
        out[1] = kHexDigits[value & 15];
        return 2;
      }
      out[0] = kHexDigits[value >> 8];
      out[1] = kHexDigits[(value >> 4) & 15];
      out[2] = kHexDigits[value & 15];
      return 3;
    }
    return WriteAnyBase(value, out);
  }

 private:
  int WriteAnyBase(int value, char16_t* out) const;

  int base_;
  int limit_ = 0;
};

// Cust2Dec in one base for the codes whose every character is worth less
// than the base: at most K characters (so no step can overflow), each an
// ASCII character of the digit alphabet ("0".."9", then "A".."Z" and on up
// to "~") worth 0 .. base - 1. The empty code reads as 0.
class DigitReader {
 public:
  explicit DigitReader(int base);
  int base() const { return base_; }
  // The digit value of `c` when it is an ASCII digit character worth less
  // than the base; -1 otherwise.
  int Digit(char16_t c) const {
    int digit;
    if (c >= u'0' && c <= u'9') {
      digit = c - u'0';
    } else if (c >= u'A' && c <= u'~') {
      digit = c - 55;
    } else {
      return -1;
    }
    return digit < base_ ? digit : -1;
  }
  // Reads the code that starts at `p` and runs to the next space or `end`.
  // Returns where it ends (the space or `end`) with its value in `value`, or
  // nullptr when the code is not of that shape.
  const char16_t* ReadCode(const char16_t* p, const char16_t* end, int& value) const {
    // In locals: a store through `value` could otherwise alias the members.
    const int base = base_;
    const int longest = longest_;
    int total = 0;
    for (int count = 0; p != end && *p != u' '; ++p) {
      const int digit = Digit(*p);
      if (digit < 0 || ++count > longest) return nullptr;
      total = total * base + digit;
    }
    value = total;
    return p;
  }

 private:
  int base_;
  int longest_ = -1;  // K; -1 when the base takes no fast path
};

}  // namespace zolm::fast

#endif  // ZOLM_ENGINE_INTERNAL_FAST_PATHS_H_
