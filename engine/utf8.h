// UTF-8 to and from the 16-bit texts the engine works on, as a window text
// box holds them: a character outside the basic plane is two surrogate units.
// The one strict decoder of the project: the command line and the test
// driver read their bytes with it.
#ifndef ZOLM_ENGINE_UTF8_H_
#define ZOLM_ENGINE_UTF8_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/value_rules.h"

namespace zolm::utf8 {

// Appends the 16-bit text of `bytes` to `out`. Strict: an overlong form, an
// encoded surrogate, a value above U+10FFFF, a stray continuation byte or a
// sequence cut short is invalid. Returns the offset of the first byte of the
// first invalid sequence, or npos when all of `bytes` is valid; `out` then
// holds the text decoded before it.
inline constexpr std::size_t npos = std::string_view::npos;
std::size_t Decode(std::string_view bytes, Text& out);

// Appends the one character that the non-empty `bytes` start with to `out`
// (one unit, or two for a character outside the basic plane). Returns the
// number of bytes it took (1 to 4), or 0 when they start no valid sequence,
// by the rules of Decode.
std::size_t DecodeOne(std::string_view bytes, Text& out);

// Appends `text` as UTF-8 to `out`. A surrogate without its partner (which
// no decoded text holds) is written as U+FFFD.
void Encode(TextView text, std::string& out);

}  // namespace zolm::utf8

#endif  // ZOLM_ENGINE_UTF8_H_
