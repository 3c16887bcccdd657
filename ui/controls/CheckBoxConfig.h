#pragma once
// The style records of the check box and the radio button: eight-state check
// and background images, the text look, offsets and the radio mode.
#include "mfc/Afx.h"
#include "ui/controls/ButtonConfig.h"

namespace UI {

class _CheckBoxConfig : public _ButtonBaseConfig {
 public:
  static constexpr int kStatusCount = 8;

  _CheckBoxConfig() { _CheckBoxConfig::Reset(); }
  _CheckBoxConfig(const _CheckBoxConfig&) = default;
  _CheckBoxConfig& operator=(const _CheckBoxConfig&) = default;
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  // Indexed by the box's status.
  _ImageConfig m_checkImages[kStatusCount];
  _ImageConfig m_bkImages[kStatusCount];
  LOGFONTW m_font{};
  DWORD m_textColor = 0xFF000000;
  int m_nTextHorAlign = 0;
  int m_nTextVerAlign = 4;
  // Insets: left, top, right, bottom.
  CRect m_iconOffset;
  CRect m_textOffset;
  int m_bRadioMode = 0;
};

// The default record of "CUIRadioButton"; its clones are check-box records.
class _RadioButtonConfig : public _CheckBoxConfig {};

}  // namespace UI
