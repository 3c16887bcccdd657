#pragma once
// A panel that lines its children up in one row (horizontal) or column, each
// centred across the line; it neither wraps nor shortens them.
#include "ui/controls/UIPanel.h"

namespace UI {

class CUIStackPanel : public CUIPanel {
 public:
  CUIStackPanel();
  void ArrangeAllSubControls() override;
};

}  // namespace UI
