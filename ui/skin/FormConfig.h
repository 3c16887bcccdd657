#pragma once
// The form's style record: size limits, position, border margin, corner
// rounding, background image and colour.
#include "mfc/Afx.h"
#include "ui/image/ImageConfig.h"
#include "ui/skin/SkinConfig.h"

namespace UI {

class _FormConfig : public _SkinConfig {
 public:
  _FormConfig() { Reset(); }
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  CSize m_maxSize;
  CSize m_minSize;
  int m_bResize = 1;
  CRect m_rcPosition;
  CRect m_rcBorderMargin;
  CPoint m_roundDiameters;
  _ImageBorderConfig m_bkImage;
  DWORD m_bkColor = 0;
  int m_bFullWindow = 0;
};

}  // namespace UI
