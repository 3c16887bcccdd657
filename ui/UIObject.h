#pragma once
// The root of the framework's object model: a type name, compared without
// regard to case.
#include "mfc/Afx.h"

namespace UI {

class CUIObject {
 public:
  CUIObject() = default;
  CUIObject(const CUIObject&) = default;
  CUIObject& operator=(const CUIObject&) = default;
  virtual ~CUIObject() = default;

  virtual CString GetType() = 0;
  // 0 for null, else 1 when both type names match ignoring case.
  virtual BOOL Equals(CUIObject* other);
  virtual CString ToString();
};

}  // namespace UI
