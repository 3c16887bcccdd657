#include "ui/controls/UITabItem.h"

#include "ui/controls/ControlEvents.h"
#include "ui/controls/TabControlConfig.h"
#include "ui/controls/UIPanel.h"
#include "ui/controls/UITabControl.h"

namespace UI {

// --- header -----------------------------------------------------------------------------

CUITabItemHeader::CUITabItemHeader() {
  ListenEvent(kClickEvent, fastdelegate::MakeDelegate(this, &CUITabItemHeader::OnButtonClick));
}

void CUITabItemHeader::SetHeaderStatus(UITabItemHeaderStatus status) {
  m_status = status;
  CUIControl* parent = GetParent();
  CUIControl* tab = parent && parent != this ? parent->GetParent() : nullptr;
  (tab ? tab : this)->Refresh(FALSE, nullptr);
}

void CUITabItemHeader::RenderSelf(DXCore* core, const CRect* clip) {
  auto* config = m_pTabItem ? dynamic_cast<_TabItemConfig*>(m_pTabItem->GetSkinConfig(L"")) : nullptr;
  if (!config || !core || m_rcBounds.IsRectEmpty()) return;
  _ImageConfig& look = m_status == UITabItemHeaderSelected ? config->m_headerSelected
                       : m_status == UITabItemHeaderHover  ? config->m_headerHover
                                                           : config->m_headerDefault;
  CRect bounds = m_rcBounds;
  if (!look.m_strFile.IsEmpty()) look.Render(core, bounds, const_cast<CRect*>(clip));
}

BOOL CUITabItemHeader::OnMouseMessage(UINT message, UINT flags, const CPoint& point) {
  if (!m_pTabItem) return 0;
  switch (message) {
    case WM_LBUTTONDOWN:
      if (IsEnabled()) m_pTabItem->OnLButtonDown(flags, point);
      return 1;
    case WM_LBUTTONUP:
      if (IsEnabled() && m_status == UITabItemHeaderNormal) SetHeaderStatus(UITabItemHeaderHover);
      return 1;
    case WM_RBUTTONDOWN:
      if (IsEnabled()) m_pTabItem->OnRButtonDown(flags, point);
      return 1;
    case WM_MOUSEHOVER:
      if (m_status == UITabItemHeaderNormal) {
        FireEvent(kMouseEnterEvent, this);
        SetHeaderStatus(UITabItemHeaderHover);
      }
      return 1;
    case WM_MOUSELEAVE:
      if (m_status == UITabItemHeaderHover) SetHeaderStatus(UITabItemHeaderNormal);
      return 1;
    default: return 0;
  }
}

int CUITabItemHeader::OnButtonClick(CUIControl*, void*) {
  if (m_status != UITabItemHeaderSelected && m_pTabItem && m_pTabItem->GetParentTabControl()) {
    m_pTabItem->GetParentTabControl()->TryToSelectItem(m_pTabItem);
  }
  return 1;
}

// --- page --------------------------------------------------------------------------------

CUITabItem::CUITabItem() {
  m_strTypeName = L"CUITabItem";
  m_pItemData = new TabItemData;
}

CUITabItem::~CUITabItem() {
  if (m_bOwnsHeader && m_pHeader) m_pHeader->Release();
  if (m_bOwnsData) delete m_pItemData;
}

BOOL CUITabItem::OnBuildControlAfter() {
  CreateHeader();
  CreateContent();
  return 1;
}

void CUITabItem::CreateHeader() {
  m_pHeader = dynamic_cast<CUITabItemHeader*>(FindControlRecusive(L"Header"));
  if (!m_pHeader) {
    m_pHeader = new CUITabItemHeader;
    m_pHeader->SetObjectID(L"Header");
    m_bOwnsHeader = TRUE;
  }
  m_pHeader->SetParentTabItem(this);
  ModifyHeader();
}

void CUITabItem::CreateContent() {
  m_pContent = FindControlRecusive(L"Content");
  if (!m_pContent) {
    m_pContent = new CUIPanel;
    m_pContent->SetObjectID(L"Content");
    RegisterControl(m_pContent);
  }
  m_pContent->SetAnchorStyle(DockFill);
  if (!GetSelected()) SetVisible(FALSE);
  ModifyContent();
}

void CUITabItem::SetSelected(int selected) {
  CUIItemBase::SetSelected(selected);
  if (m_pHeader) m_pHeader->SetSelected(selected);
  SetVisible(selected ? TRUE : FALSE);
}

void CUITabItem::OnLButtonDown(UINT, CPoint point) {
  if (m_pHeader && m_pTabControl && m_pHeader->GetBounds().PtInRect(point)) m_pTabControl->TryToSelectItem(this);
}

void CUITabItem::OnRButtonDown(UINT, CPoint point) {
  if (m_pHeader && m_pTabControl && m_pHeader->GetBounds().PtInRect(point)) m_pTabControl->TryToSelectItem(this);
}

BOOL CUITabItem::OnMouseMessage(UINT message, UINT flags, const CPoint& point) {
  switch (message) {
    case WM_MOUSEMOVE: return 1;
    case WM_LBUTTONDOWN: OnLButtonDown(flags, point); return 1;
    case WM_RBUTTONDOWN: OnRButtonDown(flags, point); return 1;
    default: return 0;
  }
}

void CUITabItem::RenderSelf(DXCore* core, const CRect*) {
  auto* config = dynamic_cast<_TabItemConfig*>(GetSkinConfig(L""));
  if (config && core && !config->m_bkImage.m_strFile.IsEmpty()) config->m_bkImage.Render(core, m_rcBounds);
}

}  // namespace UI
