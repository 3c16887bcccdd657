#pragma once
// Style records of the list box (an items-control record) and of its rows
// (fonts and colours of the normal, selected and disabled looks, the normal
// background colour, the selected background and the text offset).
#include "ui/controls/ItemsControlConfig.h"

namespace UI {

class _ListBoxConfig : public _ItemsControlConfig {
 public:
  // Resets, then the image, item size and item style of other.
  void Copy(_SkinConfig* other) override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;
};

class _ListBoxItemConfig : public _SkinConfig {
 public:
  _ListBoxItemConfig() { _ListBoxItemConfig::Reset(); }
  _ListBoxItemConfig(const _ListBoxItemConfig&) = default;
  _ListBoxItemConfig& operator=(const _ListBoxItemConfig&) = default;
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  LOGFONTW m_fontNormal{};
  LOGFONTW m_fontSelected{};
  LOGFONTW m_fontDisable{};
  DWORD m_colorNormal = 0x00FFFFFF;
  DWORD m_colorSelected = 0x00FFFFFF;
  DWORD m_colorDisable = 0x00A0A0A0;
  DWORD m_bkColorNormal = 0x00FFFFFF;
  _ImageBorderConfig m_bkSelected;
  CSize m_textOffset;
};

}  // namespace UI
