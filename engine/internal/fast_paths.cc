#include "engine/internal/fast_paths.h"

namespace zolm::fast {

namespace detail {

namespace {

std::array<char16_t, 181> MakeDigits() {
  std::array<char16_t, 181> digits{};
  for (int q = 0; q < 181; ++q) {
    digits[static_cast<std::size_t>(q)] = q <= 9 ? static_cast<char16_t>(u'0' + q) : Chr(q + 55);
  }
  return digits;
}

constexpr std::array<char16_t, 200> MakePairs() {
  std::array<char16_t, 200> pairs{};
  for (int i = 0; i < 100; ++i) {
    pairs[static_cast<std::size_t>(2 * i)] = static_cast<char16_t>(u'0' + i / 10);
    pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<char16_t>(u'0' + i % 10);
  }
  return pairs;
}

std::array<char16_t, 256> MakeCharacters() {
  std::array<char16_t, 256> characters{};
  for (int code = 0; code < 256; ++code) characters[static_cast<std::size_t>(code)] = Chr(code);
  return characters;
}

}  // namespace

const std::array<char16_t, 256> kCharacters = MakeCharacters();
const std::array<char16_t, 181> kDigits = MakeDigits();
const std::array<char16_t, 200> kPairs = MakePairs();
thread_local bool enabled = true;

}  // namespace detail

DigitWriter::DigitWriter(int base) : base_(base) {
  if (base < 2 || base > 181) return;
  // base^K, the largest power within 32767: writing it would take base^(K+1).
  int power = 1;
  while (power * base <= 32767) power *= base;
  limit_ = power;
}

int DigitWriter::WriteAnyBase(int value, char16_t* out) const {
  char16_t reversed[kLongest];
  int n = 0;
  do {
    reversed[n++] = detail::kDigits[static_cast<std::size_t>(value % base_)];
    value /= base_;
  } while (value != 0);
  if (n < 2) reversed[n++] = u'0';  // at least two digits
  for (int i = 0; i < n; ++i) out[i] = reversed[n - 1 - i];
  return n;
}

DigitReader::DigitReader(int base) : base_(base) {
  if (base < 2 || base > 181) return;
  longest_ = 0;
  for (int power = base; power <= 32767; power *= base) ++longest_;
}

}  // namespace zolm::fast
