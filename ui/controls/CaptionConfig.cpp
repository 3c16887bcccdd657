#include "ui/controls/CaptionConfig.h"

#include "common/BitmapFunctions.h"
#include "ui/skin/SkinReader.h"

namespace UI {

void _CaptionConfig::Copy(_SkinConfig* other) {
  auto* caption = dynamic_cast<_CaptionConfig*>(other);
  if (!caption || caption == this) return;
  *this = *caption;
}

void _CaptionConfig::Reset() {
  m_bIconVisible = m_bTextVisible = 1;
  m_rcIcon.SetRectEmpty();
  m_ptTextStart = CPoint(0, 0);
  m_nTextHeight = 10;
  Common::GetDefaultLOGFONT(m_font);
  m_textColor = m_textDisableColor = 0xFF000000;
  m_iconImage.Reset();
}

int _CaptionConfig::Read(CSkinReader* reader) {
  if (!reader) return 1;
  reader->GetBool(m_bIconVisible, L"IconVisible");
  reader->GetColor(m_textDisableColor, L"TextDisableColor");
  reader->GetBool(m_bTextVisible, L"TextVisible");
  reader->GetPoint(m_ptTextStart, L"TextStartPosition");
  reader->GetRect(m_rcIcon, L"IconRect", 1);
  reader->GetInt(m_nTextHeight, L"TextHeight");
  reader->GetFont(m_font, m_textColor, L"Font");
  reader->GetImage(m_iconImage, L"Image");
  return 1;
}

_SkinConfig* _CaptionConfig::Clone() {
  auto* copy = new _CaptionConfig;
  copy->Copy(this);
  return copy;
}

}  // namespace UI
