#pragma once
// CBitmap: a bitmap handle owned by its object.
#include "mfc/CGdiObject.h"

class CBitmap : public CGdiObject {
 public:
  operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
  int GetBitmap(BITMAP* bitmap) const { return GetObject(sizeof(BITMAP), bitmap); }
};
