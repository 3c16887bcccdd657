#pragma once
// One skin of the theme: its folder under Theme, the name the user sees, and a
// third text that only the three-text constructor fills.
#include "mfc/Afx.h"

namespace UI {

struct SkinItem {
  SkinItem() = default;
  SkinItem(const CString& name, const CString& text) : m_strName(name), m_strText(text) {}
  SkinItem(const CString& name, const CString& text, const CString& third)
      : m_strName(name), m_strText(text), m_strThird(third) {}

  CString m_strName;
  CString m_strText;
  CString m_strThird;
};

}  // namespace UI
