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

using Command = void (*)(FieldSet&);

struct Control {
  const char* name;
  Kind kind;
  const char* caption;          // labels and buttons; text boxes show their field
  const char* accessible_name;  // text boxes and buttons
  int left, top, width, height;
  std::optional<Field> field = std::nullopt;  // the field a text box shows
  Command command = nullptr;                  // the Convert command a button runs
};

// The controls in tab order; the index is the tab index. Labels take no
// focus; no caption carries an access key. A caption label's box reaches
// under its row's text box, which is drawn over it.
inline constexpr auto kControls = std::to_array<Control>({
    {"tCus", Kind::kTextBox, nullptr, "Custom codes", 840, 120, 7455, 285, Field::tCus},
    {"tBase", Kind::kTextBox, nullptr, "Radix", 9240, 120, 495, 285, Field::tBase},
    {"tHex", Kind::kTextBox, nullptr, "Hex codes", 840, 600, 7455, 285, Field::tHex},
    {"tAsc", Kind::kTextBox, nullptr, "Ascii text", 840, 1080, 7455, 285, Field::tAsc},
    {"tDec", Kind::kTextBox, nullptr, "Decimal codes", 840, 1560, 7455, 285, Field::tDec},
    {"Label1", Kind::kLabel, "Hex", nullptr, 120, 600, 1215, 255},
    {"hex", Kind::kButton, "Convert", "Convert hex codes", 8400, 600, 735, 375, {}, hex},
    {"Label3", Kind::kLabel, "Ascii", nullptr, 120, 1080, 1215, 255},
    {"Label4", Kind::kLabel, "Zolm Converter 1.00", nullptr, 120, 1920, 3135, 255},
    {"ascc", Kind::kButton, "Convert", "Convert Ascii text", 8400, 1080, 735, 375, {}, ascc},
    {"dec", Kind::kButton, "Convert", "Convert decimal codes", 8400, 1560, 735, 375, {}, dec},
    {"Label2", Kind::kLabel, "Decimal", nullptr, 120, 1560, 1215, 255},
    {"cus", Kind::kButton, "Convert", "Convert custom codes", 8400, 120, 735, 375, {}, cus},
    {"Label5", Kind::kLabel, "Custom", nullptr, 120, 120, 1215, 255},
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

}  // namespace zolm::form

#endif  // ZOLM_ENGINE_FORM_H_
