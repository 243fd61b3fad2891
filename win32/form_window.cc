#include "win32/form_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>

#include "engine/convert_commands.h"
#include "win32/accessible_name.h"
#include "win32/box_font.h"
#include "win32/mark_colours.h"

namespace zolm::win32 {

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr UINT kRunFocusRule = WM_APP + 1;  // wparam: the tab index of a text box
// WM_GETDPISCALEDSIZE of Windows 10, named in no header for Windows 7.
constexpr UINT kGetDpiScaledSize = 0x02E4;

const wchar_t* Wide(const Text& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::wstring Wide(const char* latin) {
  std::wstring out;
  for (; *latin != '\0'; ++latin) out.push_back(static_cast<unsigned char>(*latin));
  return out;
}

// The DPI functions of Windows 10, where there are any.
template <class Function>
Function UserFunction(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

UINT WindowDpi(HWND hwnd) {
  static const auto get_dpi = UserFunction<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  if (get_dpi != nullptr) {
    if (const UINT dpi = get_dpi(hwnd); dpi != 0) return dpi;
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

// The system's message font at `dpi`.
HFONT MessageFont(UINT dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  static const auto for_dpi =
      UserFunction<BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT)>("SystemParametersInfoForDpi");
  if (for_dpi == nullptr || !for_dpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HDC screen = GetDC(nullptr);
    const int system_dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (system_dpi > 0) {
      metrics.lfMessageFont.lfHeight =
          MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), system_dpi);
    }
  }
  return CreateFontIndirectW(&metrics.lfMessageFont);
}

// The form at `dpi` with `font` (and `box_font` in the text boxes, where not
// null), measured as the system draws its controls: a text box holds a line
// in its sunken edge, a button its caption inside its edge and focus
// rectangle.
form::Placement PlaceFor(HFONT font, HFONT box_font, UINT dpi) {
  form::FontMetrics metrics;
  metrics.dpi = static_cast<int>(dpi);
  const auto px = [dpi](int at96) { return MulDiv(at96, static_cast<int>(dpi), 96); };
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW text{};
  GetTextMetricsW(dc, &text);
  if (box_font != nullptr) {
    SelectObject(dc, box_font);
    TEXTMETRICW box{};
    GetTextMetricsW(dc, &box);
    text.tmHeight = std::max(text.tmHeight, box.tmHeight);
  }
  metrics.line_height = text.tmHeight;
  metrics.box_frame = px(4);
  // A box's sunken edge (2 pixels) each side, the margins it gives its text
  // from the font (which grow with it: up to a third of a line each side)
  // and the caret.
  metrics.box_frame_x = 2 * px(2) + 2 * std::max<int>(px(4), text.tmHeight / 3) + px(1);
  {
    // The radix box's text in the boxes' font.
    const std::wstring sample = Wide(form::kRadixSample);
    SIZE size{};
    GetTextExtentPoint32W(dc, sample.c_str(), static_cast<int>(sample.size()), &size);
    metrics.radix_sample = size.cx;
    SelectObject(dc, font);
  }
  // A button's caption clear of its edge (2 pixels) and of the focus
  // rectangle a pixel inside it, with two pixels to spare, each side.
  metrics.button_frame_x = 2 * px(5);
  metrics.button_frame_y = px(4);
  for (int i = 0; i < form::kControlCount; ++i) {
    if (const char* caption = form::At(i).caption) {
      const std::wstring wide = Wide(caption);
      SIZE size{};
      GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
      metrics.caption_widths[static_cast<std::size_t>(i)] = size.cx;
    }
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return form::Place(metrics);
}

// The window's outer size for a client area of `placement` at `dpi`.
SIZE WindowSizeFor(const form::Placement& placement, UINT dpi) {
  RECT rect{0, 0, placement.client_width, placement.client_height};
  static const auto adjust =
      UserFunction<BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
  if (adjust == nullptr || !adjust(&rect, kStyle, FALSE, 0, dpi)) {
    AdjustWindowRectEx(&rect, kStyle, FALSE, 0);
  }
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

int SystemMetric(int index, UINT dpi) {
  static const auto for_dpi = UserFunction<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
  return for_dpi != nullptr ? for_dpi(index, dpi) : GetSystemMetrics(index);
}

HICON LoadIconFor(HINSTANCE instance, int width_metric, int height_metric, UINT dpi) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                       SystemMetric(width_metric, dpi),
                                       SystemMetric(height_metric, dpi), 0));
}

// MessageBoxW puts its box where the system likes, often mid-screen, away
// from the form: a hook on this thread moves it over the form's centre, within
// the work area, as it is first activated.
HWND report_owner = nullptr;
HHOOK report_hook = nullptr;

LRESULT CALLBACK CentreReport(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_ACTIVATE && report_hook != nullptr) {
    HWND box = reinterpret_cast<HWND>(wparam);
    RECT form;
    RECT rect;
    GetWindowRect(report_owner, &form);
    GetWindowRect(box, &rect);
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(report_owner, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const LONG x =
        std::max(work.left, std::min((form.left + form.right - width) / 2, work.right - width));
    const LONG y =
        std::max(work.top, std::min((form.top + form.bottom - height) / 2, work.bottom - height));
    SetWindowPos(box, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    UnhookWindowsHookEx(report_hook);
    report_hook = nullptr;
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

// The field set over the window's five EDIT controls. A box a command
// writes shows the start of its new text.
class EditFields final : public ShownTextBoxes {
 public:
  explicit EditFields(const std::array<HWND, kFieldCount>& edits) : edits_(edits) {}

  void SetSelStart(Field field, Long start) override {
    SendMessageW(box(field), EM_SETSEL, static_cast<WPARAM>(start), start);
  }
  void SetSelLength(Field field, Long length) override {
    DWORD start = 0;
    SendMessageW(box(field), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    SendMessageW(box(field), EM_SETSEL, start, static_cast<LPARAM>(start + length));
  }
  // Nothing handles a text change: while a command runs, only its own
  // writes change the boxes.
  bool TextsChangeOnlyByWrites() const override { return true; }

 private:
  void ReadShownText(Field field, Text& into) override { ReadShown(box(field), into); }
  // Each message to a box is paid for: Wine's box takes seconds over a long
  // row of digits for a new text, and again for a new selection. A text the
  // box already shows is not set again, and a caret already at the start not
  // moved there.
  void ShowText(Field field, const Text& shown) override {
    HWND edit = box(field);
    ReadShown(edit, current_);
    if (current_ != shown) SetWindowTextW(edit, Wide(shown));
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (start != 0 || end != 0) SendMessageW(edit, EM_SETSEL, 0, 0);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
  }
  HWND box(Field field) const { return edits_[static_cast<std::size_t>(field)]; }
  static void ReadShown(HWND edit, Text& into) {
    const int length = GetWindowTextLengthW(edit);
    into.resize(static_cast<std::size_t>(length) + 1);
    const int got = GetWindowTextW(edit, reinterpret_cast<wchar_t*>(into.data()), length + 1);
    into.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  }

  std::array<HWND, kFieldCount> edits_;
  Text current_;  // what the box held
};

std::unique_ptr<FormWindow> FormWindow::Create(HINSTANCE instance, int show) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kWindowClass;
  if (RegisterClassExW(&window_class) == 0) return nullptr;

  std::unique_ptr<FormWindow> window(new FormWindow);
  // Sized for its DPI and font once its controls exist.
  HWND hwnd = CreateWindowExW(0, kWindowClass, Wide(form::kTitle).c_str(), kStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                              instance, window.get());
  if (hwnd == nullptr) return nullptr;
  window->CreateControls();
  window->Layout(WindowDpi(hwnd), true);
  // The focus goes to tCus when the window first becomes active.
  window->saved_focus_ = window->controls_[static_cast<std::size_t>(form::IndexOf(Field::tCus))];
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);
  return window;
}

FormWindow::~FormWindow() {
  if (font_ != nullptr) DeleteObject(font_);
  if (box_font_ != nullptr) DeleteObject(box_font_);
  if (icon_big_ != nullptr) DestroyIcon(icon_big_);
  if (icon_small_ != nullptr) DestroyIcon(icon_small_);
}

int FormWindow::Run() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // A held Return presses a button once, as a held Space does.
    const bool repeated_return = message.message == WM_KEYDOWN && message.wParam == VK_RETURN &&
                                 (message.lParam & (1 << 30)) != 0;
    if (repeated_return) continue;
    if (!IsDialogMessageW(hwnd_, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    ShowLinks();
  }
  return static_cast<int>(message.wParam);
}

void FormWindow::CreateControls() {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  for (std::size_t i = 0; i < form::kControls.size(); ++i) {
    const form::Control& control = form::kControls[i];
    const wchar_t* window_class = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    DWORD extended = 0;
    std::wstring text;
    switch (control.kind) {
      case form::Kind::kTextBox:
        window_class = L"EDIT";
        style |= WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
        extended = WS_EX_CLIENTEDGE;
        text.assign(reinterpret_cast<const wchar_t*>(StartText(*control.field).c_str()));
        break;
      case form::Kind::kButton:
        window_class = L"BUTTON";
        style |= WS_TABSTOP | BS_PUSHBUTTON;
        text = Wide(control.caption);
        break;
      case form::Kind::kLabel:
        style |= SS_LEFT | SS_NOPREFIX;
        text = Wide(control.caption);
        break;
    }
    HWND hwnd = CreateWindowExW(extended, window_class, text.c_str(), style, 0, 0, 0, 0, hwnd_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(int(i)))),
                                instance, nullptr);
    controls_[i] = hwnd;
    if (control.kind == form::Kind::kTextBox) {
      SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);  // no length limit
    }
    if (control.kind != form::Kind::kLabel) {
      SetWindowSubclass(hwnd, EditProc, i, reinterpret_cast<DWORD_PTR>(this));
    }
  }
  for (const Field field : kAllFields) {
    boxes_[static_cast<std::size_t>(field)] =
        controls_[static_cast<std::size_t>(form::IndexOf(field))];
  }
  fields_ = std::make_unique<EditFields>(boxes_);
  controller_ = std::make_unique<FormController>(*fields_, *this);
}

