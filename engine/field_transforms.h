// The six field transforms: each rewrites one field of a field set from
// another, code by code. The decimal field tDec is the hub: every transform
// reads it or writes it.
//
// Common contract: a transform reads its source field once, at its start
// (d2c and c2d also read tBase once for every code), and writes its one target
// field once, as its very last step. A run-time error ends it at once and
// leaves the target as it was; the source and tBase are never written. The
// error carries the place where it struck (the source row and its code, the
// radix field, or the row as a whole).
#ifndef ZOLM_ENGINE_FIELD_TRANSFORMS_H_
#define ZOLM_ENGINE_FIELD_TRANSFORMS_H_

#include <span>

#include "engine/value_rules.h"

namespace zolm {

// The five texts a user edits, each with a selection. The transforms and the
// Convert commands use nothing else of the window, so a stand-alone model and
// the window's text boxes run the same code. Any access may raise a run-time
// error, which ends the operation in progress like any other.
class FieldSet {
 public:
  virtual ~FieldSet() = default;
  // The field's whole current text.
  virtual Text ReadText(Field field) = 0;
  // Replaces the field's whole text.
  virtual void WriteText(Field field, Text text) = 0;
  // Moves the selection start to `start` (characters ahead of it), leaving an
  // empty selection there.
  virtual void SetSelStart(Field field, Long start) = 0;
  // Selects `length` characters from the selection start.
  virtual void SetSelLength(Field field, Long length) = 0;

  // The same accesses in forms that spare a copy; the defaults go through
  // ReadText and WriteText. ReadTextInto replaces the content of `into` with
  // the field's text; WriteTextFrom replaces the field's text with a copy of
  // `text`, which never views this field set's own storage.
  virtual void ReadTextInto(Field field, Text& into) { into = ReadText(field); }
  virtual void WriteTextFrom(Field field, TextView text) { WriteText(field, Text(text)); }

  // True when a text changes only through this interface's writes, so that a
  // second read before the next write gives the same text. d2c and c2d then
  // read tBase once, at their first code, instead of at every code: the same
  // radix, and a bad one still strikes at the first code. Default: false.
  virtual bool TextsChangeOnlyByWrites() const { return false; }
  // The field's text as this set keeps it, read without a copy: valid until
  // the next write to that field. Only a set whose texts change only by its
  // writes keeps one; the default, nullptr, sends reads to ReadTextInto.
  virtual const Text* StoredText(Field) const { return nullptr; }
};

// Ascii to decimal: the code of every character of tAsc, a space included,
// separated by single spaces, into tDec. Raises 5 for an empty tAsc and 6 for
// a text of 32767 characters or more.
void a2d(FieldSet& fields);

// Decimal to Ascii: each space-led code of tDec read by CLng and written as
// the character of that code (no separators) into tAsc. Raises 13 for a code
// that is no number (an empty code or one between two spaces included), 6
// beyond the Long range, 5 outside 0..255.
void d2a(FieldSet& fields);

// Decimal to hexadecimal: Dec2Cus(code, 16) of each space-led code of tDec,
// separated by single spaces, into tHex. Raises as Dec2Cus.
void d2h(FieldSet& fields);

// Decimal to custom radix: Dec2Cus(code, CInt(tBase)) of each space-led code
// of tDec into tCus. The radix text is read and converted again for every
// code, so a bad radix (13, or 6 out of range) strikes at the first code.
void d2c(FieldSet& fields);

// Custom radix to decimal: Cust2Dec(code, Int(CDbl(tBase))) of each bare code
// of tCus, as decimal text separated by single spaces, into tDec. The radix
// is read per code, floored (d2c rounds: 15.7 is 16 there, 15 here). An empty
// code (between two spaces, or at an end) reads as 0.
void c2d(FieldSet& fields);

// Hexadecimal to decimal: Hex2Dec of each bare code of tHex into tDec. An
// empty code reads as 0.
void h2d(FieldSet& fields);

// d2h then d2c right after a2d, in a field set whose texts change only by
// writes: the hex or custom row straight from the codes of tAsc, without
// reading back the decimal row a2d wrote from them; the same text d2h or d2c
// writes. Returns which of the two, in that order, it has done: kNone where
// it declines (the fast paths off, texts that may change otherwise, a
// decimal row too long for the fast walk), kHex where the radix fails or
// cannot write every code below 256; the caller then runs the rest.
enum class RowsDone { kNone, kHex, kHexAndCustom };
RowsDone RowsAfterA2d(FieldSet& fields);

// The transforms that read the decimal row: d2a, d2h, d2c.
enum class FromDecimal { kAscii, kHex, kCustom };

// `rows`, in the order given, in a field set whose texts change only by
// writes: each row straight from the codes of tDec read once, instead of
// once per row; the same text each transform writes. Returns how many of
// them, in order, it has done: 0 where it declines (the fast paths off,
// texts that may change otherwise, a decimal row too long for the fast walk,
// a code that is not 0 to 255 written plainly); it stops before d2c where
// the radix fails or cannot write every code below 256. The caller then runs
// the rest.
std::size_t RowsFromDecimal(FieldSet& fields, std::span<const FromDecimal> rows);

// Every walk over codes raises 6 when its source text is 32766 characters or
// longer: the separator appended after the last code then stands at a position
// the 16-bit position counter cannot pass.

}  // namespace zolm

#endif  // ZOLM_ENGINE_FIELD_TRANSFORMS_H_
