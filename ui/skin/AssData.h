#pragma once
// The layout data of one control: size, margin, padding and layout code.
#include "mfc/Afx.h"

namespace UI {

// 0 none; 1-7 anchor the control inside its parent's full bounds; 100-105 dock
// it into the parent's padded rectangle (105 against the full bounds).
enum AnchorStyle : unsigned int {
  AnchorNone = 0,
  AnchorTopLeft = 1,
  AnchorTopRight = 2,
  AnchorBottomLeft = 3,
  AnchorBottomRight = 4,
  AnchorTopCenter = 5,
  AnchorCenter = 6,
  AnchorBottomCenter = 7,
  DockTop = 100,
  DockBottom = 101,
  DockLeft = 102,
  DockRight = 103,
  DockFill = 104,
  DockCaption = 105,
};

struct _AssData {
  CSize m_size{0, 0};
  CRect m_margin;
  CRect m_padding;
  unsigned int m_anchor = AnchorNone;
};

}  // namespace UI