void FormWindow::Layout(UINT dpi, bool size_window) {
  dpi_ = dpi;
  HFONT old_font = font_;
  HFONT old_box_font = box_font_;
  font_ = MessageFont(dpi);
  box_font_ = BoxFont(font_);
  const form::Placement placement = PlaceFor(font_, box_font_, dpi);
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const form::Rect& r = placement.controls[i];
    MoveWindow(controls_[i], r.left, r.top, r.width, r.height, TRUE);
    const bool box = form::kControls[i].kind == form::Kind::kTextBox && box_font_ != nullptr;
    SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(box ? box_font_ : font_), TRUE);
  }
  if (old_font != nullptr) DeleteObject(old_font);
  if (old_box_font != nullptr) DeleteObject(old_box_font);
  if (size_window) {
    const SIZE size = WindowSizeFor(placement, dpi);
    SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The icons drawn crisp at this DPI.
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  for (auto [which, icon, width, height] :
       {std::tuple{ICON_BIG, &icon_big_, SM_CXICON, SM_CYICON},
        std::tuple{ICON_SMALL, &icon_small_, SM_CXSMICON, SM_CYSMICON}}) {
    HICON old_icon = *icon;
    *icon = LoadIconFor(instance, width, height, dpi);
    SendMessageW(hwnd_, WM_SETICON, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(*icon));
    if (old_icon != nullptr) DestroyIcon(old_icon);
  }
}

