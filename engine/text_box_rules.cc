#include "engine/text_box_rules.h"

#include <algorithm>

namespace zolm {

Text InsertedText(TextView text) {
  Text out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      out.push_back(u' ');
    } else {
      out.push_back(c);
    }
  }
  return out;
}

void ShowNulAsPicture(Text& text) {
  std::replace(text.begin(), text.end(), u'\0', kNulPicture);
}

void ReadPictureAsNul(Text& text) {
  std::replace(text.begin(), text.end(), kNulPicture, u'\0');
}

bool FocusRuleTiming::FocusArrived(int control, Arrival how) {
  const bool moved = control != owner_;
  owner_ = control;
  pending_click_ = -1;
  selected_on_release_ = -1;
  if (!moved) return false;
  if (how == Arrival::kMousePress) {
    pending_click_ = control;
    return false;
  }
  return true;
}

bool FocusRuleTiming::ButtonReleased(int control, bool dragged) {
  selected_on_release_ = -1;
  if (pending_click_ != control) return false;
  pending_click_ = -1;
  if (dragged) return false;
  selected_on_release_ = control;
  return true;
}

bool FocusRuleTiming::DoubleClicked(int control) {
  const bool selected = selected_on_release_ == control;
  selected_on_release_ = -1;
  return selected;
}

bool FocusRuleTiming::ContextMenuOpening(int control) {
  if (pending_click_ != control) return false;
  pending_click_ = -1;
  return true;
}

void FocusRuleTiming::Claim(int control) {
  owner_ = control;
  pending_click_ = -1;
  selected_on_release_ = -1;
}

}  // namespace zolm
