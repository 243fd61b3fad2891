// The largest rows the benchmarks convert.
#ifndef ZOLM_BENCH_LARGEST_FIELDS_H_
#define ZOLM_BENCH_LARGEST_FIELDS_H_

#include "engine/convert_commands.h"

namespace zolm {

// The largest Ascii row whose rows all convert: 8191 characters of codes
// 100..126, so its decimal row is 32763 characters long; the other rows as
// ascc writes them.
inline FieldModel LargestFields() {
  Text ascii;
  for (int i = 0; i < 8191; ++i) ascii.push_back(Chr(100 + (7 * i) % 27));
  FieldModel model;
  model.WriteText(Field::tAsc, ascii);
  ascc(model);
  return model;
}

}  // namespace zolm

#endif  // ZOLM_BENCH_LARGEST_FIELDS_H_
