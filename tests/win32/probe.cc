// zolm-probe: reads the running Zolm Converter window from outside, as an
// accessibility client would, for the end-to-end test under Wine. Prints
// one line per fact, UTF-8:
//   probe state   focus NAME, then NAME START END TEXT for each text box,
//                 codeline TEXT while the code line shows something,
//                 and report TEXT while an error report is shown
//                 default NAME for a button with the default-button look
//   probe places  client X Y W H, then NAME X Y W H for each control, in
//                 screen pixels
//   probe names   NAME ACCESSIBLE-NAME for each box and button, as
//                 AccessibleObjectFromWindow and get_accName give them
//   probe fits    NAME for each control whose text its font does not fit
//   probe message-font [PX] sets the system's message font to PX pixels, or
//                 prints its height in pixels
//   probe set NAME CHARACTER COUNT   fills a text box with COUNT copies of
//                 an ASCII character, as a paste of that text would
//   probe set NAME TEXT   gives a text box the ASCII text TEXT
//   probe click NAME   clicks a button without waiting for what it does
//   probe drawn NAME U+XXXX...   gives a text box each character in turn
//                 and prints a hash of the box's pixels as drawn with it
//   probe marked NAME   prints fill COUNT LEFT WIDTH and line COUNT: the
//                 box's pixels in the mark colours, the leftmost fill's x
//                 and the box's width
// Exits 1 when no window is found.
#include <fcntl.h>
#include <io.h>
#include <oleacc.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/code_links.h"
#include "engine/form.h"
#include "engine/utf8.h"
#include "win32/box_font.h"
#include "win32/form_window.h"
#include "win32/mark_colours.h"

namespace {

std::string Utf8(const std::wstring& text) {
  std::string out;
  zolm::utf8::Encode(zolm::TextView(reinterpret_cast<const char16_t*>(text.data()), text.size()),
                     out);
  return out;
}

std::wstring TextOf(HWND hwnd) {
  const auto length = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const auto got = SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(length + 1),
                                reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(got));
  return text;
}

std::string NameOf(HWND form, HWND control) {
  if (control == form) return "Form1";
  for (std::size_t i = 0; i < zolm::form::kControls.size(); ++i) {
    if (GetDlgItem(form, zolm::win32::ControlId(static_cast<int>(i))) == control) {
      return zolm::form::kControls[i].name;
    }
  }
  return control == nullptr ? "none" : "other";
}

struct Report {
  DWORD process;
  HWND box = nullptr;
};

BOOL CALLBACK FindReport(HWND hwnd, LPARAM data) {
  auto* report = reinterpret_cast<Report*>(data);
  wchar_t name[16];
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  if (process == report->process && IsWindowVisible(hwnd) && GetClassNameW(hwnd, name, 16) &&
      std::wstring(name) == L"#32770") {
    report->box = hwnd;
    return FALSE;
  }
  return TRUE;
}

