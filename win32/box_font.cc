#include "win32/box_font.h"

#include <algorithm>
#include <cwchar>

#include "engine/text_box_rules.h"

namespace zolm::win32 {

namespace {

void AddPictureFont() {
  static const bool added = [] {
    const HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(kPictureFontResource), RT_RCDATA);
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    DWORD fonts = 0;
    return data != nullptr &&
           AddFontMemResourceEx(data, SizeofResource(module, found), nullptr, &fonts) != nullptr;
  }();
  (void)added;
}

}  // namespace

HFONT BoxFont(HFONT message_font) {
  static constexpr wchar_t kPictures[] = {kNulPicture, kLineFeedPicture, kCarriageReturnPicture};
  WORD glyphs[3] = {};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, message_font);
  const DWORD got = GetGlyphIndicesW(dc, kPictures, 3, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  if (got == 3 && std::find(glyphs, glyphs + 3, WORD{0xFFFF}) == glyphs + 3) return nullptr;
  AddPictureFont();
  LOGFONTW font{};
  GetObjectW(message_font, sizeof font, &font);
  std::wcsncpy(font.lfFaceName, L"Zolm Sans", LF_FACESIZE - 1);
  return CreateFontIndirectW(&font);
}

}  // namespace zolm::win32
