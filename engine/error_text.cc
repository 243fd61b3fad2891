#include "engine/error_text.h"

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
  Text shown = code.size() > kLongest ? code.substr(0, kLongest - 1) + u"\u2026" : code;
  return u"\"" + shown + u"\"";
}

}  // namespace

const char* RowName(Field field) {
  switch (field) {
    case Field::tAsc:
      return "Ascii row";
    case Field::tDec:
      return "Decimal row";
    case Field::tHex:
      return "Hex row";
    case Field::tCus:
      return "Custom row";
    case Field::tBase:
      return "Radix field";
  }
  return "";
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

}  // namespace zolm
