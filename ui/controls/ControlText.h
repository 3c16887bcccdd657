#pragma once
// The text of a control drawn through the render context in a style font.
#include "mfc/Afx.h"

namespace UI {

class DXCore;

// Draws `text` into `rect` with the font's height, weight, italic flag and
// face, the given underline, DT_* format and ARGB colour. Nothing for empty
// text or without a render context.
void DrawControlText(DXCore* core, const CString& text, const CRect& rect, const LOGFONTW& font, int underline,
                     UINT format, DWORD colour);

}  // namespace UI
