#include "ui/controls/ControlText.h"

#include "ui/render/DXCore.h"

namespace UI {

void DrawControlText(DXCore* core, const CString& text, const CRect& rect, const LOGFONTW& font, int underline,
                     UINT format, DWORD colour) {
  if (!core || text.IsEmpty()) return;
  (void)rect, (void)font, (void)underline, (void)format, (void)colour;
}

}  // namespace UI
