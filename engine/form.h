// The window Form1 as every face builds it: its controls with their kinds,
// captions, accessible names, places and sizes, the field each text box
// shows and the command each button runs, in tab order; the client size and
// the title. The faces map this onto their toolkits and leave what a click
// or a focus change does to FormController (engine/form_controller.h).
#ifndef ZOLM_ENGINE_FORM_H_
#define ZOLM_ENGINE_FORM_H_

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "engine/convert_commands.h"
#include "engine/value_rules.h"

namespace zolm::form {

// The window's title, also the title of its error reports.
inline constexpr const char* kTitle = "Zolm Converter";

// Places and sizes are in twips, as the original form stored them: 1440 to
// the inch, so 15 make one pixel at 96 dots per inch.
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kClientWidth = 10140;
inline constexpr int kClientHeight = 2205;

// Twips as pixels at `dpi` dots per inch, rounded to the nearest.
constexpr int Pixels(int twips, int dpi) {
  return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch;
}

enum class Kind { kTextBox, kLabel, kButton };

struct Control {
  const char* name;
  Kind kind;
  const char* caption;          // labels and buttons; text boxes show their field
  const char* accessible_name;  // text boxes and buttons
  int left, top, width, height;
  std::optional<Field> field = std::nullopt;  // the field a text box shows
  std::optional<Row> row = std::nullopt;      // the row whose Convert a button runs
};

// The controls in tab order; the index is the tab index. Labels take no
// focus; no caption carries an access key; a label with an accessible name
// is a line the window writes, read out politely when it changes. A caption label's box reaches
// under its row's text box, which is drawn over it.
inline constexpr auto kControls = std::to_array<Control>({
    {"tCus", Kind::kTextBox, nullptr, "Custom codes", 840, 120, 7455, 285, Field::tCus},
    {"tBase", Kind::kTextBox, nullptr, "Radix", 9240, 120, 495, 285, Field::tBase},
    {"tHex", Kind::kTextBox, nullptr, "Hex codes", 840, 600, 7455, 285, Field::tHex},
    {"tAsc", Kind::kTextBox, nullptr, "Ascii text", 840, 1080, 7455, 285, Field::tAsc},
    {"tDec", Kind::kTextBox, nullptr, "Decimal codes", 840, 1560, 7455, 285, Field::tDec},
    {"Label1", Kind::kLabel, "Hex", nullptr, 120, 600, 1215, 255},
    {"hex", Kind::kButton, "Convert", "Convert hex codes", 8400, 600, 735, 375, {}, Row::kHex},
    {"Label3", Kind::kLabel, "Ascii", nullptr, 120, 1080, 1215, 255},
    {"Label4", Kind::kLabel, "Zolm Converter 1.00", nullptr, 120, 1920, 3135, 255},
    {"ascc", Kind::kButton, "Convert", "Convert Ascii text", 8400, 1080, 735, 375, {}, Row::kAscii},
    {"dec",
     Kind::kButton,
     "Convert",
     "Convert decimal codes",
     8400,
     1560,
     735,
     375,
     {},
     Row::kDecimal},
    {"Label2", Kind::kLabel, "Decimal", nullptr, 120, 1560, 1215, 255},
    {"cus",
     Kind::kButton,
     "Convert",
     "Convert custom codes",
     8400,
     120,
     735,
     375,
     {},
     Row::kCustom},
    {"Label5", Kind::kLabel, "Custom", nullptr, 120, 120, 1215, 255},
    // The code line (FormController::CodeLineAt), empty until there is a
    // code to name; right of the credit, as far as the boxes reach.
    {"CodeLine", Kind::kLabel, "", "Code at the caret", 3375, 1920, 4920, 255},
});

inline constexpr int kControlCount = static_cast<int>(kControls.size());

// The control with tab index `index`; `index` is 0 to kControlCount - 1.
constexpr const Control& At(int index) {
  return kControls[static_cast<std::size_t>(index)];
}

// The tab index of the control named `name`, or -1.
constexpr int IndexOf(std::string_view name) {
  for (int i = 0; i < kControlCount; ++i) {
    if (name == At(i).name) return i;
  }
  return -1;
}

// The tab index of the text box that shows `field`.
constexpr int IndexOf(Field field) {
  for (int i = 0; i < kControlCount; ++i) {
    if (At(i).field == field) return i;
  }
  return -1;
}

// The four rows, in Row's order: what each is called where a user names it
// (zolm's --from and --to, zolm.mjs), the field it shows, its button and its
// caption label (names in kControls), and the row's name in reports.
struct RowEntry {
  Row row;
  const char* name;        // "custom", "hex", "ascii", "decimal"
  const char* short_name;  // zolm takes it too: "cus", "hex", "ascii", "dec"
  Field field;
  const char* button;
  const char* label;
  const char* report_name;  // "Custom row", ...
};

inline constexpr auto kRows = std::to_array<RowEntry>({
    {Row::kCustom, "custom", "cus", Field::tCus, "cus", "Label5", "Custom row"},
    {Row::kHex, "hex", "hex", Field::tHex, "hex", "Label1", "Hex row"},
    {Row::kAscii, "ascii", "ascii", Field::tAsc, "ascc", "Label3", "Ascii row"},
    {Row::kDecimal, "decimal", "dec", Field::tDec, "dec", "Label2", "Decimal row"},
});

constexpr const RowEntry& RowOf(Row row) {
  return kRows[static_cast<std::size_t>(row)];
}

// The row that shows `field`; nullptr for tBase, the radix.
constexpr const RowEntry* RowOf(Field field) {
  for (const RowEntry& entry : kRows) {
    if (entry.field == field) return &entry;
  }
  return nullptr;
}

// The text the radix box shows whole at any font size: a sign, digits, a
// point. With digits of one width, as the usual fonts have, it is wider
// than any radix of three digits ("181").
inline constexpr const char* kRadixSample = "-16.5";

// What a face measures of its font and controls, in pixels at the dots per
// inch it lays the form out for.
struct FontMetrics {
  int dpi = 96;
  int line_height = 0;     // one line of text in the font
  int box_frame = 0;       // a text box's height beyond one line
  int box_frame_x = 0;     // a text box's width beyond its text
  int radix_sample = 0;    // the width of kRadixSample
  int button_frame_x = 0;  // a button's width beyond its caption
  int button_frame_y = 0;  // a button's height beyond one line
  // The width of each control's caption (labels and buttons; 0 for boxes).
  std::array<int, kControls.size()> caption_widths{};
};

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Placement {
  std::array<Rect, kControls.size()> controls;  // in tab order
  int client_width = 0;
  int client_height = 0;
};

// The form at `metrics.dpi`: each control at its place in the table, grown
// where the font needs more room (a text box to hold a line, the radix box
// kRadixSample, a caption its text with a gap before its box, a button its
// caption), the controls after it in its row and the rows below moved on to
// keep the form's arrangement, and the client area grown with them. A font
// that fits the table's sizes leaves every place and size at the table's,
// scaled to the DPI.
Placement Place(const FontMetrics& metrics);

}  // namespace zolm::form

#endif  // ZOLM_ENGINE_FORM_H_
