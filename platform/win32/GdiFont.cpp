#include "win32/GdiFont.h"

#include "win32/Gdi.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "win32/WinError.h"

namespace win32 {

int GdiFont::Describe(int size, void* buffer) const {
  if (!buffer) return sizeof(LOGFONTW);
  int copied = std::min<int>(size, sizeof(LOGFONTW));
  std::memcpy(buffer, &m_description, copied);
  return copied;
}

LOGFONTW DefaultGuiLogFont() {
  LOGFONTW font{};
  font.lfHeight = -12;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  std::wcsncpy(font.lfFaceName, L"MS Shell Dlg", LF_FACESIZE - 1);
  return font;
}

}  // namespace win32

HFONT CreateFontIndirectW(const LOGFONTW* description) {
  if (!description) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  LOGFONTW copy = *description;
  copy.lfFaceName[LF_FACESIZE - 1] = L'\0';
  return static_cast<HFONT>(win32::AddGdiObject(std::make_unique<win32::GdiFont>(copy)));
}
