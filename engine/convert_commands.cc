#include "engine/convert_commands.h"

#include <initializer_list>
#include <span>

#include "engine/code_places.h"

namespace zolm {

const char* FieldName(Field field) {
  switch (field) {
    case Field::tAsc:
      return "tAsc";
    case Field::tDec:
      return "tDec";
    case Field::tHex:
      return "tHex";
    case Field::tCus:
      return "tCus";
    case Field::tBase:
      return "tBase";
  }
  return "";
}

Text StartText(Field field) {
  switch (field) {
    case Field::tAsc:
      return u"Hello!";
    case Field::tDec:
      return u"72 101 108 108 111 33";
    case Field::tHex:
    case Field::tCus:
      return u"48 65 6C 6C 6F 21";
    case Field::tBase:
      return u"16";
  }
  return {};
}

FieldModel::FieldModel() {
  for (const Field field : kAllFields) slot(field).text = StartText(field);
}

void FieldModel::SetSelStart(Field field, Long start) {
  slot(field).sel_start = start;
  slot(field).sel_length = 0;
}

namespace {

void TrimOwnField(FieldSet& fields, Field field) {
  // Reused from command to command, so that a trim allocates nothing.
  thread_local Text text;
  fields.ReadTextInto(field, text);
  fields.WriteTextFrom(field, Trim(text));
}

}  // namespace

void ascc(FieldSet& fields) {
  TrimOwnField(fields, Field::tAsc);
  a2d(fields);
  const RowsDone done = RowsAfterA2d(fields);
  if (done == RowsDone::kNone) d2h(fields);
  if (done != RowsDone::kHexAndCustom) d2c(fields);
}

namespace {

// `rows` in order, the shortcut first, the transforms for what it leaves.
[[gnu::noinline]] void FromDecimalRows(FieldSet& fields, std::initializer_list<FromDecimal> rows) {
  const std::span<const FromDecimal> all(rows.begin(), rows.size());
  for (const FromDecimal row : all.subspan(RowsFromDecimal(fields, all))) {
    switch (row) {
      case FromDecimal::kAscii:
        d2a(fields);
        break;
      case FromDecimal::kHex:
        d2h(fields);
        break;
      case FromDecimal::kCustom:
        d2c(fields);
        break;
    }
  }
}

}  // namespace

void dec(FieldSet& fields) {
  TrimOwnField(fields, Field::tDec);
  FromDecimalRows(fields, {FromDecimal::kAscii, FromDecimal::kHex, FromDecimal::kCustom});
}

void hex(FieldSet& fields) {
  TrimOwnField(fields, Field::tHex);
  h2d(fields);
  FromDecimalRows(fields, {FromDecimal::kCustom, FromDecimal::kAscii});
}

void cus(FieldSet& fields) {
  TrimOwnField(fields, Field::tCus);
  c2d(fields);
  FromDecimalRows(fields, {FromDecimal::kAscii, FromDecimal::kHex});
}

void Convert(Row row, FieldSet& fields) {
  switch (row) {
    case Row::kCustom:
      return cus(fields);
    case Row::kHex:
      return hex(fields);
    case Row::kAscii:
      return ascc(fields);
    case Row::kDecimal:
      return dec(fields);
  }
}

void FocusRule(FieldSet& fields, Field field) {
  fields.SetSelStart(field, 0);
  fields.SetSelLength(field, Len(fields.ReadText(field)));
}

std::optional<ErrorPlace> LineBreakPlace(const FieldModel& fields, Field from, Field to) {
  const Text& row = fields.text(to);
  const std::size_t at = row.find_first_of(u"\r\n");
  if (at == Text::npos) return std::nullopt;
  const TextView source = fields.text(from);
  if (to == from && to == Field::tAsc) {
    ErrorPlace place;
    place.field = to;
    place.code_index = static_cast<int>(at) + 1;
    place.code_start = static_cast<int>(at);
    place.code = Text(1, row[at]);
    return place;
  }
  if (to == from) return CodeAt(to, source, at);
  // Only the Ascii row can hold a line break, one character per source code.
  return NumberedCode(from, source, static_cast<int>(at) + 1);
}

}  // namespace zolm
