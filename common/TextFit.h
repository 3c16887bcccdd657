#pragma once
// Measuring texts and shortening paths for windows. The font is measured by the GDI's
// text-metrics provider, as DrawTextW measures it (the window's device context adds
// nothing here).
#include "mfc/Afx.h"

class CWnd;

namespace Common {

// Width and height in pixels of the whole text in the font described.
CSize GetTextSize(CWnd* window, CString& text, LOGFONTW& font);
// Shortens the path in place so that it fits the width in that font: a middle part
// becomes "..." ("/home/user/.../file.txt"), then the file name's end.
void PathCompactPathInCommon(CWnd* window, CString& path, LOGFONTW& font, int width);

}  // namespace Common
