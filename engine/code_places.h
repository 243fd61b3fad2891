// Where a code of a row stands, as a run-time error's report names it.
#ifndef ZOLM_ENGINE_CODE_PLACES_H_
#define ZOLM_ENGINE_CODE_PLACES_H_

#include <cstddef>

#include "engine/value_rules.h"

namespace zolm {

// The place of the code numbered `index` from 1 of a row of `field`: its
// text `code` without separators, starting `start` characters into the row.
ErrorPlace WalkCodePlace(Field field, int index, Long start, TextView code);

// The place of one code of `text`, a row of `field` whose codes stand
// between single spaces, as a transform's error names it: the code that
// holds position `at` (characters ahead of it in `text`), or else the code
// numbered `index` from 1; the last code when neither is found.
ErrorPlace CodeAt(Field field, TextView text, std::size_t at);
ErrorPlace NumberedCode(Field field, TextView text, int index);

}  // namespace zolm

#endif  // ZOLM_ENGINE_CODE_PLACES_H_
