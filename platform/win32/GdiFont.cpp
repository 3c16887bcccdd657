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

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCWSTR face) {
  LOGFONTW description{height,
                       width,
                       escapement,
                       orientation,
                       weight,
                       static_cast<BYTE>(italic),
                       static_cast<BYTE>(underline),
                       static_cast<BYTE>(strikeOut),
                       static_cast<BYTE>(charSet),
                       static_cast<BYTE>(outPrecision),
                       static_cast<BYTE>(clipPrecision),
                       static_cast<BYTE>(quality),
                       static_cast<BYTE>(pitchAndFamily),
                       {}};
  if (face) std::wcsncpy(description.lfFaceName, face, LF_FACESIZE - 1);
  return CreateFontIndirectW(&description);
}
