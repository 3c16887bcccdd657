#pragma once
// The popup menu's style record: font and text colours, indent, text offset,
// icon size, row height, and its pictures (background, selection, check mark,
// sub-menu arrow, separator). Looked up as a "CUIMenu" style.
#include "ui/image/ImageConfig.h"
#include "ui/skin/SkinConfig.h"

namespace UI {

class _MenuConfig : public _SkinConfig {
 public:
  _MenuConfig() { _MenuConfig::Reset(); }
  _MenuConfig(const _MenuConfig&) = default;
  _MenuConfig& operator=(const _MenuConfig&) = default;

  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  LOGFONTW m_font{};
  DWORD m_bkColor = 0xFF70767B;  // kept; drawing does not use it
  DWORD m_textColor = 0xFFFFFFFF;
  DWORD m_textSelColor = 0xFFFFFFFF;
  DWORD m_textDisableColor = 0xFFA0A0A0;
  int m_nIndent = 2;
  // cx: the gap before the text; cy: extra width reserved after it.
  CSize m_textOffset{6, 30};
  // Upper bound of the drawn check, icon and arrow pictures.
  int m_nIconSize = 18;
  int m_nItemHeight = 0;
  _ImageBorderConfig m_bkImage;
  _ImageEdgeConfig m_focusedImage;
  _ImageConfig m_checkedImage[5];  // Normal, Focus, Press, Disable, KBFocus
  _ImageConfig m_submenuImage[5];
  _ImageEdgeConfig m_separatorImage;
};

}  // namespace UI
