// The rows linked code by code: which codes of a row a caret or selection
// covers, and where those codes stand in every row. After a Convert the four
// rows hold the same codes in the same order, so the codes numbered i..j of
// one row are those of every other.
//
// A row's codes: in the Ascii row each UTF-16 unit is one code (a2d gives
// every unit its code, each half of a surrogate pair too); in a row of codes
// each token between single spaces is one, an empty token included. An
// empty row has none.
#ifndef ZOLM_ENGINE_CODE_LINKS_H_
#define ZOLM_ENGINE_CODE_LINKS_H_

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/value_rules.h"

namespace zolm {

// Codes numbered from 0, `first` to `last` inclusive.
struct CodeSpan {
  int first = 0;
  int last = 0;
  friend bool operator==(const CodeSpan&, const CodeSpan&) = default;
};

// Units [start, end) of a row's text.
struct TextRange {
  int start = 0;
  int end = 0;
  friend bool operator==(const TextRange&, const TextRange&) = default;
};

// How many codes `text`, a row of `field`, holds.
int CodeCount(Field field, TextView text);

// The codes that the selection [start, end) of `text`, a row of `field`,
// covers; nullopt for a row without codes. A caret (start == end) covers
// one: the code it stands in, or that ends at it (a caret on a space or at
// the row's end belongs to the code on its left; in the Ascii row the
// character on its left, the first at the start). A selection covers the
// codes from the one its first unit belongs to through the one its last
// unit belongs to, a space at its start belonging to the code on its right
// and one at its end to the code on its left; a single space covers what a
// caret at its start would. Positions are clamped to the text.
std::optional<CodeSpan> CodesCovered(Field field, TextView text, int start, int end);

// Where the codes of `span` stand in `text`, a row of `field`: from the
// first unit of the first to the end of the last, the codes past the row's
// last left out; nullopt when the row holds none of them.
std::optional<TextRange> CodesIn(Field field, TextView text, CodeSpan span);

// The line that names the code a caret or selection [start, end) of
// `field`'s row covers, `rows` (by Field) being as a Convert left them:
//   Code 7 of 12: o 111 6F 6F (radix 16) U+006F
// the code's number and the count, the character (a control as its
// picture, a space as U+2420), its decimal and hex codes, the Custom row's
// code with the radix field's text, and its code point. A character with no
// Windows-1252 code, which every row counts as 63, says so:
//   Code 2 of 4: ā U+0101 has no Windows-1252 code: counted as 63 (?)
// (each half of a surrogate pair naming the pair's character and code
// point). A selection of several codes names them, "Codes 2-4 of 12". Empty
// for a row with no codes.
Text CodeLine(const std::array<TextView, kFieldCount>& rows, Field field, int start, int end);

// The runs of `ascii`, an Ascii row, whose characters have no Windows-1252
// code and count as 63 (both halves of a surrogate pair in one run).
std::vector<TextRange> NoCodeRuns(TextView ascii);

// A colour as 0xRRGGBB.
using Colour = std::uint32_t;

// WCAG's contrast ratio of two colours, 1 to 21.
double ContrastRatio(Colour a, Colour b);

// How a face marks linked codes over a box drawn in `text` on `box`: the
// marked codes on `back`, with a bar under them in `line`, and the
// characters without a code with that bar alone. Amber, apart from any
// selection: for a light box or a dark one, text on `back` keeps 4.5:1 and
// `line` stands 3:1 from the box. Where neither pair holds that (a
// high-contrast scheme of other colours) nothing is filled, and the bar is
// drawn in the text's colour.
struct MarkColours {
  Colour back = 0;
  Colour line = 0;
  friend bool operator==(const MarkColours&, const MarkColours&) = default;
};
MarkColours MarkColoursFor(Colour box, Colour text);

}  // namespace zolm

#endif  // ZOLM_ENGINE_CODE_LINKS_H_
