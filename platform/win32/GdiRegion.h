#pragma once
// Region objects: a set of pixels kept as non-overlapping rectangles (a JUCE rectangle list),
// in logical coordinates; right and bottom edges lie outside, as with RECT.
#include <juce_graphics/juce_graphics.h>

#include "win32/GdiObject.h"

namespace win32 {

class GdiRegion : public GdiObject {
 public:
  GdiRegion() = default;
  explicit GdiRegion(juce::RectangleList<int> area) : m_area(std::move(area)) {}
  DWORD Type() const override { return OBJ_REGION; }
  int Describe(int, void*) const override { return 0; }
  juce::RectangleList<int>& Area() { return m_area; }
  const juce::RectangleList<int>& Area() const { return m_area; }
  // NULLREGION, SIMPLEREGION or COMPLEXREGION.
  int Complexity() const;

 private:
  juce::RectangleList<int> m_area;
};

}  // namespace win32
