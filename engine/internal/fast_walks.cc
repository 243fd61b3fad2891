#include "engine/internal/fast_walks.h"

#include "engine/code_places.h"

namespace zolm::fast {

void PlaceCode(RuntimeError& error, Field source, int index, bool led, TextView text,
               const char16_t* token) {
  if (error.place()) return;
  const char16_t* const end = text.data() + text.size();
  const char16_t* const separator = std::find(token + (led ? 1 : 0), end, kSeparator);
  TextView code(token, static_cast<std::size_t>(separator - token));
  Long start = static_cast<Long>(token - text.data());
  if (led) {
    code.remove_prefix(1);
    ++start;
  }
  error.set_place(WalkCodePlace(source, index, start, code));
}

}  // namespace zolm::fast
