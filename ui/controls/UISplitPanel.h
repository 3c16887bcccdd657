#pragma once
// Two panes (the first two children) with a bar between them that the user
// drags within the style's range. The bar is computed from the style's
// position whenever the panel is arranged, so a drag lasts until the next
// arrangement. Horizontal (side by side) by default; vertical stacks the panes.
#include "ui/controls/UIPanel.h"

namespace UI {

class _SplitPanelConfig;

class CUISplitPanel : public CUIPanel {
 public:
  // 0 no cursor of its own, 1 arrow, 2 west-east, 3 north-south.
  enum CursorState : int { CursorNone = 0, CursorArrow = 1, CursorSizeWE = 2, CursorSizeNS = 3 };
  static constexpr int kBarThickness = 10;

  CUISplitPanel();

  void ArrangeSelf(CRect* available, CRect* parentBounds) override;
  void ArrangeAllSubControls() override;
  void RenderAfterSubCtrls(DXCore* core, const CRect* clip, const CRect* paint) override;
  // Answers every mouse message.
  BOOL OnMouseMessage(UINT message, UINT flags, const CPoint& point) override;
  CUIControl* FindControlUnderPoint(const CPoint& point) override;
  BOOL OnSetCursor(UINT hitTest, UINT message) override;

  // The bar from the style's position and the bounds (needs both).
  void SetThumbRect();
  // The panes meet at the bar and arrange their children.
  void SetLeftRightWidth();
  void OnLButtonDown(UINT flags, const CPoint& point);
  void OnLButtonUp(UINT flags, const CPoint& point);
  void OnMouseMove(UINT flags, const CPoint& point);
  void OnMouseLeave(UINT flags, const CPoint& point);
  // Into the style record (nothing without one); nothing is re-arranged.
  void SetOriFirSubConPixel(int pixels);
  void SetMinFirSubConPixel(int pixels);
  void SetMaxFirSubConPixel(int pixels);

  CRect GetThumbRect() const { return m_rcThumb; }
  int GetCursorState() const { return m_nCursorState; }
  BOOL IsDragging() const { return m_bDragging; }

 protected:
  // Takes the first two children as the panes; 0 when there are fewer.
  BOOL OnBuildControlAfter() override;

 private:
  _SplitPanelConfig* GetSplitConfig();
  bool IsHorizontal();
  // The resize cursor of this split's direction.
  int ResizeCursor() { return IsHorizontal() ? CursorSizeWE : CursorSizeNS; }

  CRect m_rcThumb;
  BOOL m_bDragging = FALSE;
  int m_nLastX = 0;
  int m_nLastY = 0;
  CUIControl* m_pFirst = nullptr;
  CUIControl* m_pSecond = nullptr;
  int m_nCursorState = CursorNone;
};

}  // namespace UI
