#include "engine/code_places.h"

namespace zolm {

ErrorPlace WalkCodePlace(Field field, int index, Long start, TextView code) {
  ErrorPlace place;
  place.kind = ErrorPlace::Kind::kCode;
  place.field = field;
  place.code_index = index;
  place.code_start = start;
  place.code = Text(code);
  return place;
}

namespace {

ErrorPlace FindCode(Field field, TextView text, std::size_t at, int index) {
  std::size_t start = 0;
  for (int i = 1;; ++i) {
    const std::size_t space = text.find(u' ', start);
    const std::size_t end = space == TextView::npos ? text.size() : space;
    if (at < end || i == index || space == TextView::npos) {
      return WalkCodePlace(field, i, static_cast<Long>(start), text.substr(start, end - start));
    }
    start = space + 1;
  }
}

}  // namespace

ErrorPlace CodeAt(Field field, TextView text, std::size_t at) {
  return FindCode(field, text, at, 0);
}

ErrorPlace NumberedCode(Field field, TextView text, int index) {
  return FindCode(field, text, TextView::npos, index);
}

}  // namespace zolm
