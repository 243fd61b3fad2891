// The colours the windows' text boxes mark linked codes in, from the system's
// window and text colours.
#ifndef ZOLM_WIN32_MARK_COLOURS_H_
#define ZOLM_WIN32_MARK_COLOURS_H_

#include <windows.h>

#include "engine/code_links.h"

namespace zolm::win32 {

inline Colour FromColorref(COLORREF c) {
  return (Colour{GetRValue(c)} << 16) | (Colour{GetGValue(c)} << 8) | GetBValue(c);
}

inline COLORREF ToColorref(Colour c) {
  return RGB(c >> 16, (c >> 8) & 0xFF, c & 0xFF);
}

// MarkColoursFor the system's COLOR_WINDOW and COLOR_WINDOWTEXT, as the boxes
// are drawn.
inline MarkColours SystemMarkColours() {
  return MarkColoursFor(FromColorref(GetSysColor(COLOR_WINDOW)),
                        FromColorref(GetSysColor(COLOR_WINDOWTEXT)));
}

}  // namespace zolm::win32

#endif  // ZOLM_WIN32_MARK_COLOURS_H_
