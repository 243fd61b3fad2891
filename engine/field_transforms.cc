#include "engine/field_transforms.h"

#include <algorithm>
#include <utility>

#include "engine/base_arithmetic.h"
#include "engine/code_places.h"
#include "engine/internal/fast_paths.h"
#include "engine/internal/fast_walks.h"

namespace zolm {

namespace {

using fast::FastBareWalk;
using fast::FastSpaceLedWalk;
using fast::FastWalk;
using fast::kFastWalkLongest;
using fast::Output;
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
  return [=] { return WalkCodePlace(field, index, start, code); };
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

// Dec2Cus of `code` in the radix d2c read from `radix_text`, appended to
// `out`. When the radix writes no number above 0 and the code itself reads as
// a number, the failure is the radix's: the error names the radix field.
void AppendInRadix(Text& out, TextView code, Integer radix, TextView radix_text) {
  try {
    AppendDec2Cus(out, code, radix);
  } catch (RuntimeError& error) {
    if (!error.place() && !WritesNumbersAboveZero(radix)) {
      bool code_reads = true;
      try {
        Int(CDbl(code));
      } catch (const RuntimeError&) {
        code_reads = false;
      }
      if (code_reads) error.set_place(RadixPlace(radix_text)());
    }
    throw;
  }
}

// Buffers kept from call to call on each thread, so that a transform over
// texts no longer than the last ones allocates nothing.
struct Scratch {
  Text source;
  Text out;
  Text radix;
  Text general;
  Text codes;
};
Scratch& Buffers() {
  thread_local Scratch scratch;
  return scratch;
}

// The text of `field`: the set's own where it keeps one, else read into the
// source buffer.
TextView SourceText(FieldSet& fields, Field field) {
  if (const Text* stored = fields.StoredText(field)) return *stored;
  Text& source = Buffers().source;
  fields.ReadTextInto(field, source);
  return source;
}

// The general rules for the codes the fast paths decline, kept out of line
// so that the common path stays small.
[[gnu::noinline]] void WriteDigitsGeneral(int base, TextView radix_text, TextView code,
                                          Output& out) {
  Text& general = Buffers().general;
  general.clear();
  AppendInRadix(general, code, Integer(static_cast<std::int16_t>(base)), radix_text);
  general.push_back(kSeparator);
  out.Append(general);
}

[[gnu::noinline]] void WriteValueGeneral(int base, TextView code, Output& out) {
  Text& general = Buffers().general;
  general.clear();
  AppendValue(general, Cust2Dec(code, Integer(static_cast<std::int16_t>(base))));
  out.Append(general);
}

[[gnu::noinline]] void WriteCharacterGeneral(TextView code, Output& out) {
  const char16_t c = Chr(CLng(code));
  out.Append(TextView(&c, 1));
}

// Converters of the space-led walks.
struct DigitsOut {  // d2h, d2c: Dec2Cus in the writer's base, then a separator
  const fast::DigitWriter& writer;
  TextView radix_text;  // the radix as typed (d2c), for the report
  char16_t* Plain(int value, char16_t* at) const {
    if (value >= writer.limit()) return nullptr;
    at += writer.Write(value, at);
    *at = kSeparator;
    return at + 1;
  }
  void General(TextView code, Output& out) const {
    WriteDigitsGeneral(writer.base(), radix_text, code, out);
  }
};

struct CharacterOut {  // d2a: Chr(CLng(code))
  char16_t* Plain(int value, char16_t* at) const {
    if (value > 255) return nullptr;
    *at = fast::Character(value);
    return at + 1;
  }
  void General(TextView code, Output& out) const { WriteCharacterGeneral(code, out); }
};

// The radix of d2c or c2d at each code: the radix text read from tBase and
// converted by `convert`, its errors placed at the radix field. A field set
// whose texts change only by writes is read once, at the first code.
template <class Converter>
class RadixAtEachCode {
 public:
  using RadixRule = Integer (*)(TextView);
  RadixAtEachCode(FieldSet& fields, RadixRule convert)
      : fields_(fields), convert_(convert), once_(fields.TextsChangeOnlyByWrites()) {}

  // The converter (a DigitWriter or DigitReader) for the current code.
  const Converter& Current() {
    if (!known_ || !once_) {
      Text& text = Buffers().radix;
      fields_.ReadTextInto(Field::tBase, text);
      text_ = text;
      const Integer radix = AtPlace(RadixPlace(text), [&] { return convert_(TextView(text)); });
      if (!known_ || radix.value() != current_.base()) current_ = Converter(radix.value());
      known_ = true;
    }
    return current_;
  }
  // The radix text Current last read.
  TextView text() const { return text_; }

