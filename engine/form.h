// The window Form1 as every face builds it: its fourteen controls with their
// kinds, captions, accessible names, places and sizes, in tab order, the
// client size and the title. The faces map this onto their toolkits; the
// error report's text is ErrorReportText (engine/error_text.h) and when the
// focus rule runs is FocusRuleTiming (engine/text_box_rules.h).
#ifndef ZOLM_ENGINE_FORM_H_
#define ZOLM_ENGINE_FORM_H_

#include <array>
#include <optional>
#include <string_view>

#include "engine/value_rules.h"

namespace zolm {
class FieldSet;
}

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
};

// The fourteen controls in tab order; the index is the tab index. Labels
// take no focus; no caption carries an access key. A caption label's box
// reaches under its row's text box, which is drawn over it.
inline constexpr std::array<Control, 14> kControls = {{
    {"tCus", Kind::kTextBox, nullptr, "Custom codes", 840, 120, 7455, 285},
    {"tBase", Kind::kTextBox, nullptr, "Radix", 9240, 120, 495, 285},
    {"tHex", Kind::kTextBox, nullptr, "Hex codes", 840, 600, 7455, 285},
    {"tAsc", Kind::kTextBox, nullptr, "Ascii text", 840, 1080, 7455, 285},
    {"tDec", Kind::kTextBox, nullptr, "Decimal codes", 840, 1560, 7455, 285},
    {"Label1", Kind::kLabel, "Hex", nullptr, 120, 600, 1215, 255},
    {"hex", Kind::kButton, "Convert", "Convert hex codes", 8400, 600, 735, 375},
    {"Label3", Kind::kLabel, "Ascii", nullptr, 120, 1080, 1215, 255},
    {"Label4", Kind::kLabel, "Zolm Converter 1.00", nullptr, 120, 1920, 3135, 255},
    {"ascc", Kind::kButton, "Convert", "Convert Ascii text", 8400, 1080, 735, 375},
    {"dec", Kind::kButton, "Convert", "Convert decimal codes", 8400, 1560, 735, 375},
    {"Label2", Kind::kLabel, "Decimal", nullptr, 120, 1560, 1215, 255},
    {"cus", Kind::kButton, "Convert", "Convert custom codes", 8400, 120, 735, 375},
    {"Label5", Kind::kLabel, "Custom", nullptr, 120, 120, 1215, 255},
}};

// The tab index of the control named `name`, or -1.
constexpr int IndexOf(std::string_view name) {
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    if (name == kControls[i].name) return static_cast<int>(i);
  }
  return -1;
}

// The field a text box shows, by its name ("tAsc" is Field::tAsc).
std::optional<Field> FieldOf(const Control& control);

// The Convert command a button runs, by its name; nullptr for other controls.
using Command = void (*)(FieldSet&);
Command CommandOf(const Control& control);

}  // namespace zolm::form

#endif  // ZOLM_ENGINE_FORM_H_
