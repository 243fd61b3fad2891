// Turns fuzzer bytes into the values the targets need.
#ifndef ZOLM_FUZZ_FUZZ_INPUT_H_
#define ZOLM_FUZZ_FUZZ_INPUT_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/value_rules.h"

namespace zolm::fuzz {

// Text equality by memcmp: the comparison loop of std::u16string would run
// through the coverage hooks for every character of 33,000-character fields.
inline bool Same(TextView a, TextView b) {
  if (a.size() != b.size()) return false;
  return a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0;
}

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool empty() const { return pos_ >= size_; }

  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

  std::uint16_t Unit() {
    const std::uint16_t low = Byte();
    return static_cast<std::uint16_t>(low | (Byte() << 8));
  }

  // A text: a repeat count, a unit count, then that many 16-bit units, the
  // whole repeated, so that short inputs reach the 32767-character limits.
  // At most `longest` characters.
  Text Field(std::size_t longest) {
    const std::size_t repeat = 1 + (Byte() == 0xFF ? Unit() : 0);
    const std::size_t units = Byte() % 64;
    Text piece;
    for (std::size_t i = 0; i < units && !empty(); ++i) piece.push_back(Unit());
    Text text;
    for (std::size_t i = 0; i < repeat && text.size() < longest; ++i) text += piece;
    if (text.size() > longest) text.resize(longest);
    return text;
  }

  // All remaining bytes as 16-bit units.
  Text Rest() {
    Text text;
    while (!empty()) text.push_back(Unit());
    return text;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// Aborts with a message when an invariant breaks.
inline void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

inline bool IsRuntimeErrorNumber(int n) {
  return n == 5 || n == 6 || n == 11 || n == 13;
}

// Runs `f`; returns 0 or the run-time error's number. Any other exception
// escapes and crashes the target.
template <class F>
int Outcome(F&& f) {
  try {
    f();
  } catch (const RuntimeError& error) {
    Check(IsRuntimeErrorNumber(error.number()), "error number is 5, 6, 11 or 13");
    return error.number();
  }
  return 0;
}

}  // namespace zolm::fuzz

#endif  // ZOLM_FUZZ_FUZZ_INPUT_H_