void FormWindow::ShowLinks() {
  HWND focus = GetFocus();
  int index = IndexOf(focus);
  const bool in_box = index >= 0 && form::At(index).kind == form::Kind::kTextBox;
  if (!in_box) index = -1;
  DWORD start = 0;
  DWORD end = 0;
  if (in_box) {
    SendMessageW(focus, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
  }
  const CodeLineState state{index, static_cast<int>(start), static_cast<int>(end), text_changes_};
  if (state == code_line_state_) return;
  code_line_state_ = state;
  if (in_box) {
    const Text line = controller_->CodeLineAt(index, state.start, state.end);
    SetWindowTextW(controls_[static_cast<std::size_t>(form::IndexOf("CodeLine"))], Wide(line));
  }
  const FormController::Marks marks = controller_->MarksAt(index, state.start, state.end);
  for (const Field field : kAllFields) {
    if (field == Field::tBase) continue;
    HWND box = boxes_[static_cast<std::size_t>(field)];
    std::vector<Mark> now;
    if (field == Field::tAsc) {
      for (const TextRange& run : marks.no_code) now.push_back({run, false});
    }
    const std::optional<TextRange>& linked = marks.linked[static_cast<std::size_t>(field)];
    if (linked) now.push_back({*linked, true});
    std::vector<Mark>& was = marks_[static_cast<std::size_t>(field)];
    // A box draws its selection as it moves, over the marks: drawn again.
    if (now == was && (now.empty() || box != focus)) continue;
    if (linked && box != focus) {
      // Scrolled to the code, its end and then its start in sight. An EDIT
      // scrolls only to its caret, so the caret of this box, which has no
      // focus, stays at the code's start: unseen until the box gets the
      // focus, when the focus rule places it anew.
      for (const int at : {linked->end, linked->start}) {
        SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(at), at);
        SendMessageW(box, EM_SCROLLCARET, 0, 0);
      }
    }
    was = std::move(now);
    InvalidateRect(box, nullptr, FALSE);
  }
}

