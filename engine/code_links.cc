#include "engine/code_links.h"

#include <algorithm>
#include <string_view>

#include "engine/error_text.h"

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

namespace {

void Append(Text& out, std::string_view ascii) {
  out.append(ascii.begin(), ascii.end());
}

void AppendNumber(Text& out, unsigned n) {
  char16_t digits[10];
  int count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + n % 10);
    n /= 10;
  } while (n != 0);
  while (count > 0) out.push_back(digits[--count]);
}

// U+ and at least four hex digits.
void AppendCodePoint(Text& out, char32_t point) {
  Append(out, "U+");
  int digits = 4;
  while (digits < 6 && (point >> (4 * digits)) != 0) ++digits;
  for (int i = digits - 1; i >= 0; --i)
    out.push_back(u"0123456789ABCDEF"[(point >> (4 * i)) & 0xF]);
}

bool High(char16_t unit) {
  return unit >= 0xD800 && unit < 0xDC00;
}
bool Low(char16_t unit) {
  return unit >= 0xDC00 && unit < 0xE000;
}

// Code `code` of `field`'s row.
TextView CodeText(const std::array<TextView, kFieldCount>& rows, Field field, int code) {
  const TextView row = rows[static_cast<std::size_t>(field)];
  const std::optional<TextRange> range = CodesIn(field, row, {code, code});
  if (!range) return {};
  return row.substr(static_cast<std::size_t>(range->start),
                    static_cast<std::size_t>(range->end - range->start));
}

}  // namespace

Text CodeLine(const std::array<TextView, kFieldCount>& rows, Field field, int start, int end) {
  const std::optional<CodeSpan> span =
      CodesCovered(field, rows[static_cast<std::size_t>(field)], start, end);
  if (!span) return {};
  const int count = CodeCount(field, rows[static_cast<std::size_t>(field)]);
  Text line;
  const int code = span->first;
  Append(line, span->first != span->last ? "Codes " : "Code ");
  AppendNumber(line, static_cast<unsigned>(code + 1));
  if (span->first != span->last) {
    line += u'-';
    AppendNumber(line, static_cast<unsigned>(span->last + 1));
  }
  Append(line, " of ");
  AppendNumber(line, static_cast<unsigned>(count));
  if (span->first != span->last) return line;
  Append(line, ": ");
  const TextView ascii = rows[static_cast<std::size_t>(Field::tAsc)];
  if (code >= static_cast<int>(ascii.size())) {
    // The rows are not one text's codes: what there is, without a character.
    line += CodeText(rows, field, code);
    return line;
  }
  const auto at = static_cast<std::size_t>(code);
  const char16_t unit = ascii[at];
  Text shown(1, unit);
  char32_t point = unit;
  if (High(unit) && at + 1 < ascii.size() && Low(ascii[at + 1])) {
    shown.push_back(ascii[at + 1]);
    point = 0x10000 + ((unit - 0xD800) << 10) + (ascii[at + 1] - 0xDC00);
  } else if (Low(unit) && at > 0 && High(ascii[at - 1])) {
    shown.insert(shown.begin(), ascii[at - 1]);
    point = 0x10000 + ((ascii[at - 1] - 0xD800) << 10) + (unit - 0xDC00);
  } else if (High(unit) || Low(unit)) {
    shown = u"\uFFFD";  // half of no pair
  }
  line += unit == u' ' ? Text(u"\u2420") : VisibleText(shown);
  line += u' ';
  if (Asc(TextView(&unit, 1)) == 63 && unit != u'?') {
    AppendCodePoint(line, point);
    Append(line, " has no Windows-1252 code: counted as 63 (?)");
    return line;
  }
  line += CodeText(rows, Field::tDec, code);
  line += u' ';
  line += CodeText(rows, Field::tHex, code);
  line += u' ';
  line += CodeText(rows, Field::tCus, code);
  Append(line, " (radix ");
  line += rows[static_cast<std::size_t>(Field::tBase)];
  Append(line, ") ");
  AppendCodePoint(line, point);
  return line;
}

std::vector<TextRange> NoCodeRuns(TextView ascii) {
  std::vector<TextRange> runs;
  for (std::size_t at = 0; at < ascii.size(); ++at) {
    const char16_t unit = ascii[at];
    if (unit == u'?' || Asc(TextView(&unit, 1)) != 63) continue;
    const int here = static_cast<int>(at);
    if (!runs.empty() && runs.back().end == here) {
      runs.back().end = here + 1;
    } else {
      runs.push_back({here, here + 1});
    }
  }
  return runs;
}

namespace {

// x to the power 2.4 for x in (0, 1]: x squared times the fifth root of x
// squared, the root by Newton's steps down from 1. (Kept off std::pow,
// whose tables would weigh more in the page than all of this file.)
double Power2_4(double x) {
  const double square = x * x;
  double root = 1;
  for (int step = 0; step < 60; ++step) {
    const double fourth = root * root * root * root;
    const double next = root - (fourth * root - square) / (5 * fourth);
    if (next >= root) break;
    root = next;
  }
  return square * root;
}

double Luminance(Colour colour) {
  const auto channel = [colour](int shift) {
    const double c = ((colour >> shift) & 0xFF) / 255.0;
    return c <= 0.04045 ? c / 12.92 : Power2_4((c + 0.055) / 1.055);
  };
  return 0.2126 * channel(16) + 0.7152 * channel(8) + 0.0722 * channel(0);
}

}  // namespace

double ContrastRatio(Colour a, Colour b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

MarkColours MarkColoursFor(Colour box, Colour text) {
  constexpr MarkColours kLight{0xFFE08A, 0xA05A00};
  constexpr MarkColours kDark{0x5C4300, 0xFFB84D};
  for (const MarkColours& pair : {kLight, kDark}) {
    if (ContrastRatio(text, pair.back) >= 4.5 && ContrastRatio(box, pair.line) >= 3) return pair;
  }
  return {box, text};
}

}  // namespace zolm
