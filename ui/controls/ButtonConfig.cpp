#include "ui/controls/ButtonConfig.h"

#include "common/BitmapFunctions.h"
#include "ui/skin/SkinReader.h"
#include "win32/GdiText.h"

namespace UI {

UINT HorAlignFormat(int code) {
  return code == TextAlignStart ? DT_LEFT : code == TextAlignEnd ? DT_RIGHT : DT_CENTER;
}

UINT VerAlignFormat(int code) {
  return code == TextAlignStart ? DT_TOP : code == TextAlignEnd ? DT_BOTTOM : DT_VCENTER;
}

void _ButtonConfig::Copy(_SkinConfig* other) {
  auto* button = dynamic_cast<_ButtonConfig*>(other);
  if (!other || other == this) return;
  Reset();
  if (button) *this = *button;
}

void _ButtonConfig::Reset() {
  for (auto& image : m_statusImages) image.Reset();
  for (auto& icon : m_icons) icon.Reset();
  m_textColor = m_focusTextColor = 0xFF000000;
  m_bTextShadow = 0;
  m_shadowColor = 0xFF000000;
  Common::GetDefaultLOGFONT(m_font);
  m_iconOffset.SetRectEmpty();
  m_textOffset.SetRectEmpty();
  m_nTextHorAlign = m_nTextVerAlign = 0;
  m_bRepeat = 0;
  m_bkColor = 0;
}

int _ButtonConfig::Read(CSkinReader* reader) {
  if (!reader) return 1;
  static const wchar_t* const kStatusNames[kStatusCount] = {L"Normal", L"Focus", L"Press", L"Disable", L"KBFocus"};
  reader->GetColor(m_bkColor, L"BkColor");
  for (int i = 0; i < kStatusCount; ++i) reader->GetImage(m_statusImages[i], kStatusNames[i]);
  reader->Get5StateImage(m_icons, L"Icon");
  reader->GetFont(m_font, m_textColor, L"Font");
  m_focusTextColor = m_textColor;
  reader->GetColor(m_focusTextColor, L"ColorTextFocus");
  CString present;
  if (reader->GetString(present, L"IsTextShadow")) {
    reader->GetBool(m_bTextShadow, L"IsTextShadow");
    reader->GetColor(m_shadowColor, L"ColorTextShadow");
    m_shadowOffset = CPoint(1, 1);
    reader->GetPoint(m_shadowOffset, L"TextShadowOffset");
  }
  reader->GetBool(m_bRepeat, L"IsRepeate");
  reader->GetRect(m_iconOffset, L"IconOffset", 1);
  reader->GetRect(m_textOffset, L"TextOffset", 1);
  reader->GetInt(m_nTextHorAlign, L"TextHorAlign");
  reader->GetInt(m_nTextVerAlign, L"TextVerAlign");
  return 1;
}

_SkinConfig* _ButtonConfig::Clone() {
  auto* copy = new _ButtonConfig;
  copy->Copy(this);
  return copy;
}

}  // namespace UI
