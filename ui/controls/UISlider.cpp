#include "ui/controls/UISlider.h"

#include <cmath>

#include "ui/controls/RangeConfig.h"

namespace UI {

namespace {

constexpr int kCompletedEvent = 8;

int Round(float v) { return static_cast<int>(std::nearbyint(v)); }

}  // namespace

CUISlider::CUISlider() {
  m_strTypeName = L"CUISlider";
  m_bNotifyChange = TRUE;
}

_SliderConfig* CUISlider::GetSliderConfig() { return dynamic_cast<_SliderConfig*>(GetSkinConfig(L"")); }

bool CUISlider::IsHorz() {
  _SliderConfig* config = GetSliderConfig();
  return !config || config->m_bHorz;
}

void CUISlider::SetThumbRect() {
  _SliderConfig* config = GetSliderConfig();
  const CRect b = m_rcBounds;
  if (!config || b.IsRectEmpty()) return;
  const int w = static_cast<int>(config->m_thumb[0].m_rcSource.Width());
  const int h = static_cast<int>(config->m_thumb[0].m_rcSource.Height());
  const float p = GetValuePercent();
  if (config->m_bHorz) {
    m_rcThumb.left = b.left + Round(static_cast<float>(b.Width() - w) * p);
    m_rcThumb.right = m_rcThumb.left + w;
    const int c = (b.top + b.bottom) / 2;
    m_rcThumb.top = c - h / 2;
    m_rcThumb.bottom = c + h / 2;
  } else {
    const int c = (b.left + b.right) / 2;
    m_rcThumb.left = c - w / 2;
    m_rcThumb.right = c + w / 2;
    m_rcThumb.top = b.top + Round(static_cast<float>(b.Height() - h) * p);
    m_rcThumb.bottom = m_rcThumb.top + h;
  }
}

void CUISlider::ArrangeSelf(CRect* available, CRect* parentBounds) {
  CUIRangeBase::ArrangeSelf(available, parentBounds);
  SetThumbRect();
}

void CUISlider::AfterSetToValue() {
  if (m_bDragging) return;
  SetThumbRect();
  Refresh(FALSE, nullptr);
}

void CUISlider::OnValueCompleted() { FireValueEvent(kCompletedEvent); }

void CUISlider::SetThumbStatus(int status) {
  if (status == m_nThumbStatus) return;
  m_nThumbStatus = status;
  Refresh(FALSE, nullptr);
}

BOOL CUISlider::OnMouseMessage(UINT message, UINT flags, const CPoint& point) {
  switch (message) {
    case WM_MOUSEMOVE: OnMouseMove(flags, point); break;
    case WM_LBUTTONDOWN: OnLButtonDown(flags, point); break;
    case WM_LBUTTONUP: OnLButtonUp(flags, point); break;
    case WM_MOUSELEAVE: OnMouseLeave(flags, point); break;
    default: break;
  }
  return 1;
}

void CUISlider::OnLButtonDown(UINT, CPoint point) {
  if (!GetSliderConfig()) return;
  if (m_rcThumb.PtInRect(point)) {
    m_lastPoint = point;
    m_bDragging = TRUE;
    m_nThumbStatus = 2;
    SetMouseCapture();
    Refresh(FALSE, nullptr);
    return;
  }
  const CRect b = m_rcBounds;
  // A thumb as long as the track leaves no room: the value stays.
  const int room = IsHorz() ? b.Width() - m_rcThumb.Width() : b.Height() - m_rcThumb.Height();
  if (room <= 0) return;
  const float t = IsHorz() ? static_cast<float>(point.x - m_rcThumb.Width() / 2 - b.left) / static_cast<float>(room)
                           : static_cast<float>(point.y - m_rcThumb.Height() / 2 - b.top) / static_cast<float>(room);
  SetValue(m_nMinimum + Round(t * static_cast<float>(m_nMaximum - m_nMinimum)));
}

void CUISlider::OnMouseMove(UINT, CPoint point) {
  if (!GetSliderConfig()) return;
  if (!m_bDragging) {
    SetThumbStatus(m_rcThumb.PtInRect(point) ? 1 : 0);
    return;
  }
  if (point == m_lastPoint) return;
  const CRect b = m_rcBounds;
  const bool horz = IsHorz();
  const int room = horz ? b.Width() - m_rcThumb.Width() : b.Height() - m_rcThumb.Height();
  if (room <= 0) return;
  if (horz) {
    const int d = point.x - m_lastPoint.x;
    if (m_rcThumb.left + d >= b.left && m_rcThumb.right + d <= b.right) {
      m_rcThumb.OffsetRect(d, 0);
      m_lastPoint = point;
    } else if (d < 0) {
      const int by = b.left - m_rcThumb.left;
      m_rcThumb.OffsetRect(by, 0);
      m_lastPoint.x += by;
    } else if (d > 0) {
      const int by = b.right - m_rcThumb.right;
      m_rcThumb.OffsetRect(by, 0);
      m_lastPoint.x += by;
    }
  } else {
    const int d = point.y - m_lastPoint.y;
    if (m_rcThumb.top + d >= b.top && m_rcThumb.bottom + d <= b.bottom) {
      m_rcThumb.OffsetRect(0, d);
      m_lastPoint = point;
    } else if (d < 0) {
      const int by = b.top - m_rcThumb.top;
      m_rcThumb.OffsetRect(0, by);
      m_lastPoint.y += by;
    } else if (d > 0) {
      const int by = b.bottom - m_rcThumb.bottom;
      m_rcThumb.OffsetRect(0, by);
      m_lastPoint.y += by;
    }
  }
  const float done = horz ? static_cast<float>(m_rcThumb.left - b.left) : static_cast<float>(m_rcThumb.top - b.top);
  m_nValue = m_nMinimum + Round(done / static_cast<float>(room) * static_cast<float>(m_nMaximum - m_nMinimum));
  OnValueChanged();
  Refresh(FALSE, nullptr);
}

void CUISlider::OnLButtonUp(UINT, CPoint point) {
  if (m_bDragging) {
    ReleaseMouseCapture();
    m_bDragging = FALSE;
  }
  m_nThumbStatus = m_rcThumb.PtInRect(point) ? 1 : 0;
  OnValueCompleted();
  Refresh(FALSE, nullptr);
}

void CUISlider::OnMouseLeave(UINT, CPoint) {
  m_bDragging = FALSE;
  m_nThumbStatus = 0;
  Refresh(FALSE, nullptr);
}

void CUISlider::RenderSelf(DXCore* core, const CRect* clip) {
  _SliderConfig* config = GetSliderConfig();
  if (!config || !core) return;
  CRect b = m_rcBounds;
  auto* cut = const_cast<CRect*>(clip);
  if (!config->m_bkImage.m_strFile.IsEmpty()) config->m_bkImage.Render(core, b, cut);
  if (m_rcThumb.IsRectEmpty()) SetThumbRect();
  if (!config->m_fillImage.m_strFile.IsEmpty() && GetValuePercent() != 0.0f) {
    CRect fill = b;
    if (config->m_bHorz) {
      fill.DeflateRect(0, 1);
      fill.right = m_rcThumb.left + 2;
    } else {
      fill.DeflateRect(1, 0);
      fill.bottom = m_rcThumb.top + 2;
    }
    config->m_fillImage.Render(core, fill, cut);
  }
  _ImageConfig& thumb = config->m_thumb[m_nThumbStatus];
  if (!thumb.m_strFile.IsEmpty()) thumb.Render(core, m_rcThumb, cut);
}

}  // namespace UI