 private:
  FieldSet& fields_;
  RadixRule convert_;
  bool once_;
  bool known_ = false;
  Converter current_{0};
  TextView text_;
};

}  // namespace

void a2d(FieldSet& fields) {
  Scratch& buffers = Buffers();
  fields.ReadTextInto(Field::tAsc, buffers.source);
  const Text& text = buffers.source;
  if (fast::Enabled() && !text.empty() && text.size() <= 32766) {
    Output out(buffers.out, text.size() * 4);
    for (const char16_t c : text) {
      char16_t* at = out.Next();
      int n = fast::WriteCharCode(c, at);
      if (n == 0) [[unlikely]] {
        n = fast::WriteDecimal(Asc(TextView(&c, 1)).value(), at);
        at[n++] = kSeparator;
      }
      out.Sync(at + n);
    }
    fields.WriteTextFrom(Field::tDec, out.Cut());
    return;
  }
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

namespace {

// A radix typed as a plain code (1 to 5 digits, at most 32767) reads as its
// value under either rule; the value, or -1 for any other text.
int PlainRadix(TextView text) {
  if (!fast::Enabled()) return -1;
  const char16_t* const end = text.data() + text.size();
  int value;
  return fast::ReadPlainCode(text.data(), end, value) == end ? value : -1;
}

Integer RoundedRadix(TextView text) {
  const int plain = PlainRadix(text);
  return plain >= 0 ? Integer(static_cast<std::int16_t>(plain)) : CInt(text);
}
Integer FlooredRadix(TextView text) {
  const int plain = PlainRadix(text);
  return plain >= 0 ? Integer(static_cast<std::int16_t>(plain)) : Int(CDbl(text));
}

// The character codes of tAsc into `codes`, for a shortcut after a2d. False
// where the shortcuts decline: the fast paths off, texts that may change
// otherwise, or a decimal row too long for the fast walk (d2h and d2c then
// raise).
bool CodesAfterA2d(FieldSet& fields, Text& codes) {
  if (!fast::Enabled() || !fields.TextsChangeOnlyByWrites()) return false;
  Scratch& buffers = Buffers();
  fields.ReadTextInto(Field::tAsc, buffers.source);
  codes.resize(buffers.source.size());
  std::size_t decimal_length = 0;
  char16_t* code = codes.data();
  for (const char16_t c : buffers.source) {
    *code = c < 0x80 || (c >= 0xA0 && c <= 0xFF) ? c : Asc(TextView(&c, 1)).value();
    decimal_length += *code < 10 ? 2 : *code < 100 ? 3 : 4;
    ++code;
  }
  return !codes.empty() && decimal_length - 1 <= kFastWalkLongest;
}

// Each code (0 to 255) through `write`, separated by single spaces, into
// `target`.
template <class Write>
void WriteCodes(FieldSet& fields, Field target, TextView codes, Write&& write) {
  Output out(Buffers().out, 3 * codes.size());
  for (const char16_t code : codes) {
    char16_t* at = out.Next();
    at += write(code, at);
    *at++ = kSeparator;
    out.Sync(at);
  }
  fields.WriteTextFrom(target, out.Cut());
}

// The hex row of `codes` (0 to 255), as d2h writes it.
void WriteHexCodes(FieldSet& fields, TextView codes) {
  WriteCodes(fields, Field::tHex, codes, [](int code, char16_t* at) {
    at[0] = fast::kHexDigits[code >> 4];
    at[1] = fast::kHexDigits[code & 15];
    return 2;
  });
}

// The custom row of `codes` (0 to 255), as d2c writes it; false, writing
// nothing, where the radix fails (d2c raises it at its first code) or cannot
// write every code below 256.
bool WriteCustomCodes(FieldSet& fields, TextView codes) {
  Text& radix_text = Buffers().radix;
  fields.ReadTextInto(Field::tBase, radix_text);
  int radix = 0;
  try {
    radix = RoundedRadix(radix_text).value();
  } catch (const RuntimeError&) {
    return false;
  }
  const fast::DigitWriter writer(radix);
  if (writer.limit() <= 255) return false;
  WriteCodes(fields, Field::tCus, codes,
             [&writer](int code, char16_t* at) { return writer.Write(code, at); });
  return true;
}

}  // namespace

RowsDone RowsAfterA2d(FieldSet& fields) {
  Text& codes = Buffers().codes;
  if (!CodesAfterA2d(fields, codes)) return RowsDone::kNone;
  WriteHexCodes(fields, codes);
  return WriteCustomCodes(fields, codes) ? RowsDone::kHexAndCustom : RowsDone::kHex;
}

std::size_t RowsFromDecimal(FieldSet& fields, std::span<const FromDecimal> rows) {
  if (!fast::Enabled() || !fields.TextsChangeOnlyByWrites()) return 0;
  const TextView source = SourceText(fields, Field::tDec);
  if (!FastWalk(source)) return 0;
  // The codes as the fast walk reads them, every one plain and below 256.
  Text& codes = Buffers().codes;
  codes.clear();
  const char16_t* const end = source.data() + source.size();
  for (const char16_t* token = source.data();;) {
    int value;
    const char16_t* const separator = fast::ReadPlainCode(token, end, value);
    if (separator == nullptr || value > 255) return 0;
    codes.push_back(static_cast<char16_t>(value));
    if (separator == end) break;
    token = separator + 1;
  }
  std::size_t done = 0;
  for (const FromDecimal row : rows) {
    if (row == FromDecimal::kAscii) {
      Output out(Buffers().out, codes.size());
      char16_t* at = out.Next();
      for (const char16_t code : codes) *at++ = fast::Character(code);
      out.Sync(at);
      fields.WriteTextFrom(Field::tAsc, out.text());
    } else if (row == FromDecimal::kHex) {
      WriteHexCodes(fields, codes);
    } else if (!WriteCustomCodes(fields, codes)) {
      break;
    }
    ++done;
  }
  return done;
}

void d2a(FieldSet& fields) {
  const TextView source = SourceText(fields, Field::tDec);
  if (FastWalk(source)) {
    Output out(Buffers().out, source.size() / 2 + 1);
    const CharacterOut converter;
    FastSpaceLedWalk(Field::tDec, source, out,
                     [&converter]() -> const CharacterOut& { return converter; });
    fields.WriteTextFrom(Field::tAsc, out.text());
    return;
  }
  Text out = SpaceLedWalk(Field::tDec, Text(source),
                          [](TextView token, Text& to) { to.push_back(Chr(CLng(token))); });
  fields.WriteText(Field::tAsc, std::move(out));
}

void d2h(FieldSet& fields) {
  const TextView source = SourceText(fields, Field::tDec);
  if (FastWalk(source)) {
    Output out(Buffers().out, source.size() + 1);
    const fast::DigitWriter writer(16);
    const DigitsOut converter{writer, u"16"};
    FastSpaceLedWalk(Field::tDec, source, out,
                     [&converter]() -> const DigitsOut& { return converter; });
    fields.WriteTextFrom(Field::tHex, out.Cut());
    return;
  }
  Text out = SpaceLedWalk(Field::tDec, Text(source), [](TextView token, Text& to) {
    AppendDec2Cus(to, token, Integer(16));
    to.push_back(kSeparator);
  });
  fields.WriteText(Field::tHex, FinalCut(std::move(out)));
}

void d2c(FieldSet& fields) {
  const TextView source = SourceText(fields, Field::tDec);
  if (FastWalk(source)) {
    Output out(Buffers().out, source.size() + 1);
    RadixAtEachCode<fast::DigitWriter> radix(fields, RoundedRadix);
    FastSpaceLedWalk(Field::tDec, source, out, [&radix] {
      return DigitsOut{radix.Current(), radix.text()};
    });
    fields.WriteTextFrom(Field::tCus, out.Cut());
    return;
  }
  Text out = SpaceLedWalk(Field::tDec, Text(source), [&fields](TextView token, Text& to) {
    const Text radix_text = fields.ReadText(Field::tBase);
    const Integer radix = AtPlace(RadixPlace(radix_text), [&] { return CInt(radix_text); });
    AppendInRadix(to, token, radix, radix_text);
    to.push_back(kSeparator);
  });
  fields.WriteText(Field::tCus, FinalCut(std::move(out)));
}

void c2d(FieldSet& fields) {
  const TextView source = SourceText(fields, Field::tCus);
  if (FastWalk(source)) {
    Output out(Buffers().out, source.size() * 2 + 2);
    RadixAtEachCode<fast::DigitReader> radix(fields, FlooredRadix);
    FastBareWalk(
        Field::tCus, source, out,
        [&radix]() -> const fast::DigitReader& { return radix.Current(); }, WriteValueGeneral);
    fields.WriteTextFrom(Field::tDec, out.Cut());
    return;
  }
  Text out = BareWalk(Field::tCus, Text(source), [&fields](TextView token, Text& to) {
    const Text radix_text = fields.ReadText(Field::tBase);
    const Integer radix = AtPlace(RadixPlace(radix_text), [&] { return Int(CDbl(radix_text)); });
    AppendValue(to, Cust2Dec(token, radix));
  });
  fields.WriteText(Field::tDec, FinalCut(std::move(out)));
}

void h2d(FieldSet& fields) {
  const TextView source = SourceText(fields, Field::tHex);
  if (FastWalk(source)) {
    Output out(Buffers().out, source.size() * 2 + 2);
    const fast::DigitReader reader(16);
    FastBareWalk(
        Field::tHex, source, out, [&reader]() -> const fast::DigitReader& { return reader; },
        WriteValueGeneral);
    fields.WriteTextFrom(Field::tDec, out.Cut());
    return;
  }
  Text out = BareWalk(Field::tHex, Text(source),
                      [](TextView token, Text& to) { AppendValue(to, Hex2Dec(token)); });
  fields.WriteText(Field::tDec, FinalCut(std::move(out)));
}

}  // namespace zolm
