#include "ui/controls/EditExConfig.h"

#include "common/BitmapFunctions.h"
#include "ui/skin/SkinReader.h"

namespace UI {

void _EditExConfig::Copy(_SkinConfig* other) {
  if (other == this) return;
  Reset();
  if (auto* edit = dynamic_cast<_EditExConfig*>(other)) *this = *edit;
}

void _EditExConfig::Reset() {
  Common::GetDefaultLOGFONT(m_font);
  m_bkColor = 0xFFFFFFFF;
  m_bkReadonlyColor = m_bkDisableColor = 0xFF9C9C9C;
  m_textColor = 0xFF000000;
  m_textSelColor = 0xFFFFFFFF;
  m_textDisableColor = 0xFFC0C0C0;
  m_selBkColor = 0xFF0000FF;
  m_borderColor = 0xFF92A5CD;
  m_readonlyBorderColor = m_disableBorderColor = 0xFFC0C0C0;
  m_image.Reset();
  m_imageReadonly.Reset();
  m_imageDisable.Reset();
}

int _EditExConfig::Read(CSkinReader* reader) {
  if (!reader) return 1;
  reader->GetColor(m_bkColor, L"BkColor");
  reader->GetColor(m_bkReadonlyColor, L"BkReadonlyColor");
  reader->GetColor(m_bkDisableColor, L"BkDisableColor");
  reader->GetColor(m_borderColor, L"BorderColor");
  reader->GetColor(m_textDisableColor, L"TextDisableColor");
  reader->GetColor(m_selBkColor, L"SelBkColor");
  reader->GetColor(m_textColor, L"TextNormalColor");
  reader->GetColor(m_textSelColor, L"TextSelColor");
  reader->GetColor(m_readonlyBorderColor, L"ReadonlyBorderColor");
  reader->GetColor(m_disableBorderColor, L"DisableBorderColor");
  reader->GetImage(m_image, L"Image");
  reader->GetImage(m_imageDisable, L"ImageDisable");
  reader->GetImage(m_imageReadonly, L"ImageReadonly");
  reader->GetFont(m_font, m_textColor, L"Font");
  return 1;
}

_SkinConfig* _EditExConfig::Clone() {
  auto* copy = new _EditExConfig;
  copy->Copy(this);
  return copy;
}

}  // namespace UI
