#pragma once
// A panel that fills lines (rows when horizontal, else columns) with its
// children and starts a new line when the next child would not fit. The
// style's item size, where non-zero, replaces the children's sizes.
#include "ui/controls/UIPanel.h"

namespace UI {

class CUIWrapPanel : public CUIPanel {
 public:
  CUIWrapPanel();
  void ArrangeAllSubControls() override;
  // Places children [first, end) along one line that starts `offset` from the
  // content's edge across the lines and is `lineSize` thick; each child takes
  // the item size along the line when useItemSize is set, else its own size.
  virtual void ArrangeControl(int offset, int lineSize, int first, int end, int useItemSize, int itemSize);
};

}  // namespace UI
