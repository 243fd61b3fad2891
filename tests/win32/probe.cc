// zolm-probe: reads the running Zolm Converter window from outside, as an
// accessibility client would, for the end-to-end test under Wine. Prints
// one line per fact, UTF-8:
//   probe state   focus NAME, then NAME START END TEXT for each text box,
//                 and report TEXT while an error report is shown
//   probe places  client X Y W H, then NAME X Y W H for each control, in
//                 screen pixels
// Exits 1 when no window is found.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "engine/form.h"
#include "engine/utf8.h"
#include "win32/form_window.h"

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

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);  // LF line ends
  const std::string what = argc > 1 ? argv[1] : "state";
  HWND form = FindWindowW(zolm::win32::kWindowClass, nullptr);
  if (form == nullptr) return 1;
  DWORD process = 0;
  const DWORD thread = GetWindowThreadProcessId(form, &process);
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
  Report report{process};
  EnumWindows(FindReport, reinterpret_cast<LPARAM>(&report));
  if (report.box != nullptr) {
    std::wstring text = TextOf(GetDlgItem(report.box, 0xFFFF));
    for (wchar_t& c : text) {
      if (c == L'\n' || c == L'\r') c = L'|';
    }
    std::printf("report %s\n", Utf8(text).c_str());
  }
  return 0;
}
