#pragma once
// The multi-line edit's style record: font and text colours, row and
// selection backgrounds, the space between rows and the rows' horizontal
// alignment (0 left, 1 centred, 2 right).
#include "mfc/Afx.h"
#include "ui/skin/SkinConfig.h"

namespace UI {

class _MultiEditConfig : public _SkinConfig {
 public:
  _MultiEditConfig() { _MultiEditConfig::Reset(); }
  _MultiEditConfig(const _MultiEditConfig&) = default;
  _MultiEditConfig& operator=(const _MultiEditConfig&) = default;
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  // 0 without a reader.
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  // All zero until a skin names one: a height of 0 until then.
  LOGFONTW m_font{};
  DWORD m_textColor = 0xFF000000;
  DWORD m_selectedTextColor = 0xFFFFFFFF;
  // Alpha 0: rows draw no background.
  DWORD m_rowBackground = 0x00FFFFFF;
  DWORD m_selectionBackground = 0xFF000000;
  int m_nLineSpacing = 5;
  int m_nFormatHor = 0;
};

}  // namespace UI
