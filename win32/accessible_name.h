// Screen-reader names for the window's controls. A control's WM_GETOBJECT
// for its client object is answered with the system's own accessible object
// for it, named from the form table: a screen reader hears "Hex codes" or
// "Convert hex codes", not nothing or four times "Convert". Windows' Dynamic
// Annotation would do the same, but Wine does not implement it.
#ifndef ZOLM_WIN32_ACCESSIBLE_NAME_H_
#define ZOLM_WIN32_ACCESSIBLE_NAME_H_

#include <windows.h>

namespace zolm::win32 {

// The answer to WM_GETOBJECT (`wparam`, `lparam`) for `control`, whose
// accessible name is `name` (Latin-1); 0 when the request is not for its
// client object or the system gives none, and the control's own answer is
// to be used.
LRESULT NamedClientObject(HWND control, WPARAM wparam, LPARAM lparam, const char* name);

}  // namespace zolm::win32

#endif  // ZOLM_WIN32_ACCESSIBLE_NAME_H_
