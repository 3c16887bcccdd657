#include "ui/controls/UITabControl.h"

#include "ui/UIForm.h"
#include "ui/controls/UITabItem.h"
#include "ui/render/DXCore.h"

namespace UI {

// --- strip ---------------------------------------------------------------------------------

CUITabPanel::CUITabPanel() { m_strTypeName = L"CUITabPanel"; }

void CUITabPanel::ArrangeAllSubControls() {
  const CRect p = GetBoundsSmall();
  if (!m_pTabControl || m_children.empty() || p.IsRectEmpty()) return;
  const DOCK side = m_pTabControl->GetTabStripPlacement();
  const CRect margin = m_pTabControl->GetTabItemHeaderMargin();
  const int count = GetChildCount();
  int acc = side == DOCK_TOPRIGHT ? m_pTabControl->GetTabPanelOffset().right : 0;
  const bool reversed = side == DOCK_TOPRIGHT || side == DOCK_LEFTBOTTOM;
  for (int n = 0; n < count; ++n) {
    CUIControl* header = GetChild(reversed ? count - 1 - n : n);
    if (!header) continue;
    const int w = header->GetSize().cx;
    const int h = header->GetSize().cy;
    CRect r;
    switch (static_cast<int>(side)) {
      case DOCK_RIGHT: r.SetRect(p.right - w, p.top + acc, p.right, p.top + acc + h); acc += h; break;
      case DOCK_TOP: r.SetRect(p.left + acc, p.top, p.left + acc + w, p.top + h); acc += w; break;
      case DOCK_BOTTOM: r.SetRect(p.left + acc, p.bottom - h, p.left + acc + w, p.bottom); acc += w; break;
      case DOCK_TOPRIGHT:
        r.SetRect(p.right - acc - w + margin.left, p.top + margin.top, p.right - acc - margin.right,
                  p.top + h - margin.bottom);
        acc += w;
        break;
      case DOCK_LEFTBOTTOM: r = p; break;
      default: r.SetRect(p.left, p.top + acc, p.left + w, p.top + acc + h); acc += h; break;
    }
    header->SetBounds(r);
    header->ArrangeAllSubControls();
  }
}

void CUITabPanel::RenderAllSubControls(DXCore* core, const CRect* clip, const CRect* paint) {
  auto* selected = m_pTabControl ? dynamic_cast<CUITabItem*>(m_pTabControl->GetSelectedItem()) : nullptr;
  CUIControl* top = selected ? selected->GetHeader() : nullptr;
  for (int i = GetChildCount() - 1; i >= 0; --i) {
    CUIControl* header = GetChild(i);
    if (header && header != top && header->IsVisible()) header->Render(core, clip, paint);
  }
  if (top && top->GetParent() == this && top->IsVisible()) top->Render(core, clip, paint);
}

// --- tab control -----------------------------------------------------------------------------

CUITabControl::CUITabControl() { m_strTypeName = L"CUITabControl"; }

_TabControlConfig* CUITabControl::GetTabConfig() { return dynamic_cast<_TabControlConfig*>(GetSkinConfig(L"")); }

DOCK CUITabControl::GetTabStripPlacement() {
  _TabControlConfig* config = GetTabConfig();
  return config ? config->m_placement : DOCK_LEFT;
}

CRect CUITabControl::GetTabItemHeaderMargin() {
  _TabControlConfig* config = GetTabConfig();
  return config ? config->m_headerMargin : CRect();
}

CRect CUITabControl::GetTabPanelOffset() {
  _TabControlConfig* config = GetTabConfig();
  return config ? config->m_panelOffset : CRect();
}

CUIItemBase* CUITabControl::GetItemFromIndex(int childIndex) {
  if (childIndex < 1 || childIndex >= GetChildCount()) return nullptr;
  return dynamic_cast<CUITabItem*>(GetChild(childIndex));
}

void CUITabControl::DeleteAlltems() {
  m_pTabPanel = nullptr;
  CUIItemsControl::DeleteAlltems();
}

BOOL CUITabControl::OnBuildControlAfter() {
  for (int i = 0; i < GetChildCount(); ++i) {
    CUIControl* child = GetChild(i);
    if (child && child->GetObjectID().CompareNoCase(L"tabPanel") == 0) {
      m_pTabPanel = child;
      return 1;
    }
  }
  return CreateTabPanel();
}

int CUITabControl::CreateTabPanel() {
  auto* panel = new CUITabPanel;
  panel->SetObjectID(L"tabPanel");
  panel->SetVisible(FALSE);
  panel->SetParentTabControl(this);
  RegisterControl(0, panel);
  m_pTabPanel = panel;
  ArrangeTabPanel();
  OnCreateTabPanelAfter();
  return 1;
}

void CUITabControl::ArrangeTabPanel() {
  if (!m_pTabPanel || !GetTabConfig()) return;
  const CSize s = GetItemSize();
  switch (static_cast<int>(GetTabStripPlacement())) {
    case DOCK_TOP:
    case DOCK_TOPRIGHT:
      m_pTabPanel->SetAnchorStyle(DockTop);
      m_pTabPanel->SetSize(0, s.cy);
      break;
    case DOCK_RIGHT:
      m_pTabPanel->SetAnchorStyle(DockRight);
      m_pTabPanel->SetSize(s.cx, 0);
      break;
    case DOCK_BOTTOM:
      m_pTabPanel->SetAnchorStyle(DockBottom);
      m_pTabPanel->SetSize(0, s.cy);
      break;
    default:
      m_pTabPanel->SetAnchorStyle(DockLeft);
      m_pTabPanel->SetSize(s.cx, 0);
      break;
  }
}

void CUITabControl::OnCreateTabPanelAfter() {
  for (int i = 1; i < GetChildCount(); ++i) {
    auto* page = dynamic_cast<CUITabItem*>(GetItemFromIndex(i));
    if (!page) continue;
    page->SetParentTabControl(this);
    if (CUITabItemHeader* header = page->GetHeader()) {
      if (header->GetParent() == page) page->UnRegisterControl(header);
      m_pTabPanel->RegisterControl(header);
      page->HeaderPlaced();
      header->SetSize(GetItemSize());
    }
    if (auto* data = dynamic_cast<TabItemData*>(page->GetItemData())) {
      page->EntryTaken();
      AddTabItemData(data, i);
    }
  }
}

void CUITabControl::AddTabItemData(TabItemData* data, int) { AddItemData(data); }

void CUITabControl::Render(DXCore* core, const CRect* clip, const CRect* paint) {
  CUIItemsControl::Render(core, clip, paint);
  if (!m_pTabPanel || !IsVisible()) return;
  m_pTabPanel->SetVisible(TRUE);
  m_pTabPanel->Render(core, clip, paint);
}

void CUITabControl::RenderSelf(DXCore* core, const CRect*) {
  _TabControlConfig* config = GetTabConfig();
  if (!config || !core) return;
  if (config->m_bkColor >> 24) core->FillRectangle(m_rcBounds, config->m_bkColor);
  if (!config->m_bkImage.m_strFile.IsEmpty() && config->m_bkImage.m_rcSource.Width() > 0 &&
      config->m_bkImage.m_rcSource.Height() > 0) {
    config->m_bkImage.Render(core, m_rcBounds);
  }
}

int CUITabControl::TryToSelectItem(CUITabItem* page) {
  int allow = 1;
  if (m_beforeChange) m_beforeChange(page, allow);
  CUITabItemHeader* header = page ? page->GetHeader() : nullptr;
  if (!header) return allow;
  if (allow) {
    SetItemSelected(page, 1);
    SetKBFocused(TRUE);
    header->SetSelected(1);
  } else {
    header->SetSelected(0);
  }
  CUIControl* parent = header->GetParent();
  CUIControl* tab = parent ? parent->GetParent() : nullptr;
  (tab ? tab : header)->Refresh(FALSE, nullptr);
  return allow;
}

int CUITabControl::FindNextTabItem(int childIndex, int step) {
  if (step == 0) return childIndex;
  int i = childIndex + step;
  if (i >= GetChildCount()) {
    i = 1;
  } else if (i < 1) {
    i = GetChildCount() - 1;
  }
  return i;
}

BOOL CUITabControl::OnKeyMessage(UINT message, UINT code, UINT, UINT) {
  if (message != WM_KEYDOWN) return 0;
  const unsigned keys = MapKeyState();
  int start = -1;
  int step = 1;
  if ((keys & 0x08) && code == VK_TAB) {
    start = m_nSelectedIndex;
    step = (keys & 0x04) ? -1 : 1;
  } else if (!(keys & 0x08) && code == VK_HOME) {
    start = 0;
  } else if (!(keys & 0x08) && code == VK_END) {
    start = GetItemsCount();
    step = -1;
  }
  if (start != -1 && GetChildCount() > 1) {
    SetSelected(FindNextTabItem(start, step));
    Refresh(FALSE, nullptr);
  }
  return 0;
}

}  // namespace UI
