#include "ui/photo/UIList.h"

#include <algorithm>
#include <cmath>

#include "ui/UIForm.h"
#include "ui/controls/ControlEvents.h"
#include "ui/controls/UIScrollBar.h"
#include "ui/photo/ListConfig.h"
#include "ui/photo/ListItemData.h"
#include "ui/photo/UIListItem.h"
#include "ui/photo/UIPhotoEx.h"
#include "ui/render/DXCore.h"
#include "ui/UILock.h"

namespace UI {

namespace {

int FloorDiv(float a, float b) { return b <= 0 ? 0 : static_cast<int>(std::floor(a / b)); }
int CeilDiv(float a, float b) { return b <= 0 ? 0 : static_cast<int>(std::ceil(a / b)); }

}  // namespace

CUIList::CUIList()
    : m_pStyles(std::make_unique<CSubControlResManager>()),
      m_uiThread(CUIThreadPost::Callback(this, &CUIList::OnUIThreadWake)) {
  m_strTypeName = L"CUIList";
  SetClipToBounds(TRUE);
  SetTransContainer(FALSE);
  InitializeCriticalSection(&m_listLock);
  m_thumbs.SetCompletedCallback(ThumbManager::CompletedCallback(this, &CUIList::OnThumbGeneratedCompleted));
  ListenEvent(kClickEvent, fastdelegate::MakeDelegate(this, &CUIList::OnButtonClick));
}

CUIList::~CUIList() {
  m_thumbs.StopThread();
  EndMouseTracking();
  m_dragImage.Reset();
  for (CUIListItem* cell : m_droppedCells) cell->Release();
  m_droppedCells.clear();
  m_pScrollBar = nullptr;
  // Cells point at records: they go before the items control deletes the records.
  RemoveAllControlFromMap();
  DeleteCriticalSection(&m_listLock);
}

BOOL CUIList::OnBuildControlAfter() { return m_pScrollBar ? 1 : CreateScrollBar(); }

int CUIList::IsScollBarHor() {
  auto* config = dynamic_cast<_ListConfig*>(GetSkinConfig(L""));
  return config ? config->m_bScrollBarHor : 0;
}

int CUIList::CreateScrollBar() {
  if (!m_pOwnerForm || !m_pOwnerForm->m_hWnd) return 0;
  const CString name = IsScollBarHor() ? L"HScrollBar" : L"VScrollBar";
  auto* bar = new CUIScrollBar(name);
  bar->SetObjectID(L"ScrollBar");
  bar->SetAss(name);
  bar->ReadAssSkinData(L"");
  bar->SetVisible(FALSE);
  RegisterControl(0, bar);
  bar->SetOwnerForm(m_pOwnerForm);
  bar->SetIScrollInfo(this);
  m_pScrollBar = bar;
  return 1;
}

void CUIList::ArrangeAllSubControls() {
  if (m_pScrollBar) {
    CRect padded = GetBoundsSmall();
    m_pScrollBar->ArrangeSelf(&padded, nullptr);
    m_pScrollBar->ArrangeAllSubControls();
  }
  if (GetDataCount() > 0) MeasureItems();
}

void CUIList::RenderSelf(DXCore* core, const CRect*) {
  auto* config = dynamic_cast<_ListConfig*>(GetSkinConfig(L""));
  if (!config || !core) return;
  if (config->m_bkColor >> 24) core->FillRectangle(m_rcBounds, config->m_bkColor);
  if (!config->m_bkImage.m_strFile.IsEmpty()) config->m_bkImage.Render(core, m_rcBounds);
}

// --- grid arithmetic -------------------------------------------------------------------

int CUIList::CalculatePerRowOrColumn(CSize viewport) {
  const CSize S = GetItemSize();
  const CSize sb = m_pScrollBar ? m_pScrollBar->GetSize() : CSize(0, 0);
  const int k = IsScollBarHor() ? FloorDiv(static_cast<float>(viewport.cy - sb.cy), static_cast<float>(S.cy))
                                : FloorDiv(static_cast<float>(viewport.cx - sb.cx), static_cast<float>(S.cx));
  return std::max(k, 1);
}

int CUIList::CalculateTotalRowsOrColumns(int count, int perLine) {
  return std::max(1, CeilDiv(static_cast<float>(count), static_cast<float>(std::max(perLine, 1))));
}

int CUIList::CalculatePages() {
  const int pages = IsScollBarHor() ? CeilDiv(static_cast<float>(m_extent.cx), static_cast<float>(m_viewport.cx))
                                    : CeilDiv(static_cast<float>(m_extent.cy), static_cast<float>(m_viewport.cy));
  return std::max(pages, 1);
}

void CUIList::CalculatePadding(int k) {
  const CSize S = GetItemSize();
  const CSize sb = m_pScrollBar ? m_pScrollBar->GetSize() : CSize(0, 0);
  if (IsScollBarHor()) {
    m_nHorGap = 0;
    m_nVerGap = (m_viewport.cy - sb.cy - k * S.cy) / (k + 1);
  } else {
    m_nVerGap = 0;
    m_nHorGap = (m_viewport.cx - sb.cx - k * S.cx) / (k + 1);
  }
}

void CUIList::ArrangeChild(int i, CUIListItem* cell) {
  if (!cell) return;
  const CRect I = GetBoundsSmall();
  const CSize S = GetItemSize();
  const CSize sb = m_pScrollBar ? m_pScrollBar->GetSize() : CSize(0, 0);
  const int k = CalculatePerRowOrColumn(m_viewport);
  CalculatePadding(k);
  int x, y, row, column;
  bool gaps;
  if (IsScollBarHor()) {
    column = i / k;
    row = i % k;
    x = I.left + column * S.cx - m_offset.x;
    y = I.top + row * S.cy;
    gaps = I.bottom - I.top - sb.cy >= k * (m_nVerGap + S.cy);
  } else {
    row = i / k;
    column = i % k;
    x = I.left + column * S.cx;
    y = I.top + row * S.cy - m_offset.y;
    gaps = I.right - I.left - sb.cx >= k * (m_nHorGap + S.cx);
  }
  if (gaps) {
    x += (column + 1) * m_nHorGap;
    y += (row + 1) * m_nVerGap;
  }
  cell->SetBounds(CRect(x, y, x + S.cx, y + S.cy));
  cell->ArrangeAllSubControls();
}

void CUIList::CalculateExtentSize(CSize size) {
  const CSize S = GetItemSize();
  const int n = GetDataCount();
  const int k = CalculatePerRowOrColumn(size);
  const int lines = CalculateTotalRowsOrColumns(n, k);
  if (IsScollBarHor()) {
    m_extent = CSize(lines * S.cx, (n < k ? n : k) * S.cy);
  } else {
    m_extent = CSize((n < k ? n : k) * S.cx, lines * S.cy);
  }
}

void CUIList::CalculateViewportSize(CSize size) { m_viewport = size; }

void CUIList::UpdateScrollInfo(CSize size) {
  CalculateExtentSize(size);
  CalculateViewportSize(size);
  const bool hor = IsScollBarHor();
  const int E = hor ? m_extent.cx : m_extent.cy;
  const int V = hor ? m_viewport.cx : m_viewport.cy;
  LONG& O = hor ? m_offset.x : m_offset.y;
  if (E < V + O && V < E) O = E - V;
  if (E < V && O > 0) O = 0;
  if (!m_pScrollBar) return;
  const int pages = CalculatePages();
  if (pages >= 2) {
    m_pScrollBar->SetRange(0, E - V);
    m_pScrollBar->SetPageSize(m_viewport);
    m_pScrollBar->SetValue(O);
  }
  m_pScrollBar->SetVisible(pages >= 2);
}

void CUIList::GetVisibleRange(int& first, int& end) {
  const int n = GetDataCount();
  const CSize S = GetItemSize();
  const int k = CalculatePerRowOrColumn(m_viewport);
  const bool hor = IsScollBarHor();
  const float O = static_cast<float>(hor ? m_offset.x : m_offset.y);
  const float V = static_cast<float>(hor ? m_viewport.cx : m_viewport.cy);
  const float side = static_cast<float>(hor ? S.cx : S.cy);
  // A cell of no height shows every record at once.
  if (side <= 0) {
    first = 0;
    end = n;
    return;
  }
  const int firstLine = FloorDiv(O, side);
  const int lastLine = CeilDiv(O + V, side);
  const int half = CeilDiv(V, side) * k / 2;
  first = std::max(firstLine * k - half, 0);
  end = std::min(lastLine * k - 1 + half, n);
}

// --- cells -----------------------------------------------------------------------------------

int CUIList::GeneraterControl() {
  auto* config = dynamic_cast<_ListConfig*>(GetSkinConfig(L""));
  if (!config) return 0;
  {
    UILock lock(&m_listLock, FALSE);
    const CSize S = GetItemSize();
    for (int i = m_nFirst; i < m_nEnd; ++i) {
      auto* record = dynamic_cast<ListItemData*>(GetDataFromIndex(i));
      if (!record) continue;
      CUIListItem* cell;
      if (record->m_bNeedReCreate) {
        record->m_bNeedReCreate = 0;
        record->m_itemSize = S;
        cell = new CUIListItem;
        cell->SetParentList(this);
        cell->SetItemData(record);
        cell->SetCss(config->m_strItemCss);
        RegisterControl(cell);
        cell->SetOwnerForm(m_pOwnerForm);
        cell->CreateSubControl();
      } else {
        cell = dynamic_cast<CUIListItem*>(GetItemFromData(record));
      }
      if (cell && cell->GetBigPhoto()) cell->GetBigPhoto()->SetPhotoSelected(record->m_bSelected);
    }
  }
  CleanUpItems(m_nFirst, m_nEnd);
  return 1;
}

void CUIList::CleanUpItems(int first, int end) {
  for (int c = GetChildCount() - 1; c >= 1; --c) {
    const int index = GetDataIndexFromControlIndex(c);
    if (index < first || index > end) RemoveItem(c, FALSE);
  }
}

void CUIList::RemoveItemRange(int start, int count) {
  count = std::min(count, GetChildCount() - start);
  for (int i = 0; i < count; ++i) RemoveItem(start, FALSE);
}

void CUIList::ArrangeChildren() {
  if (GetChildCount() <= 1) return;
  for (int i = m_nFirst; i < m_nEnd; ++i) {
    if (auto* cell = dynamic_cast<CUIListItem*>(GetItemFromData(GetDataFromIndex(i)))) ArrangeChild(i, cell);
  }
}

void CUIList::MeasureItems() {
  if (m_rcBounds.IsRectEmpty()) return;
  UpdateScrollInfo(CSize(m_rcBounds.Width(), m_rcBounds.Height()));
  GetVisibleRange(m_nFirst, m_nEnd);
  GeneraterControl();
  ArrangeChildren();
  Refresh(FALSE, nullptr);
}

// --- scrolling -------------------------------------------------------------------------------

void CUIList::SetVerticalOffset(int y) {
  if (y < 0 || m_viewport.cy >= m_extent.cy) {
    y = 0;
  } else if (y + m_viewport.cy >= m_extent.cy) {
    y = m_extent.cy - m_viewport.cy;
  }
  if (y == m_offset.y) return;
  m_offset.y = y;
  MeasureItems();
}

void CUIList::SetHorizontalOffset(int x) {
  if (x < 0 || m_viewport.cx >= m_extent.cx) {
    x = 0;
  } else if (x + m_viewport.cx >= m_extent.cx) {
    x = m_extent.cx - m_viewport.cx;
  }
  if (x == m_offset.x) return;
  m_offset.x = x;
  MeasureItems();
}

void CUIList::LineUp() { SetVerticalOffset(m_offset.y - GetItemSize().cy); }
void CUIList::LineDown() { SetVerticalOffset(m_offset.y + GetItemSize().cy); }
void CUIList::LineLeft() { SetHorizontalOffset(m_offset.x - GetItemSize().cx); }
void CUIList::LineRight() { SetHorizontalOffset(m_offset.x + GetItemSize().cx); }
void CUIList::PageUp() { SetVerticalOffset(m_offset.y - m_viewport.cy / 2); }
void CUIList::PageDown() { SetVerticalOffset(m_offset.y + m_viewport.cy / 2); }
void CUIList::PageLeft() { SetHorizontalOffset(m_offset.x - m_viewport.cx / 2); }
void CUIList::PageRight() { SetHorizontalOffset(m_offset.x + m_viewport.cx / 2); }

void CUIList::ThumbTrack() {
  if (!m_pScrollBar) return;
  if (IsScollBarHor()) {
    SetHorizontalOffset(m_pScrollBar->GetValue());
  } else {
    SetVerticalOffset(m_pScrollBar->GetValue());
  }
}

void CUIList::MakeVisible(ListItemData* record) {
  const int idx = GetDataIndexFromData(record);
  if (idx < 0) return;
  const CSize S = GetItemSize();
  const int k = CalculatePerRowOrColumn(m_viewport);
  if (IsScollBarHor()) {
    const int left = (idx / k) * S.cx, right = left + S.cx;
    int x = m_offset.x;
    if (left <= x) x = left;
    if (right - x >= m_viewport.cx) x = right - m_viewport.cx;
    if (x != m_offset.x) SetHorizontalOffset(x);
  } else {
    const int top = (idx / k) * S.cy, bottom = top + S.cy;
    int y = m_offset.y;
    if (top <= y) y = top;
    if (bottom - y >= m_viewport.cy) y = bottom - m_viewport.cy;
    if (y != m_offset.y) SetVerticalOffset(y);
  }
}

void CUIList::MakeVisible(CUIListItem* cell) {
  if (cell) MakeVisible(cell->GetRecord());
}

CSize CUIList::CalculateRowAndCol(ListItemData* record) {
  const int idx = GetDataIndexFromData(record);
  if (idx < 0) return CSize(0, 0);
  const int k = CalculatePerRowOrColumn(m_viewport);
  return CSize(idx / k, idx % k);
}

// --- thumbnails ------------------------------------------------------------------------------

int CUIList::OnAddItemData(ItemBaseData* data) {
  auto* record = dynamic_cast<ListItemData*>(data);
  if (!record) return 0;
  record->m_pThumbNode->m_pOwner = record;
  record->m_pThumbNode->m_callback = ThumbCallback(this, &CUIList::OnThumbGenerated);
  m_thumbs.StartGenerateThumb(record->m_pThumbNode);
  return 1;
}

int CUIList::OnRemoveItemData(ItemBaseData* data) {
  auto* record = dynamic_cast<ListItemData*>(data);
  if (!record) return 0;
  const CString thumb = record->GetPhotoThumbPath();
  if (!thumb.IsEmpty()) DXCore::s_rscc.ReleaseImage(thumb);
  // Once withdrawn the worker reports nothing more for the record; a result it
  // already handed over is dropped too, so nothing reaches a deleted record.
  m_thumbs.StopGenerateThumb(record->m_pThumbNode);
  UILock lock(&m_listLock, FALSE);
  std::erase_if(m_thumbResults, [&](const ThumbResult& r) { return r.record == record; });
  return 1;
}

void CUIList::OnThumbGenerated(void* record, CString path, UINT width, UINT height) {
  if (!record) return;
  {
    UILock lock(&m_listLock, FALSE);
    m_thumbResults.push_back({static_cast<ListItemData*>(record), path,
                              CSize(static_cast<int>(width), static_cast<int>(height))});
  }
  m_uiThread.Wake();
}

void CUIList::OnThumbGeneratedCompleted() {
  {
    UILock lock(&m_listLock, FALSE);
    m_bThumbsDone = true;
  }
  m_uiThread.Wake();
}

void CUIList::OnUIThreadWake() {
  std::vector<ThumbResult> results;
  bool done;
  {
    UILock lock(&m_listLock, FALSE);
    results.swap(m_thumbResults);
    done = m_bThumbsDone;
    m_bThumbsDone = false;
  }
  for (const ThumbResult& r : results) ApplyThumb(r.record, r.path, r.size);
  if (done && IsEnabled()) DispatchEvent(this, kThumbsDoneEvent, this);
  std::vector<CUIListItem*> dropped;
  dropped.swap(m_droppedCells);
  for (CUIListItem* cell : dropped) cell->Release();
}

void CUIList::ApplyThumb(ListItemData* record, const CString& path, CSize size) {
  record->SetPhotoSize(size);
  if (auto* cell = dynamic_cast<CUIListItem*>(GetItemFromData(record))) cell->UpdateImage(path, record);
}

void CUIList::DropCell(CUIListItem* cell) {
  UnRegisterControl(cell);
  cell->Clear();
  cell->SetItemData(nullptr);
  m_droppedCells.push_back(cell);
  m_uiThread.Wake();
}

}  // namespace UI
