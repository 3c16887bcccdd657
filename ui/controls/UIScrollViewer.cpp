#include "ui/controls/UIScrollViewer.h"

#include <algorithm>
#include <cmath>

#include "ui/controls/ControlEvents.h"
#include "ui/controls/UIScrollBar.h"
#include "ui/controls/UIScrollContent.h"

namespace UI {

CUIScrollViewer::CUIScrollViewer() {
  m_strTypeName = L"CUIScrollViewer";
  m_bHitTransparent = FALSE;
  SetClipToBounds(TRUE);
  SetTransContainer(FALSE);
}

BOOL CUIScrollViewer::OnBuildControlAfter() {
  if (!SetScrollContent()) return 0;
  return CreateScrollBar();
}

int CUIScrollViewer::SetScrollContent() {
  m_pContent = GetChildCount() > 0 ? dynamic_cast<CUIScrollContent*>(GetChild(0)) : nullptr;
  return m_pContent ? 1 : 0;
}

CUIScrollBar* CUIScrollViewer::MakeBar(const wchar_t* name) {
  auto* bar = new CUIScrollBar(name);
  bar->SetObjectID(name);
  bar->SetAss(name);
  bar->ReadAssSkinData(L"");
  bar->SetVisible(FALSE);
  bar->SetIScrollInfo(this);
  RegisterControl(bar);
  bar->SetOwnerForm(m_pOwnerForm);
  return bar;
}

int CUIScrollViewer::CreateScrollBar() {
  if (!m_pVerBar) m_pVerBar = MakeBar(L"VScrollBar");
  if (!m_pHorBar) m_pHorBar = MakeBar(L"HScrollBar");
  return 1;
}

BOOL CUIScrollViewer::IsHorScrollBarVisible() { return m_pHorBar && m_pHorBar->IsVisible(); }
BOOL CUIScrollViewer::IsVerScrollBarVisible() { return m_pVerBar && m_pVerBar->IsVisible(); }

// --- layout ------------------------------------------------------------------------------

void CUIScrollViewer::ArrangeAllSubControls() {
  const CRect p = GetBoundsSmall();
  if (!p.IsRectEmpty()) {
    if (m_pHorBar) {
      CRect area = p;
      if (IsVerScrollBarVisible()) area.right -= m_pVerBar->GetSize().cx;
      CRect outer = area;
      m_pHorBar->ArrangeSelf(&area, &outer);
      m_pHorBar->ArrangeAllSubControls();
    }
    if (m_pVerBar) {
      CRect area = p;
      if (IsHorScrollBarVisible()) area.bottom -= m_pHorBar->GetSize().cy;
      CRect outer = area;
      m_pVerBar->ArrangeSelf(&area, &outer);
      m_pVerBar->ArrangeAllSubControls();
    }
  }
  if (m_pContent) ArrangeScrollContent();
}

CRect CUIScrollViewer::GetAvailableBounds() {
  CRect a = GetBoundsSmall();
  if (m_pVerBar) a.right -= m_pVerBar->GetSize().cx;
  if (m_pHorBar) a.bottom -= m_pHorBar->GetSize().cy;
  return a;
}

void CUIScrollViewer::ArrangeScrollContent() {
  if (!m_pContent) return;
  CRect a = GetAvailableBounds();
  const CSize area(a.Width(), a.Height());
  CalculateViewportSize(area);
  CSize size(0, 0);
  m_pContent->CalculateContentSize(&a, &size);
  CalculateExtentSize(size);
  UpdateScrollInfo(area);
  m_pContent->ArrangeSelf(&a, nullptr);
  OnChanged();
  Refresh(FALSE, nullptr);
}

void CUIScrollViewer::CalculateViewportSize(CSize size) {
  if (size != m_viewport) m_viewport = size;
}

void CUIScrollViewer::CalculateExtentSize(CSize size) {
  if (size != m_extent) m_extent = size;
}

CSize CUIScrollViewer::CalculatePages() {
  // An empty viewport shows nothing to page through.
  auto pages = [](int extent, int viewport) {
    if (viewport <= 0) return 1;
    const float ratio = static_cast<float>(static_cast<double>(extent) / viewport);
    return std::max(1, static_cast<int>(std::ceil(ratio)));
  };
  return CSize(pages(m_extent.cx, m_viewport.cx), pages(m_extent.cy, m_viewport.cy));
}

void CUIScrollViewer::UpdateScrollInfo(CSize) {
  m_offset.y = std::clamp(static_cast<int>(m_offset.y), 0, std::max(0, m_extent.cy - m_viewport.cy));
  m_offset.x = std::clamp(static_cast<int>(m_offset.x), 0, std::max(0, m_extent.cx - m_viewport.cx));
  const CSize pages = CalculatePages();
  if (m_pHorBar) {
    if (pages.cx >= 2) {
      m_pHorBar->SetRange(0, m_extent.cx - m_viewport.cx);
      m_pHorBar->SetPageSize(CSize(m_viewport.cx, 0));
      m_pHorBar->SetValue(m_offset.x);
      m_pHorBar->SetVisible(TRUE);
    } else {
      m_pHorBar->SetVisible(FALSE);
    }
  }
  if (m_pVerBar) {
    if (pages.cy >= 2) {
      m_pVerBar->SetRange(0, m_extent.cy - m_viewport.cy);
      m_pVerBar->SetPageSize(CSize(0, m_viewport.cy));
      m_pVerBar->SetValue(m_offset.y);
      m_pVerBar->SetVisible(TRUE);
    } else {
      m_pVerBar->SetVisible(FALSE);
    }
  }
}

// --- offsets ----------------------------------------------------------------------------

namespace {

int ClampOffset(int offset, int viewport, int extent) {
  if (offset < 0 || viewport >= extent) return 0;
  if (offset + viewport >= extent) return extent - viewport;
  return offset;
}

}  // namespace

void CUIScrollViewer::SetVerticalOffset(int y) {
  y = ClampOffset(y, m_viewport.cy, m_extent.cy);
  if (y == m_offset.y) return;
  m_offset.y = y;
  ArrangeScrollContent();
}

void CUIScrollViewer::SetHorizontalOffset(int x) {
  x = ClampOffset(x, m_viewport.cx, m_extent.cx);
  if (x == m_offset.x) return;
  m_offset.x = x;
  ArrangeScrollContent();
}

void CUIScrollViewer::SetOffset(const CPoint& offset) {
  if (offset == m_offset) return;
  SetHorizontalOffset(offset.x);
  SetVerticalOffset(offset.y);
}

void CUIScrollViewer::LineUp() { SetVerticalOffset(m_offset.y - m_smallChange.cy); }
void CUIScrollViewer::LineDown() { SetVerticalOffset(m_offset.y + m_smallChange.cy); }
void CUIScrollViewer::LineLeft() { SetHorizontalOffset(m_offset.x - m_smallChange.cx); }
void CUIScrollViewer::LineRight() { SetHorizontalOffset(m_offset.x + m_smallChange.cx); }
void CUIScrollViewer::PageUp() { SetVerticalOffset(m_offset.y - m_viewport.cy); }
void CUIScrollViewer::PageDown() { SetVerticalOffset(m_offset.y + m_viewport.cy); }
void CUIScrollViewer::PageLeft() { SetHorizontalOffset(m_offset.x - m_viewport.cx); }
void CUIScrollViewer::PageRight() { SetHorizontalOffset(m_offset.x + m_viewport.cx); }

void CUIScrollViewer::ThumbTrack() {
  if (m_pHorBar) SetHorizontalOffset(m_pHorBar->GetValue());
  if (m_pVerBar) SetVerticalOffset(m_pVerBar->GetValue());
}

// --- input -----------------------------------------------------------------------------

BOOL CUIScrollViewer::OnMouseMessage(UINT message, UINT flags, const CPoint& point) {
  switch (message) {
    case WM_LBUTTONDOWN: return OnLButtonDown(flags, point);
    case WM_LBUTTONUP: return OnLButtonUp(flags, point);
    case WM_RBUTTONUP: return OnRButtonUp(flags, point);
    case WM_MOUSEWHEEL: return OnMouseWheel(flags, point);
    default: return 0;
  }
}

int CUIScrollViewer::OnLButtonDown(UINT flags, CPoint point) {
  if (m_pContent) m_pContent->OnScrollViewerLButtonDown(flags, point);
  return 1;
}

int CUIScrollViewer::OnLButtonUp(UINT flags, CPoint point) {
  if (m_pContent) m_pContent->OnScrollViewerLButtonUp(flags, point);
  return 1;
}

int CUIScrollViewer::OnRButtonUp(UINT flags, CPoint point) {
  if (m_pContent) m_pContent->OnScrollViewerRButtonUp(flags, point);
  return 1;
}

int CUIScrollViewer::OnMouseWheel(UINT flags, CPoint) {
  // The wheel's turn is the high word: negative toward the user.
  if (static_cast<short>(HIWORD(flags)) < 0) {
    LineDown();
  } else {
    LineUp();
  }
  return 1;
}

void CUIScrollViewer::OnChanged() {
  if (IsEnabled()) FireEvent(kChangedEvent, this);
}

}  // namespace UI
