#pragma once
// The style records of buttons: the clickable base's (no values of its own)
// and the push button's (status images, icon, text look, repeat, background).
#include "mfc/Afx.h"
#include "ui/image/ImageConfig.h"
#include "ui/skin/SkinConfig.h"

namespace UI {

class _ButtonBaseConfig : public _SkinConfig {
 public:
  _ButtonBaseConfig() = default;
  void Copy(_SkinConfig*) override { Reset(); }
  void Reset() override {}
  int Read(CSkinReader*) override { return 1; }
  _SkinConfig* Clone() override { return new _ButtonBaseConfig; }
};

// Text alignment codes of the skin: 0 start, 2 end, anything else centred.
enum TextAlignCode : int { TextAlignStart = 0, TextAlignEnd = 2 };

// The DT_* flags of a horizontal and a vertical alignment code.
UINT HorAlignFormat(int code);
UINT VerAlignFormat(int code);

class _ButtonConfig : public _ButtonBaseConfig {
 public:
  static constexpr int kStatusCount = 5;

  _ButtonConfig() { _ButtonConfig::Reset(); }
  _ButtonConfig(const _ButtonConfig&) = default;
  _ButtonConfig& operator=(const _ButtonConfig&) = default;
  // Resets, then every value of other; nothing for null.
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  // Indexed by the button's status.
  _ImageBorderConfig m_statusImages[kStatusCount];
  _ImageConfig m_icons[kStatusCount];
  DWORD m_textColor = 0xFF000000;
  DWORD m_focusTextColor = 0xFF000000;
  int m_bTextShadow = 0;
  CPoint m_shadowOffset{1, 1};
  DWORD m_shadowColor = 0xFF000000;
  LOGFONTW m_font{};
  // Insets: left, top, right, bottom.
  CRect m_iconOffset;
  CRect m_textOffset;
  int m_nTextHorAlign = 0;
  int m_nTextVerAlign = 0;
  int m_bRepeat = 0;
  DWORD m_bkColor = 0;
};

}  // namespace UI
