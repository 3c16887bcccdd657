#include "ui/controls/CheckBoxConfig.h"

#include "common/BitmapFunctions.h"
#include "ui/skin/SkinReader.h"

namespace UI {

void _CheckBoxConfig::Copy(_SkinConfig* other) {
  if (!other || other == this) return;
  Reset();
  if (auto* box = dynamic_cast<_CheckBoxConfig*>(other)) *this = *box;
}

void _CheckBoxConfig::Reset() {
  for (auto& image : m_checkImages) image.Reset();
  for (auto& image : m_bkImages) image.Reset();
  Common::GetDefaultLOGFONT(m_font);
  m_textColor = 0xFF000000;
  m_nTextHorAlign = 0;
  m_nTextVerAlign = 4;
  m_iconOffset.SetRectEmpty();
  m_textOffset.SetRectEmpty();
  m_bRadioMode = 0;
}

int _CheckBoxConfig::Read(CSkinReader* reader) {
  if (!reader) return 1;
  reader->Get8StateImage(m_checkImages, L"CheckImage");
  reader->Get8StateImage(m_bkImages, L"BKImage");
  reader->GetFont(m_font, m_textColor, L"Font");
  reader->GetInt(m_nTextHorAlign, L"TextHorAlign");
  reader->GetInt(m_nTextVerAlign, L"TextVerAlign");
  reader->GetRect(m_textOffset, L"TextOffset", 1);
  reader->GetRect(m_iconOffset, L"IconOffset", 1);
  reader->GetBool(m_bRadioMode, L"RadioMode");
  return 1;
}

_SkinConfig* _CheckBoxConfig::Clone() {
  auto* copy = new _CheckBoxConfig;
  copy->Copy(this);
  return copy;
}

}  // namespace UI