void FormWindow::DrawMarks(HWND box, Field field) {
  const std::vector<Mark>& marks = marks_[static_cast<std::size_t>(field)];
  const int length = GetWindowTextLengthW(box);
  if (marks.empty() || length == 0) return;
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      std::max(0, GetWindowTextW(box, text.data(), static_cast<int>(text.size())))));
  HDC dc = GetDC(box);
  RECT format{};
  SendMessageW(box, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  IntersectClipRect(dc, format.left, format.top, format.right, format.bottom);
  HGDIOBJ old_font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const MarkColours pair = SystemMarkColours();
  HBRUSH fill = CreateSolidBrush(ToColorref(pair.back));
  HBRUSH line = CreateSolidBrush(ToColorref(pair.line));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  const bool caret = GetFocus() == box && HideCaret(box);
  for (const Mark& mark : marks) {
    const int start = std::clamp(mark.range.start, 0, static_cast<int>(text.size()));
    const int end = std::clamp(mark.range.end, start, static_cast<int>(text.size()));
    // The place of a unit; the row's end is past its last.
    const auto x_of = [&](int at, int& y) {
      const bool past = at == static_cast<int>(text.size());
      const LRESULT place =
          SendMessageW(box, EM_POSFROMCHAR, static_cast<WPARAM>(past ? at - 1 : at), 0);
      y = static_cast<short>(HIWORD(place));
      int x = static_cast<short>(LOWORD(place));
      if (past) {
        SIZE last{};
        GetTextExtentPoint32W(dc, text.data() + at - 1, 1, &last);
        x += last.cx;
      }
      return x;
    };
    int top = 0;
    const int left = x_of(start, top);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data() + start, end - start, &size);
    const RECT under{left, top, left + size.cx, top + metrics.tmHeight};
    if (mark.filled) {
      FillRect(dc, &under, fill);
      ExtTextOutW(dc, left, top, 0, nullptr, text.data() + start, static_cast<UINT>(end - start),
                  nullptr);
    }
    const RECT bar{under.left, under.bottom - 2, under.right, under.bottom};
    FillRect(dc, &bar, line);
  }
  if (caret) ShowCaret(box);
  DeleteObject(fill);
  DeleteObject(line);
  SelectObject(dc, old_font);
  ReleaseDC(box, dc);
}

void FormWindow::ShowBoxMenu(HWND box, POINT at) {
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const auto length = static_cast<DWORD>(GetWindowTextLengthW(box));
  const bool selected = start != end;
  // The system's own menu of a text box, but for Undo, which reaches the
  // Converts too, and Redo.
  enum : UINT { kUndo = 1, kRedo, kCut, kCopy, kPaste, kDelete, kSelectAll };
  HMENU menu = CreatePopupMenu();
  const auto add = [menu](UINT id, const wchar_t* caption, bool enabled) {
    AppendMenuW(menu, MF_STRING | (enabled ? 0 : MF_GRAYED), id, caption);
  };
  add(kUndo, L"&Undo",
      SendMessageW(box, EM_CANUNDO, 0, 0) != 0 || controller_->CanStepConverts(true));
  add(kRedo, L"&Redo", controller_->CanStepConverts(false));
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  add(kCut, L"Cu&t", selected);
  add(kCopy, L"&Copy", selected);
  add(kPaste, L"&Paste", IsClipboardFormatAvailable(CF_UNICODETEXT) != 0);
  add(kDelete, L"&Delete", selected);
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  add(kSelectAll, L"Select &All", start != 0 || end != length);
  if (at.x == -1 && at.y == -1) {
    // By keyboard: at the caret.
    GetCaretPos(&at);
    ClientToScreen(box, &at);
  }
  const UINT command = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, box, nullptr));
  DestroyMenu(menu);
  switch (command) {
    case kUndo:
      SendMessageW(box, WM_UNDO, 0, 0);
      break;
    case kRedo:
      controller_->StepConverts(false);
      break;
    case kCut:
      SendMessageW(box, WM_CUT, 0, 0);
      break;
    case kCopy:
      SendMessageW(box, WM_COPY, 0, 0);
      break;
    case kPaste:
      SendMessageW(box, WM_PASTE, 0, 0);
      break;
    case kDelete:
      SendMessageW(box, WM_CLEAR, 0, 0);
      break;
    case kSelectAll:
      SendMessageW(box, EM_SETSEL, 0, -1);
      break;
    default:
      break;
  }
}

