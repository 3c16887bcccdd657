#include "ui/controls/UISplitPanel.h"

#include "ui/UIForm.h"
#include "ui/controls/PanelConfig.h"

namespace UI {

CUISplitPanel::CUISplitPanel() {
  m_strTypeName = L"CUISplitPanel";
  m_bHitTransparent = FALSE;
  m_bClipToBounds = FALSE;
}

_SplitPanelConfig* CUISplitPanel::GetSplitConfig() {
  return dynamic_cast<_SplitPanelConfig*>(GetSkinConfig(CString()));
}

bool CUISplitPanel::IsHorizontal() {
  _SplitPanelConfig* config = GetSplitConfig();
  return !config || config->m_bHorz;
}

BOOL CUISplitPanel::OnBuildControlAfter() {
  if (GetChildCount() < 2) return FALSE;
  m_pFirst = GetChild(0);
  m_pSecond = GetChild(1);
  return TRUE;
}

void CUISplitPanel::ArrangeSelf(CRect* available, CRect* parentBounds) {
  CUIControl::ArrangeSelf(available, parentBounds);
  SetThumbRect();
}

void CUISplitPanel::SetThumbRect() {
  _SplitPanelConfig* config = GetSplitConfig();
  const CRect b = GetBounds();
  if (!config || b.IsRectEmpty()) return;
  const int at = config->m_nOriFirSubConPixel;
  if (config->m_bHorz)
    m_rcThumb = CRect(b.left + at, b.top, b.left + at + kBarThickness, b.bottom);
  else
    m_rcThumb = CRect(b.left, b.top + at, b.right, b.top + at + kBarThickness);
}

void CUISplitPanel::ArrangeAllSubControls() {
  CUIControl::ArrangeAllSubControls();
  SetLeftRightWidth();
}

void CUISplitPanel::SetLeftRightWidth() {
  // The panes may have been taken out of the list since the build.
  if (!m_pFirst || !m_pSecond || GetChild(0) != m_pFirst || GetChild(1) != m_pSecond) return;
  CRect first = m_pFirst->GetBounds(), second = m_pSecond->GetBounds();
  // The bar lies over the start of the second pane.
  if (IsHorizontal()) {
    first.right = m_rcThumb.left;
    second.left = m_rcThumb.left;
  } else {
    first.bottom = m_rcThumb.top;
    second.top = m_rcThumb.top;
  }
  m_pFirst->SetBounds(first);
  m_pFirst->ArrangeAllSubControls();
  m_pSecond->SetBounds(second);
  m_pSecond->ArrangeAllSubControls();
}

void CUISplitPanel::RenderAfterSubCtrls(DXCore* core, const CRect*, const CRect*) {
  _SplitPanelConfig* config = GetSplitConfig();
  if (!config || !core || config->m_barImage.m_strFile.IsEmpty()) return;
  if (m_rcThumb.IsRectEmpty()) SetThumbRect();
  const RectF& source = config->m_barImage.m_rcSource;
  const float w = source.Width(), h = source.Height();
  const int x = static_cast<int>((m_rcThumb.Width() - w) * 0.5f + m_rcThumb.left);
  const int y = static_cast<int>((m_rcThumb.Height() - h) * 0.5f + m_rcThumb.top);
  config->m_barImage.RenderRect(core, RectF(static_cast<float>(x), static_cast<float>(y),
                                            static_cast<float>(static_cast<int>(x + w)),
                                            static_cast<float>(static_cast<int>(y + h))),
                                source, nullptr);
}

CUIControl* CUISplitPanel::FindControlUnderPoint(const CPoint& point) {
  if (!IsVisible() || !IsCursorInBounds(point)) return nullptr;
  if (m_rcThumb.PtInRect(point)) return this;
  for (size_t i = m_children.size(); i-- > 0;) {
    if (!m_children[i]) continue;
    if (CUIControl* hit = m_children[i]->FindControlUnderPoint(point)) return hit;
  }
  return this;
}

BOOL CUISplitPanel::OnMouseMessage(UINT message, UINT flags, const CPoint& point) {
  switch (message) {
    case WM_MOUSEMOVE: OnMouseMove(flags, point); break;
    case WM_LBUTTONDOWN: OnLButtonDown(flags, point); break;
    case WM_LBUTTONUP: OnLButtonUp(flags, point); break;
    case WM_MOUSELEAVE: OnMouseLeave(flags, point); break;
    default: break;
  }
  return TRUE;
}

void CUISplitPanel::OnLButtonDown(UINT, const CPoint& point) {
  if (m_rcThumb.PtInRect(point)) {
    m_nLastX = point.x;
    m_nLastY = point.y;
    m_bDragging = TRUE;
    SetMouseCapture();
    m_nCursorState = ResizeCursor();
  } else {
    m_nCursorState = CursorArrow;
  }
  OnSetCursor(0, 0);
}

void CUISplitPanel::OnMouseMove(UINT, const CPoint& point) {
  if (!m_bDragging) {
    if (m_rcThumb.PtInRect(point))
      m_nCursorState = ResizeCursor();
    else
      m_nCursorState = m_nCursorState == ResizeCursor() ? CursorArrow : CursorNone;
    OnSetCursor(0, 0);
    return;
  }
  if (point.x == m_nLastX && point.y == m_nLastY) return;
  _SplitPanelConfig* config = GetSplitConfig();
  const CRect b = GetBounds();
  const bool horizontal = IsHorizontal();
  const int step = horizontal ? point.x - m_nLastX : point.y - m_nLastY;
  const int moved = (horizontal ? m_rcThumb.left : m_rcThumb.top) + step;
  const int origin = horizontal ? b.left : b.top;
  // A step outside the range is refused and not remembered: the next one is
  // measured from the last accepted point.
  if (config && origin + config->m_nMinFirSubConPixel <= moved && moved <= origin + config->m_nMaxFirSubConPixel) {
    m_nLastX = point.x;
    m_nLastY = point.y;
    if (horizontal)
      m_rcThumb.OffsetRect(step, 0);
    else
      m_rcThumb.OffsetRect(0, step);
  }
  SetLeftRightWidth();
  Refresh(FALSE, nullptr);
}

void CUISplitPanel::OnLButtonUp(UINT, const CPoint& point) {
  if (m_bDragging) {
    ReleaseMouseCapture();
    m_bDragging = FALSE;
    m_nCursorState = m_rcThumb.PtInRect(point) ? ResizeCursor() : CursorArrow;
    OnSetCursor(0, 0);
  }
  Refresh(FALSE, nullptr);
}

void CUISplitPanel::OnMouseLeave(UINT, const CPoint&) {
  m_bDragging = FALSE;
  // A drag that ends here must not keep the capture: the form would route
  // every later mouse message to this panel.
  if (IsMouseCapture()) ReleaseMouseCapture();
  Refresh(FALSE, nullptr);
}

BOOL CUISplitPanel::OnSetCursor(UINT, UINT) {
  LPCWSTR shape = nullptr;
  switch (m_nCursorState) {
    case CursorArrow: shape = IDC_ARROW; break;
    case CursorSizeWE: shape = IDC_SIZEWE; break;
    case CursorSizeNS: shape = IDC_SIZENS; break;
    default: return FALSE;  // the window's own cursor applies
  }
  ::SetCursor(::LoadCursorW(nullptr, shape));
  return TRUE;
}

void CUISplitPanel::SetOriFirSubConPixel(int pixels) {
  if (_SplitPanelConfig* config = GetSplitConfig()) config->m_nOriFirSubConPixel = pixels;
}

void CUISplitPanel::SetMinFirSubConPixel(int pixels) {
  if (_SplitPanelConfig* config = GetSplitConfig()) config->m_nMinFirSubConPixel = pixels;
}

void CUISplitPanel::SetMaxFirSubConPixel(int pixels) {
  if (_SplitPanelConfig* config = GetSplitConfig()) config->m_nMaxFirSubConPixel = pixels;
}

}  // namespace UI
