#include "engine/error_text.h"

#include "engine/form.h"

namespace zolm {

namespace {

Text Latin(const char* text) {
  Text out;
  for (; *text != '\0'; ++text) out.push_back(static_cast<unsigned char>(*text));
  return out;
}

Text ShowCode(const Text& code) {
  if (code.empty()) return u"(empty)";
  constexpr std::size_t kLongest = 24;
  const Text shown = code.size() > kLongest ? VisibleText(code.substr(0, kLongest - 1)) + u"\u2026"
                                            : VisibleText(code);
  return u"\"" + shown + u"\"";
}

}  // namespace

const char* RowName(Field field) {
  const form::RowEntry* row = form::RowOf(field);
  return row != nullptr ? row->report_name : "Radix field";
}

Text ErrorPlaceText(const ErrorPlace& place) {
  const Text row = Latin(RowName(place.field));
  switch (place.kind) {
    case ErrorPlace::Kind::kCode: {
      Text text = row + u", code ";
      AppendDecimal(text, place.code_index);
      return text + u": " + ShowCode(place.code);
    }
    case ErrorPlace::Kind::kRadix:
      return row + u": " + ShowCode(place.code);
    case ErrorPlace::Kind::kEmptyRow:
      return row + u": nothing to convert";
    case ErrorPlace::Kind::kRowTooLong:
      // An Ascii row converts up to 32,766 characters, a row of codes 32,765.
      return row + u": longer than " + (place.field == Field::tAsc ? u"32,766" : u"32,765") +
             u" characters";
  }
  return row;
}

Text ErrorHeadline(int number) {
  Text text = u"Run-time error '";
  AppendDecimal(text, number);
  return text + u"':";
}

Text ErrorReportText(const RuntimeError& error) {
  Text text = ErrorHeadline(error.number()) + u"\n\n" + Latin(error.what());
  if (error.place()) text += u"\n" + ErrorPlaceText(*error.place());
  return text;
}

Text VisibleText(TextView text) {
  Text shown;
  shown.reserve(text.size());
  for (const char16_t c : text) {
    if (c < 0x20) {
      shown.push_back(static_cast<char16_t>(0x2400 + c));
    } else if (c == 0x7F) {
      shown.push_back(u'\u2421');
    } else if (c >= 0x80 && c <= 0x9F) {
      constexpr char16_t kHex[] = u"0123456789ABCDEF";
      shown += u"\\x";
      shown.push_back(kHex[c >> 4]);
      shown.push_back(kHex[c & 15]);
    } else {
      shown.push_back(c);
    }
  }
  return shown;
}

}  // namespace zolm
