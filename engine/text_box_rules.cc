#include "engine/text_box_rules.h"

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

void ShowControlPictures(Text& text) {
  for (char16_t& c : text) {
    if (c == u'\0') {
      c = kNulPicture;
    } else if (c == u'\n') {
      c = kLineFeedPicture;
    } else if (c == u'\r') {
      c = kCarriageReturnPicture;
    }
  }
}

void ReadControlPictures(Text& text) {
  for (char16_t& c : text) {
    if (c == kNulPicture) {
      c = u'\0';
    } else if (c == kLineFeedPicture) {
      c = u'\n';
    } else if (c == kCarriageReturnPicture) {
      c = u'\r';
    }
  }
}

Text InsertedShownText(TextView text) {
  Text inserted = InsertedText(text);
  ShowControlPictures(inserted);
  return inserted;
}

Text ShownTextBoxes::ReadText(Field field) {
  Text text;
  ReadTextInto(field, text);
  return text;
}

void ShownTextBoxes::ReadTextInto(Field field, Text& into) {
  ReadShownText(field, into);
  ReadControlPictures(into);
}

void ShownTextBoxes::WriteTextFrom(Field field, TextView text) {
  shown_.assign(text);
  ShowControlPictures(shown_);
  ShowText(field, shown_);
}

bool RadixDigitsAreCapitals(TextView radix) {
  try {
    return CDbl(radix) < 37.0;
  } catch (const RuntimeError&) {
    return true;
  }
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
