#pragma once
// Device contexts: the screen's, and memory DCs that draw into the bitmap selected into them.
// A DC remembers what is selected; drawing operations (the UI layer's) reach the bitmap
// through SelectedBitmap().
#include "win32/GdiObject.h"

namespace win32 {

class GdiDc : public GdiObject {
 public:
  explicit GdiDc(bool memory) : m_memory(memory) {}
  DWORD Type() const override { return m_memory ? OBJ_MEMDC : OBJ_DC; }
  int Describe(int, void*) const override { return 0; }
  bool IsMemory() const { return m_memory; }
  HBITMAP SelectedBitmap() const { return m_bitmap; }
  HFONT SelectedFont() const { return m_font; }
  HBITMAP SelectBitmap(HBITMAP bitmap);
  HFONT SelectFont(HFONT font);

 private:
  bool m_memory;
  HBITMAP m_bitmap = nullptr;  // null: the 1x1 default of a new memory DC
  HFONT m_font = nullptr;      // null: the GUI font
};

}  // namespace win32