int FormWindow::IndexOf(HWND control) const {
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i] == control) return static_cast<int>(i);
  }
  return -1;
}

void FormWindow::ShowReport(TextView report) {
  const Text text(report);
  report_owner = hwnd_;
  report_hook = SetWindowsHookExW(WH_CBT, CentreReport, nullptr, GetCurrentThreadId());
  MessageBoxW(hwnd_, Wide(text), Wide(form::kTitle).c_str(), MB_OK | MB_ICONERROR);
  if (report_hook != nullptr) {
    UnhookWindowsHookEx(report_hook);
    report_hook = nullptr;
  }
}

void FormWindow::FocusAndSelect(int control, int start, int length) {
  HWND edit = controls_[static_cast<std::size_t>(control)];
  saved_focus_ = edit;
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start + length));
  SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

LRESULT CALLBACK FormWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  return self->Handle(message, wparam, lparam);
}

LRESULT FormWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == IDOK) {
        // Return: a focused Convert button takes it as a click; anywhere
        // else it does nothing. No button is a default button.
        const int index = IndexOf(GetFocus());
        if (index >= 0 && form::At(index).kind == form::Kind::kButton) {
          SendMessageW(controls_[static_cast<std::size_t>(index)], BM_CLICK, 0, 0);
        }
        return 0;
      }
      if (HIWORD(wparam) == BN_CLICKED) controller_->Click(id - kFirstControlId);
      if (HIWORD(wparam) == EN_CHANGE) ++text_changes_;
      return 0;
    }
    case kRunFocusRule:
      // Only if that box still has the focus the rule was meant for.
      if (GetFocus() == controls_[wparam]) controller_->RunFocusRule(static_cast<int>(wparam));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus)) saved_focus_ = focus;
      } else if (saved_focus_ != nullptr) {
        SetFocus(saved_focus_);
      }
      return 0;
    case WM_SETFOCUS:
      if (saved_focus_ != nullptr) SetFocus(saved_focus_);
      return 0;
    case kGetDpiScaledSize: {
      // The window's size at the new DPI, which the system then suggests.
      const UINT dpi = static_cast<UINT>(wparam);
      HFONT font = MessageFont(dpi);
      HFONT box_font = BoxFont(font);
      *reinterpret_cast<SIZE*>(lparam) = WindowSizeFor(PlaceFor(font, box_font, dpi), dpi);
      DeleteObject(font);
      if (box_font != nullptr) DeleteObject(box_font);
      return TRUE;
    }
    case WM_SETTINGCHANGE:
      // A new message font, say: the form laid out again in it at once.
      if (wparam == SPI_SETNONCLIENTMETRICS) Layout(dpi_, true);
      return 0;
    case WM_DPICHANGED: {
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      Layout(HIWORD(wparam), false);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wparam, lparam);
  }
}

LRESULT CALLBACK FormWindow::EditProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam,
                                      UINT_PTR, DWORD_PTR self) {
  return reinterpret_cast<FormWindow*>(self)->HandleEdit(control, message, wparam, lparam);
}

