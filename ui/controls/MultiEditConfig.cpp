#include "ui/controls/MultiEditConfig.h"

#include "ui/skin/SkinReader.h"

namespace UI {

void _MultiEditConfig::Copy(_SkinConfig* other) {
  if (!other || other == this) return;
  Reset();
  if (auto* edit = dynamic_cast<_MultiEditConfig*>(other)) *this = *edit;
}

void _MultiEditConfig::Reset() {
  m_font = LOGFONTW{};
  m_textColor = 0xFF000000;
  m_selectedTextColor = 0xFFFFFFFF;
  m_rowBackground = 0x00FFFFFF;
  m_selectionBackground = 0xFF000000;
  m_nLineSpacing = 5;
  m_nFormatHor = 0;
}

int _MultiEditConfig::Read(CSkinReader* reader) {
  if (!reader) return 0;
  reader->GetColor(m_textColor, L"FrontNormal");
  reader->GetColor(m_selectedTextColor, L"FrontHigh");
  reader->GetColor(m_rowBackground, L"BackgroundNormal");
  reader->GetColor(m_selectionBackground, L"BackgroundHigh");
  reader->GetInt(m_nLineSpacing, L"LineSpacing");
  reader->GetInt(m_nFormatHor, L"FormatHor");
  reader->GetFont(m_font, m_textColor, L"Font");
  return 1;
}

_SkinConfig* _MultiEditConfig::Clone() {
  auto* copy = new _MultiEditConfig;
  copy->Copy(this);
  return copy;
}

}  // namespace UI
