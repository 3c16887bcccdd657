#include "ui/controls/ControlText.h"

#include "ui/render/DXCore.h"

namespace UI {

void DrawControlText(DXCore* core, const CString& text, const CRect& rect, const LOGFONTW& font, int underline,
                     UINT format, DWORD colour) {
  if (!core || text.IsEmpty()) return;
  core->DrawTextW(text, text.GetLength(), rect.top, rect.left, rect.Width(), rect.Height(), font.lfHeight,
                  font.lfWeight, font.lfItalic, underline, font.lfFaceName, format, colour);
}

}  // namespace UI
