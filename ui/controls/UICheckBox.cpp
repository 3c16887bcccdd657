#include "ui/controls/UICheckBox.h"

#include "ui/UIForm.h"
#include "ui/controls/CheckBoxConfig.h"
#include "ui/controls/ControlEvents.h"
#include "ui/controls/ControlText.h"
#include "ui/render/DXCore.h"

namespace UI {

namespace {

constexpr DWORD kDisabledTextColor = 0xFFC0C0C0;
constexpr int kDefaultMarkSize = 15;

bool AnyInset(const CRect& r) { return r.left || r.top || r.right || r.bottom; }

}  // namespace

CUICheckBox::CUICheckBox() { m_strTypeName = L"CUICheckBox"; }

_CheckBoxConfig* CUICheckBox::GetCheckConfig() { return dynamic_cast<_CheckBoxConfig*>(GetSkinConfig(CString())); }

void CUICheckBox::SetRadioMode(int radio) {
  if (_CheckBoxConfig* config = GetCheckConfig()) config->m_bRadioMode = radio;
}

void CUICheckBox::OnClick() {
  if (!IsDisabledStatus() && IsEnabled()) DispatchEvent(this, kClickEvent, this);
}

int CUICheckBox::IsChecked() const {
  return m_status == CheckNormal || m_status == CheckHover || m_status == CheckPress || m_status == CheckDisable;
}

void CUICheckBox::SetChecked(int checked, int repaint) {
  const BOOL enabled = IsEnabled();
  if (enabled)
    m_status = checked ? CheckNormal : UncheckNormal;
  else
    m_status = checked ? CheckDisable : UncheckDisable;
  if (repaint) Refresh(TRUE, nullptr);
  if (enabled) DispatchEvent(this, kChangedEvent, this);
}

void CUICheckBox::SetTempEnable(BOOL enable) {
  CUIButtonBase::SetTempEnable(enable);
  if (IsEnabled()) {
    if (m_status == UncheckDisable) m_status = UncheckNormal;
    if (m_status == CheckDisable) m_status = CheckNormal;
  } else {
    if (m_status == UncheckNormal) m_status = UncheckDisable;
    if (m_status == CheckNormal) m_status = CheckDisable;
  }
}

// --- groups -----------------------------------------------------------------

void CUICheckBox::SetGroupHelper(CUICheckBox* leader) {
  if (!leader) return;
  m_pGroupLeader = leader;
  leader->m_members.push_back(this);
}

void CUICheckBox::SetGroupRadioStatus(int refresh) {
  if (IsEnabled()) {
    m_status = CheckNormal;
    DispatchEvent(this, kChangedEvent, this);
  } else {
    m_status = CheckDisable;
  }
  if (m_pGroupLeader) {
    // By index: an event handler may make another box join the group.
    const std::vector<CUICheckBox*>& members = m_pGroupLeader->m_members;
    for (size_t i = 0; i < members.size(); ++i) {
      CUICheckBox* other = members[i];
      if (!other || other == this) continue;
      if (other->IsEnabled()) {
        other->m_status = UncheckNormal;
        other->DispatchEvent(other, kChangedEvent, other);
      } else {
        other->m_status = UncheckDisable;
      }
    }
  }
  if (!refresh) return;
  if (CUIForm* form = GetOwnerForm())
    static_cast<CUIControl*>(form)->Refresh(FALSE, nullptr);
  else
    Refresh(FALSE, nullptr);
}

CUICheckBox* CUICheckBox::GetGroupCheckedItem() {
  const int index = GetGroupCheckedItemIndex();
  return index < 0 ? nullptr : m_pGroupLeader->m_members[static_cast<size_t>(index)];
}

int CUICheckBox::GetGroupCheckedItemIndex() {
  if (!m_pGroupLeader) return -1;
  const std::vector<CUICheckBox*>& members = m_pGroupLeader->m_members;
  for (size_t i = 0; i < members.size(); ++i) {
    if (members[i] && members[i]->IsChecked()) return static_cast<int>(i);
  }
  return -1;
}

CUICheckBox* CUICheckBox::GetGroupItemByIndex(int index) {
  if (!m_pGroupLeader || index < 0 || index >= static_cast<int>(m_pGroupLeader->m_members.size())) return nullptr;
  return m_pGroupLeader->m_members[static_cast<size_t>(index)];
}

// --- input --------------------------------------------------------------------

void CUICheckBox::Toggle() {
  _CheckBoxConfig* config = GetCheckConfig();
  if (config && config->m_bRadioMode)
    SetGroupRadioStatus(1);
  else
    SetChecked(!IsChecked(), 1);
}

BOOL CUICheckBox::OnMouseMessage(UINT message, UINT, const CPoint&) {
  if (IsDisabledStatus() || !IsEnabled() || !GetCheckConfig()) return FALSE;
  switch (message) {
    case WM_LBUTTONDOWN:
      if (m_status == UncheckNormal || m_status == UncheckHover) m_status = UncheckPress;
      if (m_status == CheckNormal || m_status == CheckHover) m_status = CheckPress;
      Refresh(FALSE, nullptr);
      return TRUE;
    case WM_LBUTTONUP:
      if (m_status == UncheckPress || m_status == CheckPress) {
        Toggle();
        if (m_status == UncheckNormal) m_status = UncheckHover;
        if (m_status == CheckNormal) m_status = CheckHover;
        OnClick();
      }
      return TRUE;
    case WM_MOUSEHOVER:
      if (m_status == UncheckHover || m_status == CheckHover) return TRUE;
      if (m_status == UncheckNormal) m_status = UncheckHover;
      if (m_status == CheckNormal) m_status = CheckHover;
      Refresh(FALSE, nullptr);
      FireEvent(kMouseEnterEvent, this);
      return TRUE;
    case WM_MOUSELEAVE:
      if (m_status == UncheckHover || m_status == UncheckPress) m_status = UncheckNormal;
      if (m_status == CheckHover || m_status == CheckPress) m_status = CheckNormal;
      Refresh(FALSE, nullptr);
      FireEvent(kMouseLeaveEvent, this);
      return TRUE;
    default: return FALSE;
  }
}

BOOL CUICheckBox::OnKeyMessage(UINT message, UINT key, UINT, UINT) {
  if (!IsEnabled() || !IsVisible() || !GetCheckConfig()) return FALSE;
  if (message == WM_KEYDOWN && key == VK_SPACE) {
    Toggle();
    Refresh(FALSE, nullptr);
    return TRUE;
  }
  if (message == CUIForm::kFocusLostMsg) {
    SetKBFocused(FALSE);
    Refresh(FALSE, nullptr);
    return TRUE;
  }
  return FALSE;
}

// --- drawing ----------------------------------------------------------------

CRect CUICheckBox::TextRect(_CheckBoxConfig* config, int checkRight) {
  const CRect b = GetBounds();
  const CRect& t = config->m_textOffset;
  if (AnyInset(t)) return CRect(checkRight + t.left, b.top + t.top, b.right - t.right, b.bottom - t.bottom);
  return CRect(checkRight + 1, b.top + 1, b.right - 1, b.bottom - 1);
}

void CUICheckBox::RenderSelf(DXCore* core, const CRect*) {
  _CheckBoxConfig* config = GetCheckConfig();
  if (!config || !core) return;
  const CRect b = GetBounds();
  const int status = m_status >= 0 && m_status < _CheckBoxConfig::kStatusCount ? m_status : 0;
  _ImageConfig& background = config->m_bkImages[status];
  if (!background.m_strFile.IsEmpty()) {
    CRect dest = b;
    background.Render(core, dest, nullptr);
  }
  _ImageConfig& mark = config->m_checkImages[status];
  int w = static_cast<int>(mark.m_rcSource.Width()), h = static_cast<int>(mark.m_rcSource.Height());
  if (w == 0) w = kDefaultMarkSize;
  if (h == 0) h = kDefaultMarkSize;
  const int left = b.left + (AnyInset(config->m_iconOffset) ? config->m_iconOffset.left : 0);
  const int top = b.top + (b.Height() - h) / 2;
  CRect markRect(left, top, left + w, top + h);
  if (!mark.m_strFile.IsEmpty()) mark.Render(core, markRect, nullptr);

  const CString text = GetText();
  if (text.IsEmpty()) return;
  const DWORD colour = IsDisabledStatus() || !IsEnabled() ? kDisabledTextColor : config->m_textColor;
  const UINT format = DT_SINGLELINE | HorAlignFormat(config->m_nTextHorAlign) | VerAlignFormat(config->m_nTextVerAlign);
  CRect rect = TextRect(config, markRect.right);
  DrawControlText(core, text, rect, config->m_font, 0, format, colour);
  if (m_bKBFocused) core->DrawRectDottedOutline(&rect);
}

}  // namespace UI
