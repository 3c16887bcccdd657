#pragma once
// The single-line edit's style record: the colours and 3-slice images of its
// three looks (focused, enabled without focus, disabled), the selection colours
// and the font.
#include "mfc/Afx.h"
#include "ui/image/ImageConfig.h"
#include "ui/skin/SkinConfig.h"

namespace UI {

class _EditExConfig : public _SkinConfig {
 public:
  _EditExConfig() { _EditExConfig::Reset(); }
  _EditExConfig(const _EditExConfig&) = default;
  _EditExConfig& operator=(const _EditExConfig&) = default;
  // Resets, then the font, the colours and the images of other; nothing more for null.
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  LOGFONTW m_font{};
  DWORD m_bkColor = 0xFFFFFFFF;
  // "Readonly": the look of an enabled edit without the keyboard focus.
  DWORD m_bkReadonlyColor = 0xFF9C9C9C;
  DWORD m_bkDisableColor = 0xFF9C9C9C;
  DWORD m_textColor = 0xFF000000;
  DWORD m_textSelColor = 0xFFFFFFFF;
  DWORD m_textDisableColor = 0xFFC0C0C0;
  DWORD m_selBkColor = 0xFF0000FF;
  DWORD m_borderColor = 0xFF92A5CD;
  DWORD m_readonlyBorderColor = 0xFFC0C0C0;
  DWORD m_disableBorderColor = 0xFFC0C0C0;
  _ImageEdgeConfig m_image;
  _ImageEdgeConfig m_imageReadonly;
  _ImageEdgeConfig m_imageDisable;
};

}  // namespace UI
