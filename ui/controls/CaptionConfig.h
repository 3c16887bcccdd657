#pragma once
// The caption bar's style record: whether the icon and the window title show,
// where (icon rectangle from the caption's corner, text start in form client
// coordinates), the title's font and colours, and the icon's image.
#include "mfc/Afx.h"
#include "ui/image/ImageConfig.h"
#include "ui/skin/SkinConfig.h"

namespace UI {

class _CaptionConfig : public _SkinConfig {
 public:
  _CaptionConfig() { _CaptionConfig::Reset(); }
  _CaptionConfig(const _CaptionConfig&) = default;
  _CaptionConfig& operator=(const _CaptionConfig&) = default;
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  int m_bIconVisible = 1;
  int m_bTextVisible = 1;
  CRect m_rcIcon;
  CPoint m_ptTextStart{0, 0};
  int m_nTextHeight = 10;
  LOGFONTW m_font{};
  DWORD m_textColor = 0xFF000000;
  // The title's colour while the form is inactive.
  DWORD m_textDisableColor = 0xFF000000;
  _ImageConfig m_iconImage;
};

}  // namespace UI
