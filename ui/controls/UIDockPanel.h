#pragma once
// A panel that stacks its children against its edges in list order, each by
// its dock side, the last one (when the style says so) filling what is left.
#include "ui/controls/UIPanel.h"

namespace UI {

enum DOCK : int { DOCK_LEFT = 0, DOCK_TOP = 1, DOCK_RIGHT = 2, DOCK_BOTTOM = 3 };

class CUIDockPanel : public CUIPanel {
 public:
  CUIDockPanel();
  void ArrangeAllSubControls() override;
  // The child's side from its layout code: top, bottom and right codes name
  // their side, every other code (fill and the anchors included) is left.
  static DOCK GetDock(CUIControl* child);
};

}  // namespace UI
