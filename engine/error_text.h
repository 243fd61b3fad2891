// The words a face shows for a run-time error: where it struck, in the
// user's terms. Every face reports errors with these texts.
#ifndef ZOLM_ENGINE_ERROR_TEXT_H_
#define ZOLM_ENGINE_ERROR_TEXT_H_

#include "engine/value_rules.h"

namespace zolm {

// The row a field shows: "Ascii row", "Decimal row", "Hex row", "Custom row"
// or "Radix field".
const char* RowName(Field field);

// One line naming the place: `Decimal row, code 3: "4A"`, `Radix field:
// "abc"`, `Ascii row: nothing to convert` or `Hex row: longer than 32,765
// characters`. A code is quoted and cut to 24 characters, an ellipsis
// standing for the rest; an empty one shows as (empty).
Text ErrorPlaceText(const ErrorPlace& place);

}  // namespace zolm

#endif  // ZOLM_ENGINE_ERROR_TEXT_H_
