#include "ui/controls/UIStackPanel.h"

#include "ui/controls/PanelConfig.h"

namespace UI {

CUIStackPanel::CUIStackPanel() {
  m_strTypeName = L"CUIStackPanel";
  m_bClipToBounds = TRUE;
}

void CUIStackPanel::ArrangeAllSubControls() {
  CRect c;
  if (!GetContentToArrange(c)) return;
  auto* config = dynamic_cast<_StackPanelConfig*>(GetSkinConfig(CString()));
  const bool vertical = config && config->m_nOrientation == OrientationVertical;
  const int midX = (c.left + c.right) / 2, midY = (c.top + c.bottom) / 2;
  int cursor = vertical ? c.top : c.left;
  for (size_t i = 0; i < m_children.size(); ++i) {
    CUIControl* child = m_children[i];
    if (!child) continue;
    const CSize size = child->GetSize();
    const int w = size.cx, h = size.cy;
    const CRect m = child->GetMargin();
    CRect r;
    // A zero size across the line spans the content, its far edge moved out by the far margin.
    if (vertical) {
      r.top = cursor + m.top;
      r.bottom = r.top + h;
      cursor = r.bottom + m.bottom;
      if (w != 0) {
        r.left = midX + m.left - w / 2;
        r.right = midX + m.left + w / 2;
      } else {
        r.left = c.left + m.left;
        r.right = c.right + m.right;
      }
    } else {
      r.left = cursor + m.left;
      r.right = r.left + w;
      cursor = r.right + m.right;
      if (h != 0) {
        r.top = midY + m.top - h / 2;
        r.bottom = midY + m.top + h / 2;
      } else {
        r.top = c.top + m.top;
        r.bottom = c.bottom + m.bottom;
      }
    }
    PlaceChild(child, r);
  }
}

}  // namespace UI
