// The font of the windows' text boxes, which must draw the control pictures
// (U+2400, U+240A, U+240D) the Ascii row shows for the codes 0, 10 and 13.
#ifndef ZOLM_WIN32_BOX_FONT_H_
#define ZOLM_WIN32_BOX_FONT_H_

#include <windows.h>

namespace zolm::win32 {

// The resource (RCDATA) holding Zolm Sans, a font with those pictures, in
// every program that calls BoxFont.
inline constexpr int kPictureFontResource = 100;

// The font the text boxes draw in, given the message font: null where the
// message font has the three pictures itself (the boxes use it); else a new
// font of Zolm Sans at the message font's size and weight, owned by the
// caller. A text box draws a character its font lacks as a box, whatever
// other fonts hold, so the pictures come from a font that has them all.
// Zolm Sans is made known to the calling process only, the first time.
HFONT BoxFont(HFONT message_font);

}  // namespace zolm::win32

#endif  // ZOLM_WIN32_BOX_FONT_H_
