#include "ui/UIObject.h"

namespace UI {

BOOL CUIObject::Equals(CUIObject* other) {
  if (!other) return FALSE;
  return GetType().CompareNoCase(other->GetType()) == 0 ? TRUE : FALSE;
}

CString CUIObject::ToString() {
  CString text;
  text.Format(L"Type: %s", GetType());
  return text;
}

}  // namespace UI
