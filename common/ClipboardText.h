#pragma once
// Text on the clipboard.
#include "mfc/Afx.h"

namespace Common {

// Replaces the clipboard's content with the text (as Unicode text); an empty text
// leaves the clipboard alone.
void CopyTextToClipborder(const CString& text);
// The clipboard's text, read as ANSI text; empty when there is none.
CString GetTextFromClipborder();

}  // namespace Common
