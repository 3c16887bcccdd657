// The photo list's mouse outside the cells' photo areas: the rubber band, drag
// and drop of a photo, the wheel, and what it draws over its cells.
#include <algorithm>

#include "ui/UIForm.h"
#include "ui/controls/KeyboardRepeat.h"
#include "ui/controls/UIScrollBar.h"
#include "ui/photo/ListConfig.h"
#include "ui/photo/ListItemData.h"
#include "ui/photo/UIList.h"
#include "ui/photo/UIListItem.h"
#include "ui/render/DXCore.h"
#include "win32/Cursor.h"

namespace UI {

namespace {

constexpr DWORD kBandFill = 0x46069FE8;
constexpr DWORD kDragTint = 0xC8FFFFFF;
constexpr DWORD kDragShade = 0x8C1A3350;

}  // namespace

int CUIList::GetDelay() { return KeyboardRepeatDelay(); }
int CUIList::GetInterval() { return KeyboardRepeatInterval(); }

void CUIList::StartTimer(int id, int interval) {
  if (!m_pOwnerForm) return;
  const auto handler = id == static_cast<int>(kBandTimerId) ? TimerHandler(this, &CUIList::OnMultiSelectedTimer)
                                                             : TimerHandler(this, &CUIList::OnDragTimer);
  m_pOwnerForm->RegisterTimerHandler(static_cast<UINT>(id), static_cast<UINT>(interval), handler);
}

void CUIList::StopTimer(int id) {
  if (m_pOwnerForm) m_pOwnerForm->UnRegisterTimerHandler(static_cast<UINT>(id));
}

BOOL CUIList::OnMouseMessage(UINT message, UINT flags, const CPoint& point) {
  switch (message) {
    case WM_MOUSEMOVE:
      OnMouseMove(flags, point);
      return 1;
    case WM_LBUTTONDOWN:
      SetKBFocused(TRUE);
      OnLButtonDown(flags, point);
      return 1;
    case WM_LBUTTONUP:
      OnLButtonUp(flags, point);
      return 1;
    case WM_RBUTTONUP:
      OnRButtonUp(flags, point);
      return 1;
    case WM_MOUSEWHEEL:
      OnMouseWheel(flags, point);
      return 1;
    case WM_CAPTURECHANGED:
      // Losing the pointer ends a band or drag: the cursor must not stay confined.
      m_bMouseCaptured = FALSE;
      if (m_nMouseState != 0) {
        EndMouseTracking();
        ResetDrag();
        Refresh(FALSE, nullptr);
      }
      return 0;
    default:
      return 0;
  }
}

void CUIList::OnMouseMove(UINT flags, CPoint p) {
  if (m_nMouseState == 1) OnDragOver(p);
  if (m_nSelectionMode != 0 && m_nMouseState == 2 && (flags & MK_LBUTTON)) StartMultiSelect(p);
}

void CUIList::OnLButtonDown(UINT, CPoint p) {
  if (GetDataCount() == 0) return;
  if (!GetItemUnderPoint(p)) {
    if (m_pOwnerForm && m_pOwnerForm->m_hWnd) {
      RECT client{};
      ::GetClientRect(m_pOwnerForm->m_hWnd, &client);
      POINT tl{client.left, client.top}, br{client.right, client.bottom};
      ::ClientToScreen(m_pOwnerForm->m_hWnd, &tl);
      ::ClientToScreen(m_pOwnerForm->m_hWnd, &br);
      const RECT screen{tl.x, tl.y, br.x, br.y};
      ::ClipCursor(&screen);
      m_bCursorClipped = true;
    }
    UnSelectAll();
    m_bandStart = CPoint(p.x, p.y + m_offset.y);
    m_bandEnd = CPoint(p.x + 1, p.y + m_offset.y + 1);
    m_nMouseState = 2;
  }
  SetMouseCapture();
  Refresh(FALSE, nullptr);
}

void CUIList::StartMultiSelect(const CPoint& p) {
  if (GetChildCount() <= 1) return;
  if (std::abs(p.x - m_bandStart.x) < 1 || std::abs(p.y - m_bandStart.y) < 1) return;
  m_bandEnd = CPoint(p.x, p.y + m_offset.y);
  if (p.y >= m_rcBounds.bottom || p.y <= m_rcBounds.top) {
    StartTimer(kBandTimerId, GetDelay());
    m_nAutoScroll = 1;
    return;
  }
  const CRect r = GetMultiSelect(false);
  for (int c = 1; c < GetChildCount(); ++c) {
    if (auto* cell = dynamic_cast<CUIListItem*>(GetChild(c))) cell->SetSelected(cell->IntersectsWith(r));
  }
  Refresh(FALSE, nullptr);
}

CRect CUIList::GetMultiSelect(bool clamp) {
  CRect r(std::min(m_bandStart.x, m_bandEnd.x), std::min(m_bandStart.y, m_bandEnd.y),
          std::max(m_bandStart.x, m_bandEnd.x), std::max(m_bandStart.y, m_bandEnd.y));
  r.OffsetRect(0, -m_offset.y);
  if (r.IsRectEmpty() || !clamp) return r;
  const CRect I = GetBoundsSmall();
  const int endY = m_bandEnd.y - m_offset.y;
  if (endY < I.top + 1) {
    r.top = I.top + 1;
  } else if (endY > I.bottom - 1) {
    r.bottom = I.bottom - 1;
  }
  const int sb = m_pScrollBar ? m_pScrollBar->GetSize().cx : 0;
  r.left = std::max(r.left, I.left + 7);
  r.right = std::min(r.right, I.right - sb);
  return r;
}

int CUIList::IntersectsWithExtent(CRect r) {
  const CRect grid(m_rcBounds.left, m_rcBounds.top - m_offset.y, m_rcBounds.left + m_extent.cx,
                   m_rcBounds.top - m_offset.y + m_extent.cy);
  if (grid.IsRectEmpty()) return 0;
  return r.left <= grid.right && grid.left <= r.right && r.top <= grid.bottom && grid.top <= r.bottom ? 1 : 0;
}

// The cursor in client coordinates and whether the timer should go on stepping.
static bool TimerStep(CUIList* list, CUIForm* form, UINT id, int& state, CPoint& c, int interval,
                      void (CUIList::*start)(int, int), void (CUIList::*stop)(int)) {
  if (!form || !form->m_hWnd) return false;
  const DWORD pos = ::GetMessagePos();
  POINT pt{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
  ::ScreenToClient(form->m_hWnd, &pt);
  c = CPoint(pt.x, pt.y);
  if (list->GetBounds().PtInRect(c)) {
    (list->*stop)(static_cast<int>(id));
    state = 0;
    return false;
  }
  if (state == 1) {
    (list->*stop)(static_cast<int>(id));
    (list->*start)(static_cast<int>(id), interval);
    state = 2;
  }
  return state != 0;
}

void CUIList::OnMultiSelectedTimer(UINT id) {
  CPoint c;
  if (!TimerStep(this, m_pOwnerForm, id, m_nAutoScroll, c, GetInterval(), &CUIList::StartTimer, &CUIList::StopTimer)) {
    return;
  }
  const int before = m_offset.y;
  if (c.y >= m_rcBounds.bottom) {
    PageDown();
  } else if (c.y <= m_rcBounds.top) {
    PageUp();
  }
  m_bandEnd.y += m_offset.y - before;
  const CRect r = GetMultiSelect(false);
  for (int k = 1; k < GetChildCount(); ++k) {
    auto* cell = dynamic_cast<CUIListItem*>(GetChild(k));
    if (cell && cell->IntersectsWith(r)) cell->SetSelected(TRUE);
  }
  Refresh(FALSE, nullptr);
}

void CUIList::OnDragTimer(UINT id) {
  CPoint c;
  if (!TimerStep(this, m_pOwnerForm, id, m_nAutoScroll, c, GetInterval(), &CUIList::StartTimer, &CUIList::StopTimer)) {
    return;
  }
  if (IsScollBarHor()) {
    if (c.x >= m_rcBounds.right) {
      PageRight();
    } else if (c.x <= m_rcBounds.left) {
      PageLeft();
    }
  } else if (c.y >= m_rcBounds.bottom) {
    PageDown();
  } else if (c.y <= m_rcBounds.top) {
    PageUp();
  }
}

void CUIList::EndMouseTracking() {
  if (m_bCursorClipped) ::ClipCursor(nullptr);
  m_bCursorClipped = false;
  StopTimer(kBandTimerId);
  StopTimer(kDragTimerId);
  m_nAutoScroll = 0;
}

void CUIList::ResetDrag() {
  m_dragImage.Reset();
  m_rcDrag.SetRectEmpty();
  m_rcDropInsert.SetRectEmpty();
  m_pDragItemData = nullptr;
  m_nMouseState = 0;
}

void CUIList::OnDrag(ListItemData* record) {
  if (!m_bSupportDrag || !record) return;
  m_pDragItemData = record;
  m_dragImage.m_color = kDragTint;
  const CString thumb = record->GetPhotoThumbPath();
  if (!thumb.IsEmpty()) m_dragImage.m_strFile = thumb;
  m_nMouseState = 1;
  SetMouseCapture();
}

void CUIList::OnDragOver(const CPoint& p) {
  if (std::abs(p.x - m_bandStart.x) < 1 || std::abs(p.y - m_bandStart.y) < 1) return;
  const bool outside = IsScollBarHor() ? (p.x >= m_rcBounds.right || p.x <= m_rcBounds.left)
                                       : (p.y >= m_rcBounds.bottom || p.y <= m_rcBounds.top);
  if (outside) {
    StartTimer(kDragTimerId, GetDelay());
    m_nAutoScroll = 1;
  }
  const CSize S = GetItemSize();
  m_rcDrag.SetRect(p.x - S.cx / 2, p.y - S.cy / 2, p.x + S.cx / 2, p.y + S.cy / 2);
  OnSetDragInsertRect(p);
  Refresh(FALSE, nullptr);
}

void CUIList::OnLButtonUp(UINT, CPoint p) {
  if (GetDataCount() == 0) return;
  if (m_nMouseState == 2) {
    EndMouseTracking();
    OnSelectedChanged();
    m_bandStart = m_bandEnd = CPoint(0, 0);
  } else if (m_nMouseState == 1) {
    StopTimer(kDragTimerId);
    m_nAutoScroll = 0;
    CUIListItem* target = GetItemUnderPoint(p);
    ListItemData* dragged = m_pDragItemData;
    ListItemData* onto = target ? target->GetRecord() : nullptr;
    if (dragged && onto && onto->GetCanDrag() && onto != dragged) {
      if (auto* cell = dynamic_cast<CUIListItem*>(GetItemFromData(dragged))) {
        RemoveFormFocus(TRUE);
        RemoveFormKeyFocus(cell);
        if (m_pSelectedItem == cell) {
          m_pSelectedItem = nullptr;
          m_nSelectedIndex = -1;
        }
        DropCell(cell);
      }
      RemoveItemData(dragged);
      dragged->m_bNeedReCreate = 1;
      const int idx = GetDataIndexFromData(onto);
      InsertItemData(dragged, idx);
      MeasureItems();
      OnDrop(dragged, idx);
    }
  }
  ResetDrag();
  Refresh(FALSE, nullptr);
  ReleaseMouseCapture();
  SetKBFocused(TRUE);
}

BOOL CUIList::OnActivate(UINT state, BOOL) {
  if (state == WA_INACTIVE) {
    // Deactivation ends a band or drag for good: the cursor is freed and the timers stop.
    EndMouseTracking();
    ResetDrag();
    ReleaseMouseCapture();
  }
  return 0;
}

void CUIList::OnMouseWheel(UINT flags, CPoint) {
  if (m_pOwnerForm) {
    m_pOwnerForm->SetMouseFocusControl(nullptr);
    m_pOwnerForm->SetKeyFocusControl(nullptr);
  }
  const short delta = static_cast<short>(HIWORD(flags));
  if (delta == 0) return;
  if (IsScollBarHor()) {
    if (delta < 0) {
      LineRight();
    } else {
      LineLeft();
    }
  } else if (delta < 0) {
    LineDown();
  } else {
    LineUp();
  }
}

void CUIList::OnRButtonUp(UINT, CPoint p) {
  if (!m_pOwnerForm) return;
  if (CUIListItem* cell = GetItemUnderPoint(p)) {
    if (!cell->GetSelected()) {
      cell->SetSelected(TRUE);
      Refresh(FALSE, nullptr);
    }
  } else {
    UnSelectAll();
    Refresh(FALSE, nullptr);
  }
}

void CUIList::RenderAfterSubCtrls(DXCore* core, const CRect*, const CRect*) {
  if (!core) return;
  if (m_nSelectionMode != 0 && GetDataCount() > 0) {
    const CRect band = GetMultiSelect(true);
    if (!band.IsRectEmpty()) core->FillRectangle(band, kBandFill);
  }
  if (!m_dragImage.m_strFile.IsEmpty() && !m_rcDrag.IsRectEmpty()) {
    m_dragImage.Render(core, m_rcDrag, nullptr);
    core->FillRectangle(m_rcDrag, kDragShade);
  }
  auto* config = dynamic_cast<_ListConfig*>(GetSkinConfig(L""));
  if (config && !m_rcDropInsert.IsRectEmpty() && !config->m_dragInsertImage.m_strFile.IsEmpty()) {
    config->m_dragInsertImage.Render(core, m_rcDropInsert);
  }
}

}  // namespace UI
