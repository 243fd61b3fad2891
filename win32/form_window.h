// The window Form1 on Windows: the shared form (engine/form.h) made of the
// system's EDIT, BUTTON and STATIC controls, placed for the window's DPI.
// It copies text in and out, shows reports in a message box, focuses and
// selects for the shared FormController; it computes nothing itself.
#ifndef ZOLM_WIN32_FORM_WINDOW_H_
#define ZOLM_WIN32_FORM_WINDOW_H_

#include <windows.h>

#include <array>
#include <memory>
#include <vector>

#include "engine/form.h"
#include "engine/form_controller.h"
#include "engine/value_rules.h"

namespace zolm::win32 {

// The control identifier of the control with tab index `index`. Identifiers
// start past IDOK and IDCANCEL, which the dialog manager sends for Return
// and Escape.
inline constexpr int kFirstControlId = 100;
constexpr int ControlId(int index) {
  return kFirstControlId + index;
}

// The window class, which the tests' probe looks for.
inline constexpr const wchar_t* kWindowClass = L"ZolmConverterForm1";

class FormWindow final : public FormView {
 public:
  // Registers the window class, creates the window and its controls, and
  // gives tCus the focus. Returns nullptr when the system refuses.
  static std::unique_ptr<FormWindow> Create(HINSTANCE instance, int show);
  ~FormWindow() override;

  HWND hwnd() const { return hwnd_; }
  // Runs the message loop until the window is closed; the exit status.
  int Run();

 private:
  FormWindow() = default;
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK EditProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam,
                                   UINT_PTR id, DWORD_PTR self);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleEdit(HWND edit, UINT message, WPARAM wparam, LPARAM lparam);

  void CreateControls();
  // Sets the font and icons for `dpi` and places the controls for them;
  // sizes the window to fit when `size_window`.
  void Layout(UINT dpi, bool size_window);
  void ShowReport(TextView report) override;
  void FocusAndSelect(int control, int start, int length) override;
  int IndexOf(HWND control) const;
  // The menu of text box `box` at screen point `at` (-1, -1: by keyboard).
  void ShowBoxMenu(HWND box, POINT at);
  // For the focused text box's caret or selection, once its place or a
  // text has changed since the last time: the code line, and the same codes
  // marked in the other rows, each scrolled to them; with the Ascii row's
  // characters that have no code marked, while the rows are linked.
  void ShowLinks();
  // Draws the marks of text box `box` (of `field`) over its text.
  void DrawMarks(HWND box, Field field);

  HWND hwnd_ = nullptr;
  std::array<HWND, form::kControls.size()> controls_{};
  std::array<HWND, kFieldCount> boxes_{};  // the text boxes, by field
  std::unique_ptr<class EditFields> fields_;
  std::unique_ptr<FormController> controller_;
  HWND saved_focus_ = nullptr;  // the control to give the focus back to
  HFONT font_ = nullptr;        // the message font
  HFONT box_font_ = nullptr;    // the text boxes' font where it is not font_
  HICON icon_big_ = nullptr;
  HICON icon_small_ = nullptr;
  UINT dpi_ = 96;
  POINT press_{};  // the last left-button press in a text box
  bool arriving_by_mouse_ = false;
  struct CodeLineState {
    int control = -1;
    int start = 0;
    int end = 0;
    unsigned text_changes = 0;
    friend bool operator==(const CodeLineState&, const CodeLineState&) = default;
  };
  CodeLineState code_line_state_;  // what the code line and marks were last shown for
  // A box's marked units: filled (codes linked to the caret's), or with
  // the bar alone (characters without a code).
  struct Mark {
    TextRange range;
    bool filled = false;
    friend bool operator==(const Mark&, const Mark&) = default;
  };
  std::array<std::vector<Mark>, kFieldCount> marks_;
  unsigned text_changes_ = 0;  // of every text box, counted
};

}  // namespace zolm::win32

#endif  // ZOLM_WIN32_FORM_WINDOW_H_
