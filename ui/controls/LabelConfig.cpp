#include "ui/controls/LabelConfig.h"

#include "common/BitmapFunctions.h"
#include "ui/skin/SkinReader.h"
#include "win32/GdiText.h"

namespace UI {

void _LabelConfig::Copy(_SkinConfig* other) {
  if (!other || other == this) return;
  Reset();
  if (auto* label = dynamic_cast<_LabelConfig*>(other)) *this = *label;
}

void _LabelConfig::Reset() {
  m_bkImage.Reset();
  Common::GetDefaultLOGFONT(m_font);
  m_textColor = 0xFF000000;
  m_reverseTextColor = 0xFFFFFFFF;
  m_nHorFormat = m_nVerFormat = 0;
  m_bSingleLine = 1;
  m_bHyperLink = m_bAlwaysShowHyperLine = m_bReverse = 0;
  m_strURL.Empty();
  m_bSendEnterAndLeave = 0;
}

int _LabelConfig::Read(CSkinReader* reader) {
  if (!reader) return 1;
  reader->GetImage(m_bkImage, L"BkImage");
  reader->GetFont(m_font, m_textColor, L"Font");
  CString present;
  if (reader->GetString(present, L"TextAlign")) {
    CPoint align(-1, -1);
    reader->GetPoint(align, L"TextAlign");
    m_nHorFormat = align.x == 0 ? DT_LEFT : align.x == 2 ? DT_RIGHT : DT_CENTER;
    m_nVerFormat = align.y == 0 ? DT_TOP : align.y == 2 ? DT_BOTTOM : DT_VCENTER;
  }
  reader->GetBool(m_bSendEnterAndLeave, L"SendEnterAndLeave");
  reader->GetBool(m_bReverse, L"IsReverse");
  reader->GetBool(m_bHyperLink, L"IsHyperLink");
  reader->GetBool(m_bSingleLine, L"IsSingleLine");
  reader->GetBool(m_bAlwaysShowHyperLine, L"IsAlwaysShowHyperLine");
  reader->GetColor(m_reverseTextColor, L"ReverseTextColor");
  CString url;
  if (reader->GetString(url, L"URL")) m_strURL = url;
  return 1;
}

_SkinConfig* _LabelConfig::Clone() {
  auto* copy = new _LabelConfig;
  copy->Copy(this);
  return copy;
}

}  // namespace UI