// Text boxes and buttons: the focus rule's events, and the inserting of text
// with line breaks.
LRESULT FormWindow::HandleEdit(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
  const int index = IndexOf(control);
  const bool text_box = form::At(index).kind == form::Kind::kTextBox;
  switch (message) {
    case WM_SETFOCUS: {
      const LRESULT result = DefSubclassProc(control, message, wparam, lparam);
      const auto how = arriving_by_mouse_ ? FocusRuleTiming::Arrival::kMousePress
                                          : FocusRuleTiming::Arrival::kOther;
      if (controller_->FocusArrived(index, how)) {
        // Once the focus change is over, as the dialog manager's own
        // selection of a tabbed-to box comes after it.
        PostMessageW(hwnd_, kRunFocusRule, static_cast<WPARAM>(index), 0);
      }
      return result;
    }
    case WM_GETDLGCODE:
      // The focus rule selects; the dialog manager does not select on Tab.
      return DefSubclassProc(control, message, wparam, lparam) & ~DLGC_HASSETSEL;
    case WM_LBUTTONDOWN:
      if (text_box) {
        press_ = POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
        arriving_by_mouse_ = GetFocus() != control;
        const LRESULT result = DefSubclassProc(control, message, wparam, lparam);
        arriving_by_mouse_ = false;
        return result;
      }
      break;
    case WM_LBUTTONDBLCLK:
      if (text_box) {
        // The release before it may have selected the whole row, caret at
        // the end; the word is the one under the pointer.
        if (controller_->DoubleClicked(index)) {
          const auto at = LOWORD(SendMessageW(control, EM_CHARFROMPOS, 0, lparam));
          SendMessageW(control, EM_SETSEL, at, at);
        }
        const LRESULT result = DefSubclassProc(control, message, wparam, lparam);
        // The box's word takes the spaces after it too, and a code typed
        // over it would run into the next: the code alone is selected, as
        // in the other faces.
        DWORD start = 0;
        DWORD end = 0;
        SendMessageW(control, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            std::max(0, GetWindowTextW(control, text.data(), static_cast<int>(text.size())))));
        DWORD code_end = std::min<DWORD>(end, static_cast<DWORD>(text.size()));
        while (code_end > start && text[code_end - 1] == L' ') --code_end;
        if (code_end > start && code_end < end) SendMessageW(control, EM_SETSEL, start, code_end);
        return result;
      }
      break;
    case WM_KEYDOWN:
      // Shift+Insert pastes through WM_PASTE as Ctrl+V does; some text boxes
      // (Wine's) would paste past it.
      if (text_box && wparam == VK_INSERT && GetKeyState(VK_SHIFT) < 0 &&
          GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0) {
        SendMessageW(control, WM_PASTE, 0, 0);
        return 0;
      }
      break;
    case BM_SETSTYLE:
      // The window has no default button: the dialog manager would give a
      // focused button the default look and leave it there.
      if ((wparam & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
        wparam = (wparam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_PUSHBUTTON;
      }
      break;
    case WM_GETOBJECT:
      if (const LRESULT named =
              NamedClientObject(control, wparam, lparam, form::At(index).accessible_name)) {
        return named;
      }
      break;
    case WM_LBUTTONUP:
      if (text_box) {
        const LRESULT result = DefSubclassProc(control, message, wparam, lparam);
        const bool dragged =
            std::abs(GET_X_LPARAM(lparam) - press_.x) >= GetSystemMetrics(SM_CXDRAG) ||
            std::abs(GET_Y_LPARAM(lparam) - press_.y) >= GetSystemMetrics(SM_CYDRAG);
        controller_->ButtonReleased(index, dragged);
        return result;
      }
      break;
    case WM_CONTEXTMENU:
      if (text_box) {
        if (GetFocus() != control) {
          arriving_by_mouse_ = true;
          SetFocus(control);
          arriving_by_mouse_ = false;
        }
        // The menu's items follow the selection: select first.
        controller_->ContextMenuOpening(index);
        ShowBoxMenu(control, POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
        return 0;
      }
      break;
    case WM_UNDO:
    case EM_UNDO:
      // With none of the box's own typing to undo, the last Convert.
      if (text_box && !SendMessageW(control, EM_CANUNDO, 0, 0)) {
        return controller_->StepConverts(true) ? TRUE : FALSE;
      }
      break;
    case WM_PASTE:
      if (text_box) {
        // A native single-line box would cut the text at its first line
        // break; each one becomes a space instead, as in every face.
        if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(hwnd_)) return 0;
        Text text;
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
          if (const auto* units = static_cast<const char16_t*>(GlobalLock(data))) {
            text = InsertedShownText(units);
            GlobalUnlock(data);
          }
        }
        CloseClipboard();
        SendMessageW(control, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Wide(text)));
        return 0;
      }
      break;
    case WM_CHAR:
      if (text_box && (wparam == '\r' || wparam == '\n')) return 0;  // Return does nothing
      // Ctrl+Z undoes, Ctrl+Y and Ctrl+Shift+Z redo a Convert.
      if (text_box && (wparam == 0x1A || wparam == 0x19)) {
        if (wparam == 0x1A && GetKeyState(VK_SHIFT) >= 0) {
          SendMessageW(control, WM_UNDO, 0, 0);
        } else {
          controller_->StepConverts(false);
        }
        return 0;
      }
      break;
    case WM_PAINT:
      if (text_box) {
        const LRESULT result = DefSubclassProc(control, message, wparam, lparam);
        DrawMarks(control, *form::At(index).field);
        return result;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(control, EditProc, static_cast<UINT_PTR>(index));
      break;
    default:
      break;
  }
  return DefSubclassProc(control, message, wparam, lparam);
}

}  // namespace zolm::win32
