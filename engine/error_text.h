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
// standing for the rest, its control characters shown by VisibleText; an
// empty one shows as (empty).
Text ErrorPlaceText(const ErrorPlace& place);

// The first line of every report: "Run-time error 'N':".
Text ErrorHeadline(int number);

// The whole report of a run-time error, lines ended by "\n" but the last:
// the headline, a blank line, the description, and the place line when the
// place is known.
Text ErrorReportText(const RuntimeError& error);

// `text` with its control characters made visible, for reports and views
// that a person reads (never for data): C0 controls and DEL as their control
// pictures (U+2400..U+2421), C1 controls (U+0080..U+009F) as \xNN escapes.
Text VisibleText(TextView text);

}  // namespace zolm

#endif  // ZOLM_ENGINE_ERROR_TEXT_H_
