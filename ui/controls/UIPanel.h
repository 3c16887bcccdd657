#pragma once
// A container that draws a background (colour, then 9-slice image) and lets the
// control tree's default arrangement place its children. A click on the bare
// panel reaches the control behind it. Base of the arranging panels.
#include "ui/UIControl.h"

namespace UI {

class _PanelConfig;

class CUIPanel : public CUIControl {
 public:
  CUIPanel();
  void RenderSelf(DXCore* core, const CRect* clip) override;

 protected:
  // The style record as a panel's, or null.
  _PanelConfig* GetPanelConfig();
  // The arranging panels' common start: the padded bounds, false (arrange
  // nothing) without children, without a style record or for empty content.
  bool GetContentToArrange(CRect& content);
  // The child takes the rectangle and arranges its own children.
  static void PlaceChild(CUIControl* child, const CRect& bounds);
};

}  // namespace UI
