#include "ui/controls/UIListBox.h"

#include <cmath>

#include "ui/UIForm.h"
#include "ui/controls/ControlEvents.h"
#include "ui/controls/ControlText.h"
#include "ui/controls/ListBoxConfig.h"
#include "ui/controls/UIScrollBar.h"
#include "ui/render/DXCore.h"

namespace UI {

// --- entries and rows ------------------------------------------------------------------

void ListBoxItemData::Copy(ItemBaseData* source) {
  ItemBaseData::Copy(source);
  if (auto* text = dynamic_cast<ListBoxItemData*>(source); text && text != this) m_strText = text->m_strText;
}

ItemBaseData* ListBoxItemData::Clone() {
  auto* copy = new ListBoxItemData;
  copy->Copy(this);
  return copy;
}

CUIListBoxItem::CUIListBoxItem() { m_strTypeName = L"CUIListBoxItem"; }

BOOL CUIListBoxItem::OnMouseMessage(UINT message, UINT, const CPoint&) {
  if (message == WM_MOUSEHOVER) {
    if (m_pParentListBox) {
      m_pParentListBox->SetItemSelected(this, 1);
      m_pParentListBox->Refresh(FALSE, nullptr);
    }
    return 1;
  }
  if (message == WM_LBUTTONUP) {
    if (IsEnabled()) FireEvent(kClickEvent, this);
    return 1;
  }
  return 0;
}

void CUIListBoxItem::RenderSelf(DXCore* core, const CRect*) {
  auto* config = dynamic_cast<_ListBoxItemConfig*>(GetSkinConfig(L""));
  if (!config || !core) return;
  const LOGFONTW* font = &config->m_fontNormal;
  DWORD colour = config->m_colorNormal;
  if (GetSelected()) {
    if (!config->m_bkSelected.m_strFile.IsEmpty()) config->m_bkSelected.Render(core, m_rcBounds);
    font = &config->m_fontSelected;
    colour = config->m_colorSelected;
  } else {
    if (config->m_bkColorNormal >> 24) core->FillRectangle(m_rcBounds, config->m_bkColorNormal);
    if (!IsEnabled()) {
      font = &config->m_fontDisable;
      colour = config->m_colorDisable;
    }
  }
  auto* data = dynamic_cast<ListBoxItemData*>(m_pItemData);
  if (!data) return;
  CRect text = m_rcBounds;
  text.OffsetRect(config->m_textOffset.cx, config->m_textOffset.cy);
  DrawControlText(core, data->m_strText, text, *font, font->lfUnderline, 0, colour);
}

// --- the list ------------------------------------------------------------------------------

CUIListBox::CUIListBox() {
  m_strTypeName = L"CUIListBox";
  SetClipToBounds(TRUE);
  SetTransContainer(FALSE);
}

BOOL CUIListBox::OnBuildControlAfter() { return m_pScrollBar ? 1 : CreateScrollBar(); }

int CUIListBox::CreateScrollBar() {
  if (!m_pOwnerForm || !m_pOwnerForm->m_hWnd) return 0;
  auto* bar = new CUIScrollBar(L"VScrollBar");
  bar->SetObjectID(L"ScrollBar");
  bar->SetAss(L"VScrollBar");
  bar->ReadAssSkinData(L"");
  bar->SetVisible(FALSE);
  RegisterControl(0, bar);
  bar->SetOwnerForm(m_pOwnerForm);
  bar->SetIScrollInfo(this);
  m_pScrollBar = bar;
  return 1;
}

void CUIListBox::DeleteAlltems() {
  m_pScrollBar = nullptr;
  CUIItemsControl::DeleteAlltems();
}

CUIItemBase* CUIListBox::GetItemFromIndex(int childIndex) {
  if (childIndex < 1 || childIndex >= GetChildCount()) return nullptr;
  return dynamic_cast<CUIListBoxItem*>(GetChild(childIndex));
}

void CUIListBox::ArrangeAllSubControls() {
  if (m_pScrollBar) {
    CRect padded = GetBoundsSmall();
    CRect bounds = m_rcBounds;
    m_pScrollBar->ArrangeSelf(&padded, &bounds);
    m_pScrollBar->ArrangeAllSubControls();
  }
  if (GetDataCount() > 0) MeasureItems();
}

void CUIListBox::MeasureItems() {
  const CRect bounds = m_rcBounds;
  if (bounds.IsRectEmpty()) return;
  UpdateScrollInfo(CSize(bounds.Width(), bounds.Height()));
  GeneraterControl();
  ArrangeChildren();
  Refresh(FALSE, nullptr);
  if (m_nSelectedIndex != -1) SetSelected(m_nSelectedIndex);
}

int CUIListBox::GeneraterControl() {
  auto* config = dynamic_cast<_ListBoxConfig*>(GetSkinConfig(L""));
  if (!config) return 0;
  POSITION at = m_dataList.GetHeadPosition();
  while (at) {
    auto* entry = static_cast<ItemBaseData*>(m_dataList.GetNext(at));
    if (!entry->m_bNeedReCreate) continue;
    entry->m_bNeedReCreate = 0;
    entry->m_itemSize = GetItemSize();
    auto* row = new CUIListBoxItem;
    row->SetParentListBox(this);
    row->SetItemData(entry);
    row->SetCss(config->m_strItemCss);
    RegisterControl(row);
    row->CreateSubControl();
  }
  return 1;
}

void CUIListBox::ArrangeChildren() {
  if (GetChildCount() == 0 || !GetSkinConfig(L"")) return;
  const int h = GetItemSize().cy;
  const CRect padded = GetBoundsSmall();
  int placed = 0;
  for (int i = 1; i < GetChildCount(); ++i) {
    CUIItemBase* row = GetItemFromIndex(i);
    if (!row) continue;
    CRect r(padded.left, padded.top + placed - m_offset.y, padded.right, 0);
    r.bottom = r.top + h;
    if (m_pScrollBar && !m_pScrollBar->GetThumbRect().IsRectEmpty()) r.right -= m_pScrollBar->GetSize().cx;
    row->SetBounds(r);
    row->ArrangeAllSubControls();
    placed += h;
  }
}

// --- scrolling ---------------------------------------------------------------------------------

void CUIListBox::CalculateExtentSize(CSize) {
  const CSize item = GetItemSize();
  m_extent = CSize(item.cx, GetDataCount() * item.cy);
}

void CUIListBox::CalculateViewportSize(CSize size) {
  if (size != m_viewport) m_viewport = size;
}

int CUIListBox::CalculatePages() {
  if (m_viewport.cy <= 0) return 1;
  const float pages = static_cast<float>(static_cast<double>(m_extent.cy) / m_viewport.cy);
  return std::max(1, static_cast<int>(std::ceil(pages)));
}

void CUIListBox::UpdateScrollInfo(CSize viewport) {
  CalculateExtentSize(viewport);
  CalculateViewportSize(viewport);
  m_offset.y = std::clamp(static_cast<int>(m_offset.y), 0, std::max(0, m_extent.cy - m_viewport.cy));
  if (!m_pScrollBar) return;
  if (CalculatePages() >= 2) {
    m_pScrollBar->SetRange(0, m_extent.cy - m_viewport.cy);
    m_pScrollBar->SetPageSize(m_viewport);
    m_pScrollBar->SetValue(m_offset.y);
    m_pScrollBar->SetVisible(TRUE);
  } else {
    m_pScrollBar->SetVisible(FALSE);
  }
}

void CUIListBox::SetVerticalOffset(int y) {
  if (y < 0 || m_viewport.cy >= m_extent.cy) {
    y = 0;
  } else if (y + m_viewport.cy >= m_extent.cy) {
    y = m_extent.cy - m_viewport.cy;
  }
  if (y == m_offset.y) return;
  m_offset.y = y;
  MeasureItems();
}

void CUIListBox::LineUp() { SetVerticalOffset(m_offset.y - GetItemSize().cy); }
void CUIListBox::LineDown() { SetVerticalOffset(m_offset.y + GetItemSize().cy); }
void CUIListBox::PageUp() { SetVerticalOffset(m_offset.y - m_viewport.cy / 2); }
void CUIListBox::PageDown() { SetVerticalOffset(m_offset.y + m_viewport.cy / 2); }

void CUIListBox::ThumbTrack() {
  if (m_pScrollBar) SetVerticalOffset(m_pScrollBar->GetValue());
}

void CUIListBox::MakeVisible(int childIndex) {
  const int h = GetItemSize().cy;
  const int top = (childIndex - 1) * h;
  const int bottom = childIndex * h;
  int offset = m_offset.y;
  if (top <= offset) offset = top;
  if (bottom - offset >= m_viewport.cy) offset = bottom - m_viewport.cy;
  if (offset != m_offset.y) SetVerticalOffset(offset);
}

// --- input ------------------------------------------------------------------------------------

int CUIListBox::FindNextEnableItem(int childIndex, int step) {
  const int count = GetChildCount();
  if (count < 2 || step == 0) return -1;
  // One round over the rows at most: a list without an enabled row has no next row.
  int i = childIndex;
  for (int tried = 0; tried < count; ++tried) {
    i += step;
    if (i >= count) {
      i = 1;
    } else if (i <= 0) {
      i = count - 1;
    }
    CUIItemBase* row = GetItemFromIndex(i);
    if (row && row->IsEnabled()) return i;
  }
  return -1;
}

BOOL CUIListBox::OnKeyMessage(UINT message, UINT code, UINT, UINT) {
  if (message != WM_KEYDOWN || (code != VK_UP && code != VK_DOWN)) return 0;
  const int current = GetItemIndexFromItem(GetSelectedItem());
  const int next = FindNextEnableItem(current, code == VK_UP ? -1 : 1);
  if (next < 0) return 1;
  SetSelected(next);
  MakeVisible(next);
  Refresh(FALSE, nullptr);
  return 1;
}

BOOL CUIListBox::OnMouseWheel(UINT flags, CPoint) {
  if (static_cast<short>(HIWORD(flags)) < 0) {
    LineDown();
  } else {
    LineUp();
  }
  return 1;
}

BOOL CUIListBox::OnMouseMessage(UINT message, UINT flags, const CPoint& point) {
  if (message != WM_MOUSEWHEEL) return 0;
  return OnMouseWheel(flags, point);
}

void CUIListBox::SetSelected(const CString& text) {
  if (text.IsEmpty()) {
    m_nSelectedIndex = 1;
    SetSelected(1);
    return;
  }
  for (int i = 1; i < GetChildCount(); ++i) {
    CUIItemBase* row = GetItemFromIndex(i);
    auto* data = row ? dynamic_cast<ListBoxItemData*>(row->GetItemData()) : nullptr;
    if (data && data->m_strText.CompareNoCase(text) == 0) {
      m_nSelectedIndex = i;
      SetItemSelected(row, 1);
      return;
    }
  }
}

void CUIListBox::RenderSelf(DXCore* core, const CRect*) {
  auto* config = dynamic_cast<_ListBoxConfig*>(GetSkinConfig(L""));
  if (!config || !core) return;
  if (config->m_bkColor >> 24) core->FillRectangle(m_rcBounds, config->m_bkColor);
  if (!config->m_bkImage.m_strFile.IsEmpty()) config->m_bkImage.Render(core, m_rcBounds);
}

}  // namespace UI
