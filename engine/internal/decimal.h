// Reading a decimal number into the nearest double, the same on every
// platform and in every C locale.
#ifndef ZOLM_ENGINE_INTERNAL_DECIMAL_H_
#define ZOLM_ENGINE_INTERNAL_DECIMAL_H_

#include <string_view>

namespace zolm::decimal {

// The double nearest to the unsigned decimal `text` (ties to even), as
// std::from_chars reads it in general format: digits with at most one '.',
// at least one digit, then optionally 'e' or 'E', a sign and digits. Returns
// +infinity where the value rounds past the largest double, and 0.0 where it
// rounds to zero. `text` must already have that form (the caller's grammar
// checks it); anything else yields an unspecified value, never undefined
// behaviour.
double Read(std::string_view text) noexcept;

}  // namespace zolm::decimal

#endif  // ZOLM_ENGINE_INTERNAL_DECIMAL_H_
