#pragma once
// The list view's style record: the padding between rows (and above the
// first in a grid), the size of a cell and the background colour.
#include "mfc/Afx.h"
#include "ui/skin/SkinConfig.h"

namespace UI {

class _UIListViewConfig : public _SkinConfig {
 public:
  _UIListViewConfig() { _UIListViewConfig::Reset(); }
  _UIListViewConfig(const _UIListViewConfig&) = default;
  _UIListViewConfig& operator=(const _UIListViewConfig&) = default;
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  int m_nItemPadding = 10;
  CSize m_itemSize{50, 50};
  DWORD m_colorBackground = 0xFFFFFFFF;
};

}  // namespace UI
