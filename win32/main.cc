// Zolm Converter for Windows: opens the window and runs until it is closed.
// clang-format off
#include <windows.h>
#include <commctrl.h>  // needs windows.h first
// clang-format on

#include "win32/form_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  // The controls' accessible objects are COM objects.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const auto window = zolm::win32::FormWindow::Create(instance, show);
  const int status = window != nullptr ? window->Run() : 1;
  if (SUCCEEDED(com)) CoUninitialize();
  return status;
}
