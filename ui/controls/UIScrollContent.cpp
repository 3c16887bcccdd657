#include "ui/controls/UIScrollContent.h"

#include "ui/controls/UIScrollViewer.h"

namespace UI {

CUIScrollViewer* CUIScrollContent::GetScrollViewer() const { return dynamic_cast<CUIScrollViewer*>(m_pParent); }

void CUIScrollContent::ArrangeSelf(CRect* available, CRect*) {
  CUIScrollViewer* viewer = GetScrollViewer();
  if (!viewer || !available) return;
  const CRect a = *available;
  const CSize e = viewer->GetExtentSize();
  CPoint o = viewer->GetOffset();
  CRect r;
  switch (m_assData.m_anchor) {
    case AnchorTopRight: r.SetRect(a.right - e.cx, a.top, a.right, a.top + e.cy); break;
    case AnchorBottomLeft: r.SetRect(a.left, a.bottom - e.cy, a.left + e.cx, a.bottom); break;
    case AnchorBottomRight: r.SetRect(a.right - e.cx, a.bottom - e.cy, a.right, a.bottom); break;
    case AnchorCenter: {
      const int x = (a.left + a.right) / 2;
      const int y = (a.top + a.bottom) / 2;
      r.SetRect(x - e.cx / 2, y - e.cy / 2, x + e.cx / 2, y + e.cy / 2);
      // A content larger than the area starts at its left and top edges at offset 0.
      if (r.left < a.left) o.x -= a.left - r.left;
      if (r.top < a.top) o.y -= a.top - r.top;
      break;
    }
    default:
      // Top-left, and the codes that name no place inside a viewer.
      r.SetRect(a.left, a.top, a.left + e.cx, a.top + e.cy);
      if (r.right < a.right) r.right = a.right;
      break;
  }
  r.OffsetRect(-o.x, -o.y);
  SetBounds(r);
  ArrangeAllSubControls();
}

}  // namespace UI
