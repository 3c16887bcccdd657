#include "ui/controls/UIButton.h"

#include <cmath>

#include "ui/UIForm.h"
#include "ui/controls/ButtonConfig.h"
#include "ui/controls/ControlEvents.h"
#include "ui/controls/ControlText.h"
#include "ui/controls/KeyboardRepeat.h"
#include "ui/render/DXCore.h"

namespace UI {

namespace {

constexpr DWORD kDisabledTextColor = 0xFFA0A0A0;

bool AnyInset(const CRect& r) { return r.left || r.top || r.right || r.bottom; }

CRect Inset(const CRect& b, const CRect& by) {
  return CRect(b.left + by.left, b.top + by.top, b.right - by.right, b.bottom - by.bottom);
}

}  // namespace

CUIButton::CUIButton() { m_strTypeName = L"CUIButton"; }

CUIButton::~CUIButton() {
  if (m_nRepeatPhase != 0) StopTimer();
}

_ButtonConfig* CUIButton::GetButtonConfig() { return dynamic_cast<_ButtonConfig*>(GetSkinConfig(CString())); }

bool CUIButton::IsRepeating() {
  _ButtonConfig* config = GetButtonConfig();
  return config && config->m_bRepeat;
}

void CUIButton::SetButtonStatus(UIButtonStatus status) {
  m_status = status;
  Refresh(FALSE, nullptr);
}

void CUIButton::SetTempEnable(BOOL enable) {
  CUIButtonBase::SetTempEnable(enable);
  m_status = IsEnabled() ? UIButtonStatusNormal : UIButtonStatusDisable;
}

void CUIButton::SetKBFocused(BOOL focused) {
  CUIButtonBase::SetKBFocused(focused);
  m_status = focused ? UIButtonStatusKBFocus : UIButtonStatusNormal;
}

void CUIButton::SetRepeated(int repeat) {
  if (_ButtonConfig* config = GetButtonConfig()) config->m_bRepeat = repeat;
}

void CUIButton::SetBKColor(DWORD rgb) {
  if (auto* config = dynamic_cast<_ButtonConfig*>(GetSkinConfig(L"CUIButton"))) config->m_bkColor = rgb | 0xFF000000u;
}

BOOL CUIButton::OnMouseMessage(UINT message, UINT, const CPoint&) {
  const BOOL enabled = IsEnabled();
  if (m_status == UIButtonStatusDisable && !enabled) return FALSE;
  switch (message) {
    case WM_LBUTTONDOWN:
      if (enabled) {
        SetButtonStatus(UIButtonStatusPress);
        if (IsRepeating()) {
          StartTimer(GetDelay());
          m_nRepeatPhase = 1;
        }
      }
      return TRUE;
    case WM_LBUTTONDBLCLK: return TRUE;
    case WM_LBUTTONUP:
      if (enabled) {
        if (m_status == UIButtonStatusPress) {
          if (IsRepeating()) {
            StopTimer();
            m_nRepeatPhase = 0;
          }
          SetButtonStatus(UIButtonStatusFocus);
          OnClick();
        } else {
          SetButtonStatus(UIButtonStatusFocus);
        }
      }
      return TRUE;
    case WM_MOUSEHOVER:
      if (m_status == UIButtonStatusNormal || m_status == UIButtonStatusKBFocus) {
        FireEvent(kMouseEnterEvent, this);
        SetButtonStatus(UIButtonStatusFocus);
      }
      return TRUE;
    case WM_MOUSELEAVE:
      if (m_status == UIButtonStatusFocus || m_status == UIButtonStatusPress)
        SetButtonStatus(m_bKBFocused ? UIButtonStatusKBFocus : UIButtonStatusNormal);
      else if (m_bKBFocused)
        SetButtonStatus(UIButtonStatusKBFocus);
      return TRUE;
    default: return FALSE;
  }
}

BOOL CUIButton::OnKeyMessage(UINT message, UINT key, UINT, UINT) {
  if (message == WM_KEYDOWN && key == VK_RETURN) {
    OnClick();
    return TRUE;
  }
  return FALSE;
}

// --- auto-repeat ------------------------------------------------------------

int CUIButton::GetDelay() { return KeyboardRepeatDelay(); }

int CUIButton::GetInterval() { return KeyboardRepeatInterval(); }

void CUIButton::StartTimer(int ms) {
  CUIForm* form = GetOwnerForm();
  if (!form) return;
  // One button repeats at a time; a timer left by another one is replaced.
  form->UnRegisterTimerHandler(kRepeatTimerId);
  form->RegisterTimerHandler(kRepeatTimerId, static_cast<UINT>(ms), fastdelegate::MakeDelegate(this, &CUIButton::OnRepeaterTimer));
}

void CUIButton::StopTimer() {
  if (CUIForm* form = GetOwnerForm()) form->UnRegisterTimerHandler(kRepeatTimerId);
}

void CUIButton::OnRepeaterTimer(UINT) {
  CUIForm* form = GetOwnerForm();
  if (!form) return;
  const DWORD at = ::GetMessagePos();
  POINT p{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  ::ScreenToClient(form->GetSafeHwnd(), &p);
  if (!IsCursorInBounds(CPoint(p.x, p.y))) {
    StopTimer();
    m_nRepeatPhase = 0;
    return;
  }
  if (m_nRepeatPhase == 1) {
    StopTimer();
    StartTimer(GetInterval());
    m_nRepeatPhase = 2;
  }
  if (m_nRepeatPhase == 2) OnClick();
}

// --- drawing ----------------------------------------------------------------

void CUIButton::RenderSelf(DXCore* core, const CRect*) {
  _ButtonConfig* config = GetButtonConfig();
  if (!config || !core) return;
  const CRect b = GetBounds();
  if (config->m_bkColor >> 24) {
    CRect inner = b;
    inner.DeflateRect(1, 1);
    core->FillRectangle(inner, config->m_bkColor);
  }
  const int status = m_status >= 0 && m_status < _ButtonConfig::kStatusCount ? m_status : 0;
  _ImageBorderConfig& look = config->m_statusImages[status];
  if (!look.m_strFile.IsEmpty()) look.Render(core, b);

  _ImageConfig& icon = config->m_icons[status];
  const float iw = icon.m_rcSource.Width(), ih = icon.m_rcSource.Height();
  const bool hasIcon = iw > 0 && ih > 0;
  CRect iconArea;
  if (hasIcon) {
    if (AnyInset(config->m_iconOffset)) {
      iconArea = Inset(b, config->m_iconOffset);
    } else {
      iconArea = b;
      iconArea.DeflateRect(3, 3);
    }
    if (iconArea.Height() > ih) {
      iconArea.top += (iconArea.Height() - static_cast<int>(ih)) / 2;
      iconArea.bottom = static_cast<LONG>(std::lround(iconArea.top + ih));
    }
    if (iconArea.Width() > iw) iconArea.right = static_cast<LONG>(std::lround(iconArea.left + iw));
    icon.Render(core, iconArea, nullptr);
  }

  const CString text = GetText();
  if (text.IsEmpty()) return;
  DWORD colour = IsEnabled() ? config->m_textColor : kDisabledTextColor;
  if (m_status == UIButtonStatusFocus || m_status == UIButtonStatusPress || m_status == UIButtonStatusKBFocus)
    colour = config->m_focusTextColor;
  const UINT format = DT_SINGLELINE | HorAlignFormat(config->m_nTextHorAlign) | VerAlignFormat(config->m_nTextVerAlign);
  CRect rect;
  if (AnyInset(config->m_textOffset)) {
    rect = Inset(b, config->m_textOffset);
  } else if (hasIcon) {
    rect = CRect(iconArea.right + 3, b.top + 3, b.right, b.bottom - 3);
  } else {
    rect = b;
    rect.DeflateRect(3, 3);
  }
  if (config->m_bTextShadow && m_status != UIButtonStatusNormal) {
    CRect shadow = rect;
    shadow.OffsetRect(config->m_shadowOffset.x, config->m_shadowOffset.y);
    DrawControlText(core, text, shadow, config->m_font, 0, format, config->m_shadowColor);
  }
  DrawControlText(core, text, rect, config->m_font, 0, format, colour);
}

}  // namespace UI
