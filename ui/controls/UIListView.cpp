#include "ui/controls/UIListView.h"

#include <algorithm>
#include <iterator>

#include "ui/UIForm.h"
#include "ui/controls/ControlEvents.h"
#include "ui/controls/ListViewConfig.h"
#include "ui/controls/UIScrollViewer.h"
#include "ui/render/DXCore.h"

namespace UI {

CUIListView::CUIListView() { m_strTypeName = L"CUIListView"; }

CUIListView::~CUIListView() {
  // The child list holds deployed items only; they are released once, below.
  m_children.clear();
  std::list<CUIControl*> items;
  items.swap(m_items);
  for (CUIControl* item : items) item->Release();
}

_UIListViewConfig* CUIListView::GetListConfig() { return dynamic_cast<_UIListViewConfig*>(GetSkinConfig(L"")); }

void CUIListView::RearrangeInViewer() {
  if (CUIScrollViewer* viewer = GetScrollViewer()) viewer->ArrangeScrollContent();
}

void CUIListView::Changed(CUIControl* item, int change) {
  ListViewChange record{item, change};
  FireEvent(kChangedEvent, &record);
}

// --- the list --------------------------------------------------------------------------------

int CUIListView::AddItem(CUIControl* item, int rearrange) { return InsertItem(item, -1, rearrange); }

int CUIListView::InsertItem(CUIControl* item, int index, int rearrange) {
  if (!item || std::find(m_items.begin(), m_items.end(), item) != m_items.end()) return 0;
  if (index < 0 || index >= GetCount()) {
    m_items.push_back(item);
  } else {
    m_items.insert(std::next(m_items.begin(), index), item);
  }
  if (rearrange) RearrangeInViewer();
  Changed(item, 1);
  return 1;
}

CUIControl* CUIListView::RemoveItem(int index) {
  if (index < 0 || index >= GetCount()) return nullptr;
  auto at = std::next(m_items.begin(), index);
  CUIControl* item = *at;
  m_items.erase(at);
  // Out of the child list at once, and the form keeps no reference into it.
  if (item->GetParent() == this) Unlink(item);
  RearrangeInViewer();
  if (IsHovered() && m_pOwnerForm) m_pOwnerForm->SetMouseFocusControl(this);
  Changed(item, -1);
  return item;
}

int CUIListView::RemoveItem(CUIControl* item) {
  auto at = std::find(m_items.begin(), m_items.end(), item);
  if (at == m_items.end()) return 0;
  return RemoveItem(static_cast<int>(std::distance(m_items.begin(), at))) ? 1 : 0;
}

CUIControl* CUIListView::GetItem(int index) {
  if (index < 0 || index >= GetCount()) return nullptr;
  return *std::next(m_items.begin(), index);
}

void CUIListView::ClearAllItem() {
  ClearSubControls();
  if (m_items.empty()) return;
  const int count = GetCount();
  std::list<CUIControl*> items;
  items.swap(m_items);
  for (CUIControl* item : items) item->Release();
  RearrangeInViewer();
  Changed(nullptr, -count);
}

void CUIListView::ClearSubControls() { m_children.clear(); }

void CUIListView::DeployItem(CUIControl* item) {
  // An item that was deployed before is still the list view's: it goes back
  // without the form forgetting its hover or focus.
  if (item->GetParent() == this) {
    if (std::find(m_children.begin(), m_children.end(), item) == m_children.end()) m_children.push_back(item);
    return;
  }
  RegisterControl(item);
}

CSize CUIListView::GetItemSize() {
  _UIListViewConfig* config = GetListConfig();
  return config ? config->m_itemSize : CSize(0, 0);
}

CSize CUIListView::GetItemRealSize() {
  _UIListViewConfig* config = GetListConfig();
  if (!config) return CSize(0, 0);
  return CSize(config->m_itemSize.cx, config->m_itemSize.cy + config->m_nItemPadding);
}

void CUIListView::SetItemSize(CSize size) {
  _UIListViewConfig* config = GetListConfig();
  if (!config || config->m_itemSize == size) return;
  config->m_itemSize = size;
  RearrangeInViewer();
}

// --- layout ----------------------------------------------------------------------------------

void CUIListView::CalculateContentSize(CRect* available, CSize* size) {
  if (!size) return;
  _UIListViewConfig* config = GetListConfig();
  if (!available || available->IsRectEmpty() || !config) {
    *size = CSize(0, 0);
    return;
  }
  int count = 0;
  int widest = 0;
  for (CUIControl* item : m_items) {
    if (!item->IsVisible()) continue;
    ++count;
    widest = std::max(widest, static_cast<int>(item->GetSize().cx));
  }
  if (m_arrangeType == ArrangeSingleColumn) {
    m_arranger.VirtualArrangeItemsSingleColumn(*available, count, CSize(widest, config->m_itemSize.cy),
                                               config->m_nItemPadding);
  } else if (m_arrangeType == ArrangeMultiColumn) {
    m_arranger.VirtualArrangeItemsMultiColumn(*available, count, config->m_itemSize, config->m_nItemPadding);
  }
  *size = CSize(m_arranger.m_nContentWidth, m_arranger.m_nContentHeight);
}

void CUIListView::ArrangeAllSubControls() {
  const CRect p = GetBoundsSmall();
  CSize view(0, 0);
  if (CUIScrollViewer* viewer = GetScrollViewer()) {
    view = viewer->GetViewportSize();
    m_lastOffset = viewer->GetOffset();
  }
  CRect visible(p.left + m_lastOffset.x, p.top + m_lastOffset.y, 0, 0);
  visible.right = visible.left + view.cx;
  visible.bottom = visible.top + view.cy;
  std::list<CUIControl*> shown;
  std::copy_if(m_items.begin(), m_items.end(), std::back_inserter(shown),
               [](CUIControl* item) { return item->IsVisible(); });
  m_arranger.ViewDeployItems(this, visible, m_lastOffset, shown);
  Refresh(FALSE, nullptr);
}

void CUIListView::RenderSelf(DXCore* core, const CRect*) {
  _UIListViewConfig* config = GetListConfig();
  if (config && core) core->FillRectangle(m_rcBounds, config->m_colorBackground);
}

}  // namespace UI
