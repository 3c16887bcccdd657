#include "ui/controls/ListBoxConfig.h"

#include "common/BitmapFunctions.h"
#include "ui/skin/SkinReader.h"

namespace UI {

void _ListBoxConfig::Copy(_SkinConfig* other) {
  if (other == this) return;
  Reset();
  _ItemsControlConfig::Copy(other);
}

int _ListBoxConfig::Read(CSkinReader* reader) {
  _ItemsControlConfig::Read(reader);
  return 1;
}

_SkinConfig* _ListBoxConfig::Clone() {
  auto* copy = new _ListBoxConfig;
  copy->Copy(this);
  return copy;
}

void _ListBoxItemConfig::Copy(_SkinConfig* other) {
  auto* item = dynamic_cast<_ListBoxItemConfig*>(other);
  if (item && item != this) *this = *item;
}

void _ListBoxItemConfig::Reset() {
  Common::GetDefaultLOGFONT(m_fontNormal);
  m_fontSelected = m_fontDisable = m_fontNormal;
  m_colorNormal = m_colorSelected = 0x00FFFFFF;
  m_colorDisable = 0x00A0A0A0;
  m_bkColorNormal = 0x00FFFFFF;
  m_bkSelected.Reset();
  m_textOffset = CSize(0, 0);
}

int _ListBoxItemConfig::Read(CSkinReader* reader) {
  if (!reader) return 0;
  reader->GetFont(m_fontNormal, m_colorNormal, L"FontNormal");
  reader->GetFont(m_fontSelected, m_colorSelected, L"FontSelected");
  reader->GetFont(m_fontDisable, m_colorDisable, L"FontDisable");
  reader->GetColor(m_bkColorNormal, L"BkColorNormal");
  reader->GetImage(m_bkSelected, L"BkSelected");
  reader->GetSize(m_textOffset, L"TextOffset");
  return 1;
}

_SkinConfig* _ListBoxItemConfig::Clone() {
  auto* copy = new _ListBoxItemConfig;
  copy->Copy(this);
  return copy;
}

}  // namespace UI
