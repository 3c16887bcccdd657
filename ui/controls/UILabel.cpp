#include "ui/controls/UILabel.h"

#include <cstdlib>

#include "common/WebShell.h"
#include "ui/UIForm.h"
#include "ui/controls/ControlEvents.h"
#include "ui/controls/ControlText.h"
#include "ui/controls/LabelConfig.h"
#include "ui/controls/UniscribeBuffer.h"
#include "ui/render/DXCore.h"
#include "win32/Cursor.h"

namespace UI {

namespace {

constexpr int kShowMaximized = 3;

}  // namespace

CUILabel::CUILabel() { m_strTypeName = L"CUILabel"; }

_LabelConfig* CUILabel::GetLabelConfig() { return dynamic_cast<_LabelConfig*>(GetSkinConfig(CString())); }

BOOL CUILabel::OnMouseMessage(UINT message, UINT, const CPoint&) {
  _LabelConfig* config = GetLabelConfig();
  if (!config) return FALSE;
  switch (message) {
    case WM_LBUTTONDOWN: m_bPressed = TRUE; return TRUE;
    case WM_LBUTTONUP:
      if (m_bPressed) {
        m_bPressed = FALSE;
        OnClick();
      }
      return TRUE;
    case WM_MOUSEHOVER:
    case WM_MOUSELEAVE: {
      m_bPressed = FALSE;
      if (!IsEnabled()) return FALSE;
      const bool entering = message == WM_MOUSEHOVER;
      if (config->m_bSendEnterAndLeave) FireEvent(entering ? kMouseEnterEvent : kMouseLeaveEvent, this);
      m_bOver = entering ? TRUE : FALSE;
      if (config->m_bReverse) Refresh(FALSE, nullptr);
      return TRUE;
    }
    default: return FALSE;
  }
}

BOOL CUILabel::OnKeyMessage(UINT message, UINT key, UINT, UINT) {
  if (!IsEnabled() || !IsVisible()) return FALSE;
  if (message == WM_KEYDOWN && key == VK_RETURN) {
    OnClick();
    return TRUE;
  }
  if (message == CUIForm::kFocusLostMsg) {
    SetKBFocused(FALSE);
    Refresh(FALSE, nullptr);
    return TRUE;
  }
  return FALSE;
}

void CUILabel::OnClick() {
  _LabelConfig* config = GetLabelConfig();
  if (!config || !IsEnabled()) return;
  if (config->m_bHyperLink && !config->m_strURL.IsEmpty()) Common::SafeOpenWeb(config->m_strURL, kShowMaximized);
  DispatchEvent(this, kClickEvent, this);
}

BOOL CUILabel::OnSetCursor(UINT, UINT) {
  _LabelConfig* config = GetLabelConfig();
  if (!config || !config->m_bHyperLink) return FALSE;
  ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
  return TRUE;
}

void CUILabel::SetHyperLinkMode(int on, CString url, int alwaysUnderlined) {
  _LabelConfig* config = GetLabelConfig();
  if (!config) return;
  config->m_bHyperLink = on;
  config->m_strURL = url;
  config->m_bAlwaysShowHyperLine = alwaysUnderlined;
}

void CUILabel::SetAlignmentHor(int format) {
  if (_LabelConfig* config = GetLabelConfig()) config->m_nHorFormat = format;
}

void CUILabel::SetAlignmentVer(int format) {
  if (_LabelConfig* config = GetLabelConfig()) config->m_nVerFormat = format;
}

void CUILabel::SetTextColor(DWORD argb) {
  if (_LabelConfig* config = GetLabelConfig()) config->m_textColor = argb;
}

void CUILabel::SetFontBold(int bold) {
  if (_LabelConfig* config = GetLabelConfig()) config->m_font.lfWeight = bold ? 700 : 400;
}

void CUILabel::SetMultiLine(int multiLine) {
  if (_LabelConfig* config = GetLabelConfig()) config->m_bSingleLine = multiLine ? 0 : 1;
}

CSize CUILabel::GetTextSize() {
  _LabelConfig* config = GetLabelConfig();
  if (m_strText.IsEmpty() || !GetOwnerForm() || !config) return CSize(0, 0);
  // A font height may be given negative (a character height): a size takes its magnitude.
  const int height = std::abs(static_cast<int>(config->m_font.lfHeight));
  CUniscribeBuffer::LoadUniscribe();  // a label may measure before any edit has bound it
  CUniscribeBuffer buffer(m_strText.GetLength() + 1);
  if (!buffer.AssignText(m_strText)) return CSize(0, height);
  buffer.m_hDC = GetOwnerForm()->GetRenderContext()->GetHDCFont();
  buffer.m_font = config->m_font;
  int x = 0;
  // Without the script library the width stays 0.
  if (FAILED(buffer.CaretToX(buffer.GetLength() - 1, TRUE, &x))) x = 0;
  return CSize(x, height);
}

void CUILabel::RenderSelf(DXCore* core, const CRect*) {
  _LabelConfig* config = GetLabelConfig();
  if (!config || !core) return;
  CRect b = GetBounds();
  if (!config->m_bkImage.m_strFile.IsEmpty()) config->m_bkImage.Render(core, b, nullptr);
  const DWORD colour =
      IsEnabled() && config->m_bReverse && m_bOver ? config->m_reverseTextColor : config->m_textColor;
  config->m_font.lfUnderline = config->m_bAlwaysShowHyperLine || (config->m_bHyperLink && m_bOver) ? 1 : 0;
  const UINT format = static_cast<UINT>(config->m_nVerFormat | config->m_nHorFormat) |
                      (config->m_bSingleLine ? DT_SINGLELINE : DT_WORDBREAK) | DT_EXTERNALLEADING;
  DrawControlText(core, m_strText, b, config->m_font, config->m_font.lfUnderline, format, colour);
  if (m_bKBFocused) core->DrawRectDottedOutline(&b);
}

}  // namespace UI
