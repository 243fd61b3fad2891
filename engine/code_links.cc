#include "engine/code_links.h"

#include <algorithm>

namespace zolm {

namespace {

// The code that unit `at` of a row of codes belongs to: the spaces before it.
int TokenOf(TextView text, int at) {
  return static_cast<int>(std::count(text.begin(), text.begin() + at, u' '));
}

}  // namespace

int CodeCount(Field field, TextView text) {
  if (field == Field::tAsc || text.empty()) return static_cast<int>(text.size());
  return TokenOf(text, static_cast<int>(text.size())) + 1;
}

std::optional<CodeSpan> CodesCovered(Field field, TextView text, int start, int end) {
  const int size = static_cast<int>(text.size());
  if (size == 0) return std::nullopt;
  start = std::clamp(start, 0, size);
  end = std::clamp(end, start, size);
  if (field == Field::tAsc) {
    if (start == end) {
      const int code = std::max(start - 1, 0);
      return CodeSpan{code, code};
    }
    return CodeSpan{start, end - 1};
  }
  // A caret, or a selection of spaces alone, belongs to the code on its left.
  const int caret = TokenOf(text, start);
  if (start == end) return CodeSpan{caret, caret};
  const auto space = [&](int at) { return text[static_cast<std::size_t>(at)] == u' '; };
  const int first = TokenOf(text, start) + (space(start) ? 1 : 0);
  const int last = TokenOf(text, end - 1);
  if (first > last) return CodeSpan{caret, caret};
  return CodeSpan{first, last};
}

std::optional<TextRange> CodesIn(Field field, TextView text, CodeSpan span) {
  const int count = CodeCount(field, text);
  if (span.first < 0 || span.first > span.last || span.first >= count) return std::nullopt;
  const int last = std::min(span.last, count - 1);
  if (field == Field::tAsc) return TextRange{span.first, last + 1};
  TextRange range;
  int code = 0;
  for (int at = 0; at <= static_cast<int>(text.size()); ++at) {
    const bool ends =
        at == static_cast<int>(text.size()) || text[static_cast<std::size_t>(at)] == u' ';
    if (!ends) continue;
    if (code == last) {
      range.end = at;
      break;
    }
    ++code;
    if (code == span.first) range.start = at + 1;
  }
  return range;
}

}  // namespace zolm
