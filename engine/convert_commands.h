// The four Convert commands and the focus rule, over any field set, and the
// stand-alone field set of five texts that zolm, the tests and the driver use.
// No window code: every window runs the same operations over its text boxes.
#ifndef ZOLM_ENGINE_CONVERT_COMMANDS_H_
#define ZOLM_ENGINE_CONVERT_COMMANDS_H_

#include <array>
#include <optional>
#include <utility>

#include "engine/field_transforms.h"
#include "engine/value_rules.h"

namespace zolm {

inline constexpr std::array<Field, kFieldCount> kAllFields = {Field::tAsc, Field::tDec, Field::tHex,
                                                              Field::tCus, Field::tBase};

// The field's name as the code and the window know it: "tAsc", "tDec", ...
const char* FieldName(Field field);

// The text a field shows when the program starts.
Text StartText(Field field);

// Five texts with their selections, starting with the start texts and an
// empty selection at the start of each. Never raises.
class FieldModel final : public FieldSet {
 public:
  FieldModel();

  Text ReadText(Field field) override { return slot(field).text; }
  void WriteText(Field field, Text text) override { slot(field).text = std::move(text); }
  void SetSelStart(Field field, Long start) override;
  void SetSelLength(Field field, Long length) override { slot(field).sel_length = length; }
  void ReadTextInto(Field field, Text& into) override { into.assign(slot(field).text); }
  // Copies into the field's own storage, which is reused when large enough.
  void WriteTextFrom(Field field, TextView text) override { slot(field).text.assign(text); }
  bool TextsChangeOnlyByWrites() const override { return true; }
  const Text* StoredText(Field field) const override { return &slot(field).text; }

  const Text& text(Field field) const { return slot(field).text; }
  Long sel_start(Field field) const { return slot(field).sel_start; }
  Long sel_length(Field field) const { return slot(field).sel_length; }

 private:
  struct Slot {
    Text text;
    Long sel_start = 0;
    Long sel_length = 0;
  };
  Slot& slot(Field field) { return slots_[static_cast<std::size_t>(field)]; }
  const Slot& slot(Field field) const { return slots_[static_cast<std::size_t>(field)]; }

  std::array<Slot, kFieldCount> slots_;
};

// The Convert command of each row. Each first writes Trim of its own field
// back to it (on every run), then runs three transforms, each to its end:
//   ascc (tAsc): a2d, d2h, d2c      dec (tDec): d2a, d2h, d2c
//   hex  (tHex): h2d, d2c, d2a      cus (tCus): c2d, d2a, d2h
// A run-time error ends the command at once and passes on unchanged: fields
// written before it keep their new texts, the rest keep their old ones. tBase
// is never trimmed or written.
void ascc(FieldSet& fields);
void dec(FieldSet& fields);
void hex(FieldSet& fields);
void cus(FieldSet& fields);

// The four rows of the window, top to bottom; form.h describes each.
enum class Row { kCustom, kHex, kAscii, kDecimal };

// The Convert command of `row`: cus, hex, ascc or dec, called directly (a
// WebKit engine misses an exception thrown out of a call through a pointer
// to a function that returns nothing, so no command runs through one).
void Convert(Row row, FieldSet& fields);

// Where the row `to` holds its first line break (CR or LF), after a Convert
// of the row `from`: the code of the source row that gave it, or the
// character itself when both are the Ascii row. Nothing when the row holds
// none. For a face that shows rows as lines, which cannot hold one.
std::optional<ErrorPlace> LineBreakPlace(const FieldModel& fields, Field from, Field to);

// Selects the whole text of `field`: selection start 0, then selection length
// Len of its text. An empty field ends with an empty selection at its start.
void FocusRule(FieldSet& fields, Field field);

}  // namespace zolm

#endif  // ZOLM_ENGINE_CONVERT_COMMANDS_H_
