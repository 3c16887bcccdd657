#include "common/ClipboardText.h"

#include <cstring>

namespace Common {

void CopyTextToClipborder(const CString& text) {
  if (text.IsEmpty() || !OpenClipboard(nullptr)) return;
  EmptyClipboard();
  SIZE_T bytes = sizeof(wchar_t) * (text.GetLength() + 1);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  if (block) {
    std::memcpy(GlobalLock(block), text.GetString(), bytes);
    GlobalUnlock(block);
    if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
  }
  CloseClipboard();
}

CString GetTextFromClipborder() {
  CString text;
  if (!OpenClipboard(nullptr)) return text;
  HANDLE block = GetClipboardData(CF_TEXT);
  if (block) {
    const char* ansi = static_cast<const char*>(GlobalLock(block));
    if (ansi) {
      SIZE_T size = GlobalSize(block);
      text = CString(AnsiToWide(std::string(ansi, strnlen(ansi, size))).c_str());
      GlobalUnlock(block);
    }
  }
  CloseClipboard();
  return text;
}

}  // namespace Common