// The pixels of `box` as the screen shows them, 0xRRGGBB, row by row.
std::vector<std::uint32_t> Grab(HWND box, int& width) {
  RECT client;
  GetClientRect(box, &client);
  width = client.right;
  POINT origin{0, 0};
  ClientToScreen(box, &origin);
  HDC dc = GetDC(nullptr);
  HDC copy = CreateCompatibleDC(dc);
  BITMAPINFO info{};
  info.bmiHeader = {
      sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(copy, bitmap);
  BitBlt(copy, 0, 0, client.right, client.bottom, dc, origin.x, origin.y, SRCCOPY);
  GdiFlush();
  const auto* pixel = static_cast<const std::uint32_t*>(bits);
  std::vector<std::uint32_t> pixels(pixel, pixel + std::size_t(client.right) * client.bottom);
  for (std::uint32_t& p : pixels) p &= 0xFFFFFF;
  SelectObject(copy, old);
  DeleteObject(bitmap);
  DeleteDC(copy);
  ReleaseDC(nullptr, dc);
  return pixels;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);  // LF line ends
  const std::string what = argc > 1 ? argv[1] : "state";
  if (what == "message-font") {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    if (argc < 3) {
      std::printf("%ld\n", -metrics.lfMessageFont.lfHeight);
      return 0;
    }
    metrics.lfMessageFont.lfHeight = -std::atoi(argv[2]);
    return SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof metrics, &metrics,
                                 SPIF_UPDATEINIFILE | SPIF_SENDCHANGE)
               ? 0
               : 1;
  }
  HWND form = FindWindowW(zolm::win32::kWindowClass, nullptr);
  if (form == nullptr) return 1;
  DWORD process = 0;
  const DWORD thread = GetWindowThreadProcessId(form, &process);
  const auto control_named = [form](const std::string& name) {
    return GetDlgItem(form, zolm::win32::ControlId(zolm::form::IndexOf(name)));
  };
  if (what == "set" && argc > 3) {
    const std::string ascii = argv[3];
    const std::wstring text = argc > 4 ? std::wstring(static_cast<std::size_t>(std::atoi(argv[4])),
                                                      static_cast<wchar_t>(argv[3][0]))
                                       : std::wstring(ascii.begin(), ascii.end());
    SendMessageW(control_named(argv[2]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return 0;
  }
  if (what == "click" && argc > 2) {
    PostMessageW(control_named(argv[2]), BM_CLICK, 0, 0);
    return 0;
  }
  if (what == "drawn" && argc > 3) {
    HWND box = control_named(argv[2]);
    for (int i = 3; i < argc; ++i) {
      const wchar_t text[2] = {static_cast<wchar_t>(std::strtoul(argv[i] + 2, nullptr, 16)), 0};
      SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
      RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      Sleep(300);  // the window paints in its own time
      // Read off the screen, where the window's process drew it.
      int width = 0;
      std::uint64_t hash = 14695981039346656037u;
      for (const std::uint32_t pixel : Grab(box, width)) hash = (hash ^ pixel) * 1099511628211u;
      std::printf("%s %016llx\n", argv[i], static_cast<unsigned long long>(hash));
    }
    return 0;
  }
  if (what == "marked" && argc > 2) {
    const zolm::MarkColours pair = zolm::win32::SystemMarkColours();
    int width = 0;
    const std::vector<std::uint32_t> pixels = Grab(control_named(argv[2]), width);
    int fill = 0;
    int line = 0;
    int left = width;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      line += pixels[i] == pair.line;
      if (pixels[i] != pair.back) continue;
      ++fill;
      left = std::min(left, static_cast<int>(i % static_cast<std::size_t>(width)));
    }
    std::printf("fill %d %d %d\nline %d\n", fill, left, width, line);
    return 0;
  }
  if (what == "names") {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (std::size_t i = 0; i < zolm::form::kControls.size(); ++i) {
      if (zolm::form::kControls[i].kind == zolm::form::Kind::kLabel) continue;
      HWND control = GetDlgItem(form, zolm::win32::ControlId(static_cast<int>(i)));
      IAccessible* accessible = nullptr;
      std::wstring name = L"(none)";
      const HRESULT hr =
          AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                     __uuidof(IAccessible), reinterpret_cast<void**>(&accessible));
      if (SUCCEEDED(hr)) {
        VARIANT self;
        VariantInit(&self);
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR got = nullptr;
        if (SUCCEEDED(accessible->get_accName(self, &got)) && got != nullptr) {
          name = got;
          SysFreeString(got);
        }
        accessible->Release();
      }
      std::printf("%s %s\n", zolm::form::kControls[i].name, Utf8(name).c_str());
    }
    CoUninitialize();
    return 0;
  }
  if (what == "fits") {
    // The system's message font, which the window uses (a font handle is
    // the window's own process's).
    NONCLIENTMETRICSW system{};
    system.cbSize = sizeof system;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof system, &system, 0);
    HFONT font = CreateFontIndirectW(&system.lfMessageFont);
    HFONT box_font = zolm::win32::BoxFont(font);
    for (std::size_t i = 0; i < zolm::form::kControls.size(); ++i) {
      const zolm::form::Control& c = zolm::form::kControls[i];
      HWND control = GetDlgItem(form, zolm::win32::ControlId(static_cast<int>(i)));
      HDC dc = GetDC(control);
      const bool box = c.kind == zolm::form::Kind::kTextBox && box_font != nullptr;
      HGDIOBJ old = SelectObject(dc, box ? box_font : font);
      TEXTMETRICW metrics{};
      GetTextMetricsW(dc, &metrics);
      const std::wstring text = TextOf(control);
      SIZE extent{};
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
      SelectObject(dc, old);
      ReleaseDC(control, dc);
      RECT client;
      GetClientRect(control, &client);
      // A box's line and its text within its margins and beside the caret,
      // a caption's text, a button's caption within its edge.
      int edge = c.kind == zolm::form::Kind::kButton ? 2 * GetSystemMetrics(SM_CXEDGE) : 0;
      if (c.kind == zolm::form::Kind::kTextBox) {
        const auto margins = static_cast<DWORD>(SendMessageW(control, EM_GETMARGINS, 0, 0));
        edge = LOWORD(margins) + HIWORD(margins) + 1;
      }
      const bool fits = metrics.tmHeight <= client.bottom && extent.cx + edge <= client.right;
      if (!fits) {
        std::printf("%s %ld x %ld for %ld x %ld\n", c.name, client.right, client.bottom,
                    extent.cx + edge, metrics.tmHeight);
      }
    }
    DeleteObject(font);
    if (box_font != nullptr) DeleteObject(box_font);
    return 0;
  }
  if (what == "places") {
    RECT client;
    GetClientRect(form, &client);
    POINT origin{0, 0};
    ClientToScreen(form, &origin);
    std::printf("client %ld %ld %ld %ld\n", origin.x, origin.y, client.right, client.bottom);
    for (std::size_t i = 0; i < zolm::form::kControls.size(); ++i) {
      RECT r;
      GetWindowRect(GetDlgItem(form, zolm::win32::ControlId(static_cast<int>(i))), &r);
      std::printf("%s %ld %ld %ld %ld\n", zolm::form::kControls[i].name, r.left, r.top,
                  r.right - r.left, r.bottom - r.top);
    }
    return 0;
  }
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(thread, &info);
  std::printf("focus %s\n", NameOf(form, info.hwndFocus).c_str());
  for (std::size_t i = 0; i < zolm::form::kControls.size(); ++i) {
    if (zolm::form::kControls[i].kind != zolm::form::Kind::kTextBox) continue;
    HWND edit = GetDlgItem(form, zolm::win32::ControlId(static_cast<int>(i)));
    const auto selection = static_cast<DWORD>(SendMessageW(edit, EM_GETSEL, 0, 0));
    std::printf("%s %u %u %s\n", zolm::form::kControls[i].name, LOWORD(selection),
                HIWORD(selection), Utf8(TextOf(edit)).c_str());
  }
  if (const std::wstring line = TextOf(control_named("CodeLine")); !line.empty()) {
    std::printf("codeline %s\n", Utf8(line).c_str());
  }
  for (std::size_t i = 0; i < zolm::form::kControls.size(); ++i) {
    if (zolm::form::kControls[i].kind != zolm::form::Kind::kButton) continue;
    HWND button = GetDlgItem(form, zolm::win32::ControlId(static_cast<int>(i)));
    if ((GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
      std::printf("default %s\n", zolm::form::kControls[i].name);
    }
  }
  Report report{process};
  EnumWindows(FindReport, reinterpret_cast<LPARAM>(&report));
  if (report.box != nullptr) {
    std::wstring text = TextOf(GetDlgItem(report.box, 0xFFFF));
    for (wchar_t& c : text) {
      if (c == L'\n' || c == L'\r') c = L'|';
    }
    std::printf("report %s\n", Utf8(text).c_str());
    // How far the report's centre lies from the form's.
    RECT box;
    RECT owner;
    GetWindowRect(report.box, &box);
    GetWindowRect(form, &owner);
    std::printf("report-offset %ld %ld\n", (box.left + box.right - owner.left - owner.right) / 2,
                (box.top + box.bottom - owner.top - owner.bottom) / 2);
  }
  return 0;
}
