#pragma once
// The page's style record: whether the page starts visible, the IDs of its
// previous and next pages (siblings) and of the buttons inside it that move.
#include "mfc/Afx.h"
#include "ui/skin/SkinConfig.h"

namespace UI {

class _PageConfig : public _SkinConfig {
 public:
  _PageConfig() { _PageConfig::Reset(); }
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  // The four IDs are read whole: an attribute the element lacks empties its ID.
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  int m_bDefaultVisible = 0;
  CString m_strPrevPageID;
  CString m_strNextPageID;
  CString m_strPrevPageButtonID;
  CString m_strNextPageButtonID;
};

}  // namespace UI
