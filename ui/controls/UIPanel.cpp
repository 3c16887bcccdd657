#include "ui/controls/UIPanel.h"

#include "ui/controls/PanelConfig.h"
#include "ui/render/DXCore.h"

namespace UI {

CUIPanel::CUIPanel() {
  m_strTypeName = L"CUIPanel";
  m_bHitTransparent = TRUE;
}

_PanelConfig* CUIPanel::GetPanelConfig() { return dynamic_cast<_PanelConfig*>(GetSkinConfig(CString())); }

bool CUIPanel::GetContentToArrange(CRect& content) {
  content = GetBoundsSmall();
  return !m_children.empty() && !content.IsRectEmpty() && GetSkinConfig(CString());
}

void CUIPanel::PlaceChild(CUIControl* child, const CRect& bounds) {
  child->SetBounds(bounds);
  child->ArrangeAllSubControls();
}

void CUIPanel::RenderSelf(DXCore* core, const CRect*) {
  _PanelConfig* config = GetPanelConfig();
  if (!config || !core) return;
  if (config->m_bkColor >> 24) core->FillRectangle(GetBounds(), config->m_bkColor);
  if (!config->m_bkImage.m_strFile.IsEmpty()) config->m_bkImage.Render(core, GetBounds());
}

}  // namespace UI
