#pragma once
// What a scrolling control offers its scroll bars: it owns the offset, the
// extent and the viewport (pixels) and knows what a line and a page are.
#include "mfc/Afx.h"

namespace UI {

struct IScrollInfo {
  IScrollInfo() = default;
  IScrollInfo(const IScrollInfo&) = default;
  IScrollInfo& operator=(const IScrollInfo&) = default;

  virtual void LineUp() = 0;
  virtual void LineDown() = 0;
  virtual void LineLeft() = 0;
  virtual void LineRight() = 0;
  virtual void PageUp() = 0;
  virtual void PageDown() = 0;
  virtual void PageLeft() = 0;
  virtual void PageRight() = 0;
  // Scrolls to the bars' values.
  virtual void ThumbTrack() = 0;
  virtual void SetVerticalOffset(int offset) = 0;
  virtual void SetHorizontalOffset(int offset) = 0;
  // Clamps the offsets and configures the bars.
  virtual void UpdateScrollInfo(CSize viewport) = 0;
  virtual void CalculateExtentSize(CSize size) = 0;
  virtual void CalculateViewportSize(CSize size) = 0;

 protected:
  ~IScrollInfo() = default;
};

}  // namespace UI
