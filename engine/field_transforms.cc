#include "engine/field_transforms.h"

#include <utility>

#include "engine/base_arithmetic.h"

namespace zolm {

namespace {

constexpr char16_t kSeparator = u' ';

// Runs `step`; a run-time error leaving it that has no place yet gets the one
// `place()` makes. The place is made only on the error path, so the walks pay
// nothing for it per code.
template <class Place, class Step>
auto AtPlace(Place&& place, Step&& step) -> decltype(step()) {
  try {
    return step();
  } catch (RuntimeError& error) {
    if (!error.place()) error.set_place(place());
    throw;
  }
}

// The field as a whole, for errors that concern no single code.
auto WholeRow(ErrorPlace::Kind kind, Field field) {
  return [kind, field] {
    ErrorPlace place;
    place.kind = kind;
    place.field = field;
    return place;
  };
}

// A code of a walk, for the error report: its text without separators and
// where it starts in the source field.
auto CodePlace(Field field, int index, Long start, TextView code) {
  return [=] {
    ErrorPlace place;
    place.kind = ErrorPlace::Kind::kCode;
    place.field = field;
    place.code_index = index;
    place.code_start = start;
    place.code = Text(code);
    return place;
  };
}

// Position found by a search, as the 16-bit position it is kept in.
Integer Position(Field field, Long found) {
  return AtPlace(WholeRow(ErrorPlace::Kind::kRowTooLong, field),
                 [&] { return Integer::Of(found); });
}

Integer NextSearchStart(Field field, Integer p) {
  return AtPlace(WholeRow(ErrorPlace::Kind::kRowTooLong, field), [&] { return p + Integer(1); });
}

// Walks the space-led codes of `work`, the text of `source`: the first code
// is the text before the first space, every later one keeps the space ahead
// of it. `convert(token, out)` appends the token's conversion to `out`.
template <class Convert>
Text SpaceLedWalk(Field source, Text work, Convert&& convert) {
  work.push_back(kSeparator);
  Text out;
  out.reserve(work.size() + work.size() / 2);
  Integer a(1);
  Integer s(1);
  int index = 0;
  for (;;) {
    const Integer p = Position(source, InStr(s.value(), work, kSeparator));
    if (p == Integer(0)) break;
    const TextView token = Mid(work, a.value(), (p - a).value());
    ++index;
    const bool led = index > 1;
    AtPlace(CodePlace(source, index, led ? a.value() : 0, led ? token.substr(1) : token),
            [&] { convert(token, out); });
    a = p;
    s = NextSearchStart(source, p);
  }
  return out;
}

// Walks the bare codes of `work`, the text of `source`: the texts strictly
// between two spaces or a text end, empty ones included.
template <class Convert>
Text BareWalk(Field source, Text work, Convert&& convert) {
  work.push_back(kSeparator);
  Text out;
  out.reserve(work.size() * 2);
  Integer a(0);
  int index = 0;
  for (;;) {
    const Integer p = Position(source, InStr(NextSearchStart(source, a).value(), work, kSeparator));
    if (p == Integer(0)) break;
    const TextView token = Mid(work, a.value() + 1, p.value() - a.value() - 1);
    ++index;
    AtPlace(CodePlace(source, index, a.value(), token), [&] { convert(token, out); });
    a = p;
  }
  return out;
}

// Drops the separator appended after the last value.
Text FinalCut(Text out) {
  out.resize(Left(out, Len(out) - 1).size());
  return out;
}

void AppendValue(Text& out, const NumericValue& value) {
  AppendDecimal(out, value.value());
  out.push_back(kSeparator);
}

// The radix text as a whole, for the report of a radix that fails.
auto RadixPlace(TextView radix_text) {
  return [radix_text] {
    ErrorPlace place;
    place.kind = ErrorPlace::Kind::kRadix;
    place.field = Field::tBase;
    place.code = Text(radix_text);
    return place;
  };
}

}  // namespace

void a2d(FieldSet& fields) {
  const Text text = fields.ReadText(Field::tAsc);
  const auto too_long = WholeRow(ErrorPlace::Kind::kRowTooLong, Field::tAsc);
  const Integer n = AtPlace(too_long, [&] { return Integer::Of(Len(text)); });
  Text out;
  out.reserve(text.size() * 4);
  for (Integer i(1); i <= n; i = AtPlace(too_long, [&] { return i + Integer(1); })) {
    AppendDecimal(out, Asc(Mid(text, i.value(), 1)).value());
    out.push_back(kSeparator);
  }
  Text cut = AtPlace(WholeRow(ErrorPlace::Kind::kEmptyRow, Field::tAsc),
                     [&] { return FinalCut(std::move(out)); });
  fields.WriteText(Field::tDec, std::move(cut));
}

void d2a(FieldSet& fields) {
  Text out = SpaceLedWalk(Field::tDec, fields.ReadText(Field::tDec),
                          [](TextView token, Text& to) { to.push_back(Chr(CLng(token))); });
  fields.WriteText(Field::tAsc, std::move(out));
}

void d2h(FieldSet& fields) {
  Text out = SpaceLedWalk(Field::tDec, fields.ReadText(Field::tDec), [](TextView token, Text& to) {
    AppendDec2Cus(to, token, Integer(16));
    to.push_back(kSeparator);
  });
  fields.WriteText(Field::tHex, FinalCut(std::move(out)));
}

void d2c(FieldSet& fields) {
  Text out =
      SpaceLedWalk(Field::tDec, fields.ReadText(Field::tDec), [&fields](TextView token, Text& to) {
        const Text radix_text = fields.ReadText(Field::tBase);
        const Integer radix = AtPlace(RadixPlace(radix_text), [&] { return CInt(radix_text); });
        AppendDec2Cus(to, token, radix);
        to.push_back(kSeparator);
      });
  fields.WriteText(Field::tCus, FinalCut(std::move(out)));
}

void c2d(FieldSet& fields) {
  Text out =
      BareWalk(Field::tCus, fields.ReadText(Field::tCus), [&fields](TextView token, Text& to) {
        const Text radix_text = fields.ReadText(Field::tBase);
        const Integer radix =
            AtPlace(RadixPlace(radix_text), [&] { return Int(CDbl(radix_text)); });
        AppendValue(to, Cust2Dec(token, radix));
      });
  fields.WriteText(Field::tDec, FinalCut(std::move(out)));
}

void h2d(FieldSet& fields) {
  Text out = BareWalk(Field::tHex, fields.ReadText(Field::tHex),
                      [](TextView token, Text& to) { AppendValue(to, Hex2Dec(token)); });
  fields.WriteText(Field::tDec, FinalCut(std::move(out)));
}

}  // namespace zolm
