#include "ui/controls/UIScrollBar.h"

#include <algorithm>

#include "ui/UIForm.h"
#include "ui/controls/ControlEvents.h"
#include "ui/controls/IScrollInfo.h"
#include "ui/controls/KeyboardRepeat.h"
#include "ui/controls/RangeConfig.h"
#include "ui/controls/UIButton.h"

namespace UI {

namespace {

constexpr int kMinThumb = 12;

int RowWidth(const CEdge& row) {
  return std::max({row.m_first.Width(), row.m_middle.Width(), row.m_last.Width()});
}
int RowHeight(const CEdge& row) {
  return std::max({row.m_first.Height(), row.m_middle.Height(), row.m_last.Height()});
}

}  // namespace

CUIScrollBar::CUIScrollBar(const CString& styleName) {
  m_strTypeName = L"CUIScrollBar";
  if (!styleName.IsEmpty()) m_strCss = styleName;
  ListenEvent(kClickEvent, fastdelegate::MakeDelegate(this, &CUIScrollBar::OnButtonClick));
  Create2Button();
}

CUIScrollBar::~CUIScrollBar() {
  if (m_nRepeatState) StopTimer();
}

_ScrollBarConfig* CUIScrollBar::GetBarConfig() { return dynamic_cast<_ScrollBarConfig*>(GetSkinConfig(L"")); }

bool CUIScrollBar::IsHorz() {
  _ScrollBarConfig* config = GetBarConfig();
  return !config || config->m_bHorz;
}

int CUIScrollBar::Create2Button() {
  if (m_pFirstButton || !GetBarConfig()) return 0;
  const bool horz = IsHorz();
  const wchar_t* names[2] = {horz ? L"HSLeftBotton" : L"VSUpBotton", horz ? L"HSRightButton" : L"VSDownButton"};
  CUIButton* buttons[2];
  for (int i = 0; i < 2; ++i) {
    buttons[i] = new CUIButton;
    buttons[i]->SetObjectID(names[i]);
    buttons[i]->SetCss(names[i]);
    buttons[i]->SetAss(names[i]);
    buttons[i]->ReadAssSkinData(L"");
    RegisterControl(buttons[i]);
  }
  m_pFirstButton = buttons[0];
  m_pSecondButton = buttons[1];
  return 1;
}

BOOL CUIScrollBar::OnBuildControlAfter() {
  // A bar built from a file learns its style only now.
  Create2Button();
  return TRUE;
}

void CUIScrollBar::OnSetSkinData() {
  CUIRangeBase::OnSetSkinData();
  Create2Button();
}

bool CUIScrollBar::Track(int& start, int& end) {
  if (!m_pFirstButton || !m_pSecondButton) return false;
  const CRect b1 = m_pFirstButton->GetBounds();
  const CRect b2 = m_pSecondButton->GetBounds();
  if (IsHorz()) {
    start = b1.right;
    end = b2.left;
  } else {
    start = b1.bottom;
    end = b2.top;
  }
  return true;
}

void CUIScrollBar::SetThumbRect() {
  _ScrollBarConfig* config = GetBarConfig();
  int start = 0;
  int end = 0;
  if (!config || !Track(start, end)) return;
  const bool horz = IsHorz();
  const int track = end - start;
  const int page = horz ? m_pageSize.cx : m_pageSize.cy;
  // No page and no range, or no track: the thumb stays as it is.
  if (m_nMaximum + page <= 0 || track <= 0) return;
  int len = static_cast<int>(static_cast<long long>(page) * track / (m_nMaximum + page));
  if (len <= kMinThumb) len = kMinThumb;
  // A track shorter than the least thumb: the thumb fills it.
  if (len > track) len = track;
  const int pos = static_cast<int>(GetValuePercent() * static_cast<float>(track - len));
  const CRect b = m_rcBounds;
  const _ImageBorderConfig& image = config->m_thumbBk[0];
  if (horz) {
    const int m = (b.Height() - RowHeight(image.m_top) + RowHeight(image.m_bottom) + RowHeight(image.m_center)) / 2;
    m_rcThumb.SetRect(start + pos, b.top + m, start + pos + len, b.bottom - m);
    if (m_rcThumb.right > end) m_rcThumb.right = end;
  } else {
    const int m = (b.right - RowWidth(image.m_top) - b.left) / 2;
    m_rcThumb.SetRect(b.left + m, start + pos, b.right - m, start + pos + len);
    if (m_rcThumb.bottom > end) m_rcThumb.bottom = end;
  }
}

void CUIScrollBar::AfterSetToValue() {
  if (m_bDragging) return;
  SetThumbRect();
  Refresh(FALSE, nullptr);
}

int CUIScrollBar::HitTest(const CPoint& p) {
  if (!m_rcBounds.PtInRect(p)) return 0;
  if (m_rcThumb.PtInRect(p)) return 5;
  if (!m_pFirstButton || !m_pSecondButton) return 0;
  const CRect b1 = m_pFirstButton->GetBounds();
  const CRect b2 = m_pSecondButton->GetBounds();
  if (p.y < m_rcThumb.top && p.y > b1.bottom) return 1;
  if (p.y > m_rcThumb.bottom && p.y < b2.top) return 2;
  if (p.x < m_rcThumb.left && p.x > b1.right) return 3;
  if (p.x > m_rcThumb.right && p.x < b2.left) return 4;
  return 0;
}

void CUIScrollBar::SetSBStatus(UIScrollBarStatus status) {
  if (status == m_status) return;
  m_status = status;
  Refresh(FALSE, nullptr);
}

BOOL CUIScrollBar::OnMouseMessage(UINT message, UINT flags, const CPoint& point) {
  switch (message) {
    case WM_MOUSEMOVE: OnMouseMove(flags, point); return 1;
    case WM_LBUTTONDOWN: OnLButtonDown(flags, point); return 1;
    case WM_LBUTTONUP: OnLButtonUp(flags, point); return 1;
    case WM_MOUSELEAVE: OnMouseLeave(flags, point); return 1;
    default: return 0;
  }
}

void CUIScrollBar::OnMouseMove(UINT, CPoint point) {
  if (!m_bDragging) {
    if (m_rcThumb.PtInRect(point)) {
      if (m_status == UIScrollBarStatusNormal) SetSBStatus(UIScrollBarStatusHover);
    } else if (m_status != UIScrollBarStatusNormal) {
      SetSBStatus(UIScrollBarStatusNormal);
    }
    return;
  }
  int start = 0;
  int end = 0;
  if (!GetBarConfig() || point == m_lastPoint || !Track(start, end)) return;
  const bool horz = IsHorz();
  const int length = horz ? m_rcThumb.Width() : m_rcThumb.Height();
  // A thumb that fills the track has nowhere to go.
  if (end - start - length <= 0) return;
  const int d = horz ? point.x - m_lastPoint.x : point.y - m_lastPoint.y;
  const int lead = horz ? m_rcThumb.left : m_rcThumb.top;
  const int trail = horz ? m_rcThumb.right : m_rcThumb.bottom;
  int by = 0;
  if (lead + d >= start && trail + d <= end) {
    by = d;
    m_lastPoint = point;
  } else if (d < 0) {
    by = start - lead;
    (horz ? m_lastPoint.x : m_lastPoint.y) += by;
  } else if (d > 0) {
    by = end - trail;
    (horz ? m_lastPoint.x : m_lastPoint.y) += by;
  }
  m_rcThumb.OffsetRect(horz ? by : 0, horz ? 0 : by);
  const int moved = (horz ? m_rcThumb.left : m_rcThumb.top) - start;
  m_nValue = static_cast<int>(static_cast<double>(moved) / (end - start - length) * (m_nMaximum - m_nMinimum) +
                              m_nMinimum);
  ThumbTrack();
  Refresh(FALSE, nullptr);
}

void CUIScrollBar::OnLButtonDown(UINT, CPoint point) {
  const int area = HitTest(point);
  if (area == 5) {
    SetMouseCapture();
    SetSBStatus(UIScrollBarStatusPress);
    m_bDragging = TRUE;
    m_lastPoint = point;
  } else if (area >= 1 && area <= 4) {
    StartTimer(GetDelay());
    m_nRepeatState = 1;
  }
}

void CUIScrollBar::OnLButtonUp(UINT, CPoint point) {
  const int area = HitTest(point);
  if (!m_bDragging) Step(area);
  ReleaseMouseCapture();
  m_bDragging = FALSE;
  StopTimer();
  m_nRepeatState = 0;
  if (area == 5) SetSBStatus(UIScrollBarStatusHover);
}

void CUIScrollBar::OnMouseLeave(UINT, CPoint) {
  if (m_status != UIScrollBarStatusNormal && !m_bKBFocused) SetSBStatus(UIScrollBarStatusNormal);
}

void CUIScrollBar::Step(int area) {
  switch (area) {
    case 1: PageUp(); break;
    case 2: PageDown(); break;
    case 3: PageLeft(); break;
    case 4: PageRight(); break;
    default: break;
  }
}

// --- auto-repeat -------------------------------------------------------------------------

int CUIScrollBar::GetDelay() { return KeyboardRepeatDelay(); }
int CUIScrollBar::GetInterval() { return KeyboardRepeatInterval(); }

void CUIScrollBar::StartTimer(int ms) {
  if (!m_pOwnerForm) return;
  m_pOwnerForm->UnRegisterTimerHandler(kRepeatTimerId);
  m_pOwnerForm->RegisterTimerHandler(kRepeatTimerId, static_cast<UINT>(ms),
                                     fastdelegate::MakeDelegate(this, &CUIScrollBar::OnScrollBarTimer));
}

void CUIScrollBar::StopTimer() {
  if (m_pOwnerForm) m_pOwnerForm->UnRegisterTimerHandler(kRepeatTimerId);
}

void CUIScrollBar::OnScrollBarTimer(UINT) {
  if (!m_pOwnerForm) return;
  const DWORD at = ::GetMessagePos();
  POINT p{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  ::ScreenToClient(m_pOwnerForm->m_hWnd, &p);
  const int area = HitTest(CPoint(p.x, p.y));
  if (area == 5 || !m_rcBounds.PtInRect(CPoint(p.x, p.y))) {
    StopTimer();
    m_nRepeatState = 0;
    return;
  }
  if (m_nRepeatState == 1) {
    StartTimer(GetInterval());
    m_nRepeatState = 2;
  }
  Step(area);
}

// --- forwarding ------------------------------------------------------------------------------

IScrollInfo* CUIScrollBar::Bound() { return m_pScrollInfo && IsEnabled() ? m_pScrollInfo : nullptr; }

void CUIScrollBar::ThumbTrack() {
  if (IScrollInfo* info = Bound()) info->ThumbTrack();
}
void CUIScrollBar::PageUp() {
  if (IScrollInfo* info = Bound()) info->PageUp();
}
void CUIScrollBar::PageDown() {
  if (IScrollInfo* info = Bound()) info->PageDown();
}
void CUIScrollBar::PageLeft() {
  if (IScrollInfo* info = Bound()) info->PageLeft();
}
void CUIScrollBar::PageRight() {
  if (IScrollInfo* info = Bound()) info->PageRight();
}
void CUIScrollBar::LineUp() {
  if (IScrollInfo* info = Bound()) info->LineUp();
}
void CUIScrollBar::LineDown() {
  if (IScrollInfo* info = Bound()) info->LineDown();
}
void CUIScrollBar::LineLeft() {
  if (IScrollInfo* info = Bound()) info->LineLeft();
}
void CUIScrollBar::LineRight() {
  if (IScrollInfo* info = Bound()) info->LineRight();
}

int CUIScrollBar::OnButtonClick(CUIControl* sender, void*) {
  if (!IsEnabled() || !sender) return 1;
  const CString id = sender->GetObjectID();
  if (id.CompareNoCase(L"VSUpBotton") == 0) {
    LineUp();
  } else if (id.CompareNoCase(L"VSDownButton") == 0) {
    LineDown();
  } else if (id.CompareNoCase(L"HSLeftBotton") == 0) {
    LineLeft();
  } else if (id.CompareNoCase(L"HSRightButton") == 0) {
    LineRight();
  }
  return 1;
}

void CUIScrollBar::RenderSelf(DXCore* core, const CRect* clip) {
  _ScrollBarConfig* config = GetBarConfig();
  if (!config || !core || m_rcBounds.IsRectEmpty()) return;
  CRect b = m_rcBounds;
  auto* cut = const_cast<CRect*>(clip);
  if (!config->m_bkImage.m_strFile.IsEmpty()) config->m_bkImage.Render(core, b, cut);
  if (m_rcThumb.IsRectEmpty()) SetThumbRect();
  if (m_rcThumb.IsRectEmpty()) return;
  _ImageBorderConfig& thumb = config->m_thumbBk[std::clamp(static_cast<int>(m_status), 0, 2)];
  if (!thumb.m_strFile.IsEmpty()) thumb.Render(core, m_rcThumb);
  const CPoint c((m_rcThumb.left + m_rcThumb.right) / 2, (m_rcThumb.top + m_rcThumb.bottom) / 2);
  CRect grip;
  if (IsHorz() && m_rcThumb.Width() > 36) {
    grip.SetRect(c.x - 6, c.y - 4, c.x + 6, c.y + 4);
  } else if (!IsHorz() && m_rcThumb.Height() > 36) {
    grip.SetRect(c.x - 4, c.y - 6, c.x + 4, c.y + 6);
  }
  if (!grip.IsRectEmpty() && !config->m_thumbCenter.m_strFile.IsEmpty()) config->m_thumbCenter.Render(core, grip, cut);
}

}  // namespace UI
