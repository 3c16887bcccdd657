#pragma once
// The label's style record: background image, font and colours, alignment
// (as DT_* flags), line mode, hyperlink look and address, and whether the
// pointer's entering and leaving are reported.
#include "mfc/Afx.h"
#include "ui/image/ImageConfig.h"
#include "ui/skin/SkinConfig.h"

namespace UI {

class _LabelConfig : public _SkinConfig {
 public:
  _LabelConfig() { _LabelConfig::Reset(); }
  _LabelConfig(const _LabelConfig&) = default;
  _LabelConfig& operator=(const _LabelConfig&) = default;
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  _ImageConfig m_bkImage;
  LOGFONTW m_font{};
  DWORD m_textColor = 0xFF000000;
  DWORD m_reverseTextColor = 0xFFFFFFFF;
  // DT_LEFT, DT_CENTER or DT_RIGHT; DT_TOP, DT_VCENTER or DT_BOTTOM.
  int m_nHorFormat = 0;
  int m_nVerFormat = 0;
  int m_bSingleLine = 1;
  int m_bHyperLink = 0;
  int m_bAlwaysShowHyperLine = 0;
  int m_bReverse = 0;
  CString m_strURL;
  int m_bSendEnterAndLeave = 0;
};

}  // namespace UI
