#pragma once
// Font objects: a font is its LOGFONTW description here; the text layer that measures and
// draws with it turns the description into a JUCE font.
#include "win32/GdiObject.h"

namespace win32 {

class GdiFont : public GdiObject {
 public:
  explicit GdiFont(const LOGFONTW& description) : m_description(description) {}
  DWORD Type() const override { return OBJ_FONT; }
  int Describe(int size, void* buffer) const override;
  const LOGFONTW& Description() const { return m_description; }

 private:
  LOGFONTW m_description;
};

// The system's GUI font: 12 pixels high (cell height -12), normal weight, "MS Shell Dlg".
LOGFONTW DefaultGuiLogFont();

}  // namespace win32
