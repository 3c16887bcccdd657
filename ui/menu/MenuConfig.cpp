#include "ui/menu/MenuConfig.h"

#include "common/BitmapFunctions.h"
#include "ui/skin/SkinReader.h"

namespace UI {

void _MenuConfig::Copy(_SkinConfig* other) {
  auto* menu = dynamic_cast<_MenuConfig*>(other);
  if (menu && menu != this) *this = *menu;
}

void _MenuConfig::Reset() {
  Common::GetDefaultLOGFONT(m_font);
  m_bkColor = 0xFF70767B;
  m_textColor = m_textSelColor = 0xFFFFFFFF;
  m_textDisableColor = 0xFFA0A0A0;
  m_nIndent = 2;
  m_textOffset = CSize(6, 30);
  m_nIconSize = 18;
  m_nItemHeight = 0;
  m_bkImage.Reset();
  m_focusedImage.Reset();
  for (int i = 0; i < 5; ++i) {
    m_checkedImage[i].Reset();
    m_submenuImage[i].Reset();
  }
  m_separatorImage.Reset();
}

int _MenuConfig::Read(CSkinReader* reader) {
  if (!reader) return 0;
  reader->GetInt(m_nIndent, L"Indent");
  reader->GetSize(m_textOffset, L"TextOffset");
  reader->GetInt(m_nItemHeight, L"MenuItemHeight");
  reader->GetInt(m_nIconSize, L"IconSize");
  reader->GetImage(m_bkImage, L"BkImage");
  reader->GetImage(m_focusedImage, L"FocusedImage");
  reader->GetImage(m_separatorImage, L"SeperatorImage");
  reader->Get5StateImage(m_checkedImage, L"CheckedImage");
  reader->Get5StateImage(m_submenuImage, L"SubmenuImage");
  DWORD unusedFontColour = 0;  // the menu's colours come from "Color"
  reader->GetFont(m_font, unusedFontColour, L"Font");
  CSkinReader colours;
  if (reader->FindChild(colours, L"Color")) {
    colours.GetColor(m_bkColor, L"Background");
    colours.GetColor(m_textColor, L"Text");
    colours.GetColor(m_textSelColor, L"TextSel");
    colours.GetColor(m_textDisableColor, L"TextDisable");
  }
  return 1;
}

_SkinConfig* _MenuConfig::Clone() {
  auto* copy = new _MenuConfig;
  copy->Copy(this);
  return copy;
}

}  // namespace UI
