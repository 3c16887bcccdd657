#include "ui/controls/UIWrapPanel.h"

#include <algorithm>
#include <utility>

#include "ui/controls/PanelConfig.h"

namespace UI {

CUIWrapPanel::CUIWrapPanel() {
  m_strTypeName = L"CUIWrapPanel";
  m_bClipToBounds = TRUE;
}

void CUIWrapPanel::ArrangeAllSubControls() {
  CRect c;
  if (!GetContentToArrange(c)) return;
  auto* config = dynamic_cast<_WrapPanelConfig*>(GetSkinConfig(CString()));
  if (!config) return;
  const bool vertical = config->m_nOrientation == OrientationVertical;
  const int available = vertical ? c.Height() : c.Width();
  const int itemU = vertical ? config->m_itemSize.cy : config->m_itemSize.cx;
  const int useItemSize = itemU != 0 ? 1 : 0;
  const int n = GetChildCount();
  int lineU = 0, lineV = 0, accumulatedV = 0, first = 0;
  for (int i = 0; i < n; ++i) {
    CUIControl* child = m_children[static_cast<size_t>(i)];
    if (!child) continue;
    const CSize size = child->GetSize();
    int u = config->m_itemSize.cx ? config->m_itemSize.cx : static_cast<int>(size.cx);
    int v = config->m_itemSize.cy ? config->m_itemSize.cy : static_cast<int>(size.cy);
    if (vertical) std::swap(u, v);
    if (lineU + u > available) {
      ArrangeControl(accumulatedV, lineV, first, i, useItemSize, itemU);
      accumulatedV += lineV;
      first = i;
      lineU = u;
      lineV = v;
    } else {
      lineU += u;
      lineV = std::max(lineV, v);
    }
  }
  ArrangeControl(accumulatedV, lineV, first, n, useItemSize, itemU);
}

void CUIWrapPanel::ArrangeControl(int offset, int lineSize, int first, int end, int useItemSize, int itemSize) {
  auto* config = dynamic_cast<_WrapPanelConfig*>(GetSkinConfig(CString()));
  if (!config) return;
  const bool vertical = config->m_nOrientation == OrientationVertical;
  const CRect c = GetBoundsSmall();
  int u = vertical ? c.top : c.left;
  const int v = offset + (vertical ? c.left : c.top);
  const int last = std::min(end, GetChildCount());
  for (int i = std::max(0, first); i < last; ++i) {
    CUIControl* child = m_children[static_cast<size_t>(i)];
    if (!child) continue;
    const CSize size = child->GetSize();
    const int slot = useItemSize ? itemSize : static_cast<int>(vertical ? size.cy : size.cx);
    PlaceChild(child, vertical ? CRect(v, u, v + lineSize, u + slot) : CRect(u, v, u + slot, v + lineSize));
    u += slot;
  }
}

}  // namespace UI
