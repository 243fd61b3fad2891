// What every face's text boxes do beyond the field set: the line breaks of
// text a user inserts, and when the focus rule runs.
#ifndef ZOLM_ENGINE_TEXT_BOX_RULES_H_
#define ZOLM_ENGINE_TEXT_BOX_RULES_H_

#include "engine/field_transforms.h"
#include "engine/value_rules.h"

namespace zolm {

// Text pasted or dropped into a box, as the box takes it: every CR LF pair,
// CR or LF becomes one space, so a line converts as it reads and a column of
// codes as a row. Tabs and everything else stay.
Text InsertedText(TextView text);

// Codes 0, 10 and 13 in a one-line box: a Windows EDIT ends its text at
// code 0, a web page's input drops line breaks, and every toolkit draws the
// three as nothing or as a space, and copies them in ways another program
// cuts or changes. Every face's boxes show them as their control pictures
// (U+2400, U+240A, U+240D) and read the pictures back as the codes, so that
// every code a Convert writes stays visible on one line and survives an
// edit, a copy into any face and a Convert back. None of the pictures is in
// the code page, so no character a user could mean is taken; a picture the
// user types reads as its code too.
inline constexpr char16_t kNulPicture = u'\u2400';
inline constexpr char16_t kLineFeedPicture = u'\u240A';
inline constexpr char16_t kCarriageReturnPicture = u'\u240D';
void ShowControlPictures(Text& text);
void ReadControlPictures(Text& text);

// Text pasted or dropped into a box, as the box shows it: InsertedText with
// code 0 as its picture. Every face inserts this.
Text InsertedShownText(TextView text);

// The field set over a face's five text boxes: the commands read and write
// the codes, the boxes show codes 0, 10 and 13 as their pictures. A face
// gives what a box shows and sets it.
class ShownTextBoxes : public FieldSet {
 public:
  Text ReadText(Field field) final;
  void ReadTextInto(Field field, Text& into) final;
  void WriteText(Field field, Text text) final { WriteTextFrom(field, text); }
  void WriteTextFrom(Field field, TextView text) final;

 protected:
  // The text the box of `field` shows, into `into`.
  virtual void ReadShownText(Field field, Text& into) = 0;
  // Shows `shown` in the box of `field`, with the start of it in sight and
  // the caret there, as a native box does after a new text.
  virtual void ShowText(Field field, const Text& shown) = 0;

 private:
  Text shown_;  // reused from write to write
};

// True when a phone's keyboard is to offer capitals in the Custom row for
// the radix text `radix`: unless it reads as a number above 36, where the
// lower-case letters are digits of their own.
bool RadixDigitsAreCapitals(TextView radix);

// When the focus rule runs, decided alike for every face from what the
// toolkit reports. Controls are tab indexes; FormController keeps one and
// runs the rule for text boxes when told.
//
// The rule belongs to the focus moving between the window's controls, or
// arriving first at start-up. A box that gets the focus back without it
// having gone to another control (the window active again, a popup closed)
// keeps its selection and caret. A mouse press that brings the focus selects
// nothing at once: its release selects the whole text unless the press was a
// drag, which selects what it went over; a context menu it opens sees the
// whole text selected first. A double-click that follows such a release
// selects the word under the pointer, as in a box that had the focus.
class FocusRuleTiming {
 public:
  enum class Arrival { kMousePress, kOther };

  // The focus arrived at `control`. True when the rule is to run for it once
  // the focus change is over.
  bool FocusArrived(int control, Arrival how);
  // The left button pressed in `control` was released; `dragged` when it
  // moved the drag distance or more. True when the rule is to run now.
  bool ButtonReleased(int control, bool dragged);
  // A context menu is about to be built for `control`. True when the rule is
  // to run first, so that the menu's items agree with the selection.
  bool ContextMenuOpening(int control);
  // The left button was double-clicked in `control`. True when the rule
  // selected the whole text at the release just before, leaving the caret
  // at its end: the face then puts the caret under the pointer before its
  // toolkit selects the word at the caret.
  bool DoubleClicked(int control);
  // The window moved the focus to `control` itself and selected a part of it
  // (after an error report): the rule runs neither now nor when the focus
  // comes back.
  void Claim(int control);

 private:
  int owner_ = -1;                // the control that last had the focus
  int pending_click_ = -1;        // a box the focus reached by a press not yet released
  int selected_on_release_ = -1;  // a box the rule ran in at the last release
};

}  // namespace zolm

#endif  // ZOLM_ENGINE_TEXT_BOX_RULES_H_
