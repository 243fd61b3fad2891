#include "engine/internal/decimal.h"

#include <fast_float/fast_float.h>

namespace zolm::decimal {

double Read(std::string_view text) noexcept {
  double value = 0.0;
  // fast_float gives the nearest double, ties to even, with no locale, and
  // infinity or zero beyond the range; the grammar was checked by the caller.
  fast_float::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

}  // namespace zolm::decimal
