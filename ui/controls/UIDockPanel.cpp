#include "ui/controls/UIDockPanel.h"

#include <algorithm>

#include "ui/controls/PanelConfig.h"

namespace UI {

CUIDockPanel::CUIDockPanel() {
  m_strTypeName = L"CUIDockPanel";
  m_bClipToBounds = TRUE;
}

DOCK CUIDockPanel::GetDock(CUIControl* child) {
  switch (child ? child->GetAnchorStyle() : AnchorNone) {
    case DockTop: return DOCK_TOP;
    case DockBottom: return DOCK_BOTTOM;
    case DockRight: return DOCK_RIGHT;
    default: return DOCK_LEFT;
  }
}

void CUIDockPanel::ArrangeAllSubControls() {
  CRect c;
  if (!GetContentToArrange(c)) return;
  auto* config = dynamic_cast<_DockPanelConfig*>(GetSkinConfig(CString()));
  const int n = GetChildCount();
  const int docked = config && config->m_bLastChildFill ? n - 1 : n;
  int aL = 0, aT = 0, aR = 0, aB = 0;
  for (int i = 0; i < n; ++i) {
    CUIControl* child = m_children[static_cast<size_t>(i)];
    if (!child) continue;
    CRect r;
    r.left = c.left + aL;
    r.top = c.top + aT;
    r.right = c.right - c.left - aR - aL < 0 ? r.left : c.right - aR;
    r.bottom = c.bottom - c.top - aB - aT < 0 ? r.top : c.bottom - aB;
    if (i < docked) {
      const CSize size = child->GetSize();
      const int w = size.cx, h = size.cy;
      switch (GetDock(child)) {
        case DOCK_LEFT:
          r.right = r.left + w;
          aL += w;
          break;
        case DOCK_TOP:
          r.bottom = r.top + h;
          aT += h;
          break;
        case DOCK_RIGHT:
          // Clamped at the window's origin, not at the content's edge.
          r.left = std::max(0, static_cast<int>(c.right) - aR - w);
          r.right = r.left + w;
          aR += w;
          break;
        case DOCK_BOTTOM:
          r.top = std::max(0, static_cast<int>(c.bottom) - aB - h);
          r.bottom = r.top + h;
          aB += h;
          break;
      }
    }
    PlaceChild(child, r);
  }
}

}  // namespace UI
