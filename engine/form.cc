#include "engine/form.h"

#include <algorithm>

namespace zolm::form {

namespace {

// The form is four rows of a caption, a text box and a button, the radix
// box at the end of the first, and the credit line under them. Growth moves
// the columns right and the rows down by the same amounts in every row.
constexpr int kCaption = IndexOf("Label5");
constexpr int kFirstBox = IndexOf("tCus");
constexpr int kFirstButton = IndexOf("cus");
constexpr int kRadix = IndexOf("tBase");
constexpr int kCredit = IndexOf("Label4");
constexpr int kCodeLine = IndexOf("CodeLine");
constexpr int kRowPitch = At(IndexOf("tHex")).top - At(kFirstBox).top;  // twips
constexpr int kCaptionGap = 30;                                         // twips, 2 px at 96 DPI

}  // namespace

Placement Place(const FontMetrics& m) {
  const auto px = [&m](int twips) { return Pixels(twips, m.dpi); };
  const auto table = [&px](int index) {
    const Control& c = At(index);
    return Rect{px(c.left), px(c.top), px(c.width), px(c.height)};
  };
  const Rect caption = table(kCaption);
  const Rect box = table(kFirstBox);
  const Rect button = table(kFirstButton);
  const Rect credit = table(kCredit);

  int widest_caption = 0;
  int widest_button = 0;
  for (int i = 0; i < kControlCount; ++i) {
    const int width = m.caption_widths[static_cast<std::size_t>(i)];
    if (At(i).kind == Kind::kLabel && i != kCredit && i != kCodeLine)
      widest_caption = std::max(widest_caption, width);
    if (At(i).kind == Kind::kButton) widest_button = std::max(widest_button, width);
  }
  // Columns: a caption's text stays clear of its box, by a gap of 2 pixels
  // at 96 dots per inch.
  const Rect radix = table(kRadix);
  const int gap = px(kCaptionGap);
  const int box_shift = std::max(0, caption.left + widest_caption + gap - box.left);
  const int button_width = std::max(button.width, widest_button + m.button_frame_x);
  const int radix_shift = box_shift + button_width - button.width;
  const int radix_width = std::max(radix.width, m.radix_sample + m.box_frame_x);
  // Rows: each grows by what its tallest control needs beyond the table.
  const int box_height = std::max(box.height, m.line_height + m.box_frame);
  const int button_height = std::max(button.height, m.line_height + m.button_frame_y);
  const int caption_height = std::max(caption.height, m.line_height);
  const int row_growth = std::max(
      {box_height - box.height, button_height - button.height, caption_height - caption.height});
  const int credit_shift =
      3 * row_growth + std::max(box_height - box.height, caption_height - caption.height);
  const int credit_height = std::max(credit.height, m.line_height);
  const int credit_width =
      std::max(credit.width, m.caption_widths[static_cast<std::size_t>(kCredit)]);

  Placement placement;
  for (int i = 0; i < kControlCount; ++i) {
    const Control& c = At(i);
    Rect r = table(i);
    if (i == kCredit) {
      r.top += credit_shift;
      r.width = credit_width;
      r.height = credit_height;
    } else if (i == kCodeLine) {
      // From a caption's gap past the credit to the boxes' right edge.
      r.top += credit_shift;
      r.left = std::max(r.left, credit.left + credit_width + px(At(kCodeLine).left) -
                                    px(At(kCredit).left + At(kCredit).width));
      r.width = box.left + box_shift + box.width - r.left;
      r.height = credit_height;
    } else {
      r.top += (c.top - At(kFirstBox).top) / kRowPitch * row_growth;
      if (c.kind == Kind::kTextBox) {
        r.height = box_height;
        r.left += i == kRadix ? radix_shift : box_shift;
        if (i == kRadix) r.width = radix_width;
      } else if (c.kind == Kind::kButton) {
        r.height = button_height;
        r.width = button_width;
        r.left += box_shift;
      } else {
        r.height = caption_height;
        r.width = std::max(r.width, m.caption_widths[static_cast<std::size_t>(i)]);
      }
    }
    placement.controls[static_cast<std::size_t>(i)] = r;
  }
  placement.client_width = px(kClientWidth) + radix_shift + radix_width - radix.width;
  placement.client_height = px(kClientHeight) + credit_shift + credit_height - credit.height;
  return placement;
}

}  // namespace zolm::form
