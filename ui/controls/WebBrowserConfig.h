#pragma once
// The web browser control's style record: a background image, read but not drawn
// (the page covers the control).
#include "ui/image/ImageConfig.h"
#include "ui/skin/SkinConfig.h"

namespace UI {

class _WebBrowserConfig : public _SkinConfig {
 public:
  _WebBrowserConfig() { _WebBrowserConfig::Reset(); }
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  _ImageConfig m_bkImage;
};

}  // namespace UI
