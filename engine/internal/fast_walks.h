// The fast walks over a row's codes: the same codes, conversions and error
// places as the general walks of the transforms, without their position
// arithmetic, over sources no longer than kFastWalkLongest. The transforms
// use them while the fast paths are on (fast::Enabled); the differential
// tests and fuzzer hold them to the general rules.
#ifndef ZOLM_ENGINE_INTERNAL_FAST_WALKS_H_
#define ZOLM_ENGINE_INTERNAL_FAST_WALKS_H_

#include <algorithm>
#include <cstddef>

#include "engine/internal/fast_paths.h"
#include "engine/value_rules.h"

namespace zolm::fast {

inline constexpr char16_t kSeparator = u' ';

// The output of a fast walk: a buffer sized ahead of need, written through a
// pointer the walk keeps in a register and hands back with Sync.
class Output {
 public:
  // Any single write of a fast path fits in this many characters.
  static constexpr std::size_t kSlack = 16;

  Output(Text& buffer, std::size_t expected) : buffer_(buffer) {
    if (buffer_.size() < expected + kSlack) buffer_.resize(expected + kSlack);
    next_ = buffer_.data();
  }
  // Where the next character goes, with at least kSlack characters of room.
  char16_t* Next() {
    if (static_cast<std::size_t>(buffer_.data() + buffer_.size() - next_) < kSlack) [[unlikely]]
      Grow(kSlack);
    return next_;
  }
  // The end of what was written through the pointer Next gave.
  void Sync(char16_t* next) { next_ = next; }
  void Append(TextView text) {
    Grow(text.size());
    next_ = std::copy(text.begin(), text.end(), next_);
  }
  TextView text() const {
    return TextView(buffer_.data(), static_cast<std::size_t>(next_ - buffer_.data()));
  }
  // The output without the separator appended after the last value.
  TextView Cut() const {
    return TextView(buffer_.data(), static_cast<std::size_t>(Len(text()) - 1));
  }

 private:
  // Makes room for `n` more characters and kSlack beyond.
  [[gnu::noinline]] void Grow(std::size_t n) {
    const auto used = static_cast<std::size_t>(next_ - buffer_.data());
    if (buffer_.size() - used < n + kSlack) buffer_.resize(2 * buffer_.size() + n + kSlack);
    next_ = buffer_.data() + used;
  }

  Text& buffer_;
  char16_t* next_;
};

// The longest source a fast walk takes: the separator appended after it then
// stands at 32766 at most, so no position reaches the 16-bit limit.
constexpr std::size_t kFastWalkLongest = 32765;

// True when the fast walk takes `source`.
inline bool FastWalk(TextView source) {
  return Enabled() && source.size() <= kFastWalkLongest;
}

// Puts the place of a code on an error leaving its conversion in a fast
// walk over `text`, the row of `source`: the code numbered `index` that
// starts at `token`, after a separator when `led`.
[[gnu::noinline]] void PlaceCode(RuntimeError& error, Field source, int index, bool led,
                                 TextView text, const char16_t* token);

// The space-led walk over a source that takes the fast walk: the same codes,
// conversions and error places as SpaceLedWalk, without position arithmetic.
// For each code `at_code()` first gives its converter (reading the radix,
// where there is one), then a code of the plain shape (fast::ReadPlainCode) goes
// to `converter.Plain(value, at)`, which writes its conversion at `at` and
// returns the end, or returns nullptr to decline; every other code goes to
// `converter.General(code, out)`, the general rule.
template <class AtCode>
void FastSpaceLedWalk(Field source, TextView text, Output& out, AtCode&& at_code) {
  const char16_t* const end = text.data() + text.size();
  const char16_t* token = text.data();
  int index = 1;
  try {
    for (;; ++index) {
      const auto& converter = at_code();
      int value;
      const char16_t* separator = fast::ReadPlainCode(token + (index > 1 ? 1 : 0), end, value);
      char16_t* written = separator != nullptr ? converter.Plain(value, out.Next()) : nullptr;
      if (written != nullptr) [[likely]] {
        out.Sync(written);
      } else {
        separator = std::find(token + (index > 1 ? 1 : 0), end, kSeparator);
        converter.General(TextView(token, static_cast<std::size_t>(separator - token)), out);
      }
      if (separator == end) break;
      token = separator;
    }
  } catch (RuntimeError& error) {
    PlaceCode(error, source, index, index > 1, text, token);
    throw;
  }
}

// The bare walk over a source that takes the fast walk: the same codes and
// places as BareWalk. For each code `at_code()` first gives its DigitReader;
// a code it reads is written as its decimal value, any other goes to
// `general(code, out)`.
template <class AtCode, class General>
void FastBareWalk(Field source, TextView text, Output& out, AtCode&& at_code, General&& general) {
  const char16_t* const end = text.data() + text.size();
  const char16_t* token = text.data();
  int index = 1;
  try {
    for (;; ++index) {
      const fast::DigitReader& reader = at_code();
      int value;
      const char16_t* separator = reader.ReadCode(token, end, value);
      if (separator != nullptr) [[likely]] {
        char16_t* at = out.Next();
        at += fast::WriteDecimal(value, at);
        *at++ = kSeparator;
        out.Sync(at);
      } else {
        separator = std::find(token, end, kSeparator);
        general(reader.base(), TextView(token, static_cast<std::size_t>(separator - token)), out);
      }
      if (separator == end) break;
      token = separator + 1;
    }
  } catch (RuntimeError& error) {
    PlaceCode(error, source, index, false, text, token);
    throw;
  }
}

}  // namespace zolm::fast

#endif  // ZOLM_ENGINE_INTERNAL_FAST_WALKS_H_
