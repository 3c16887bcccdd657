#pragma once
// A range control with a thumb the user drags or places with a click; it
// reports the value on every move (event 2) and once more when the button is
// released (event 8). A thumb as long as the track cannot move. UI thread only.
#include "ui/controls/UIRangeBase.h"

namespace UI {

class _SliderConfig;

class CUISlider : public CUIRangeBase {
 public:
  CUISlider();

  void ArrangeSelf(CRect* available, CRect* parentBounds) override;
  void AfterSetToValue() override;
  virtual void OnValueCompleted();

  CRect GetThumbRect() const { return m_rcThumb; }
  int GetThumbStatus() const { return m_nThumbStatus; }

 protected:
  void RenderSelf(DXCore* core, const CRect* clip) override;
  BOOL OnMouseMessage(UINT message, UINT flags, const CPoint& point) override;
  void SetThumbRect();
  void OnLButtonDown(UINT flags, CPoint point);
  void OnLButtonUp(UINT flags, CPoint point);
  void OnMouseMove(UINT flags, CPoint point);
  void OnMouseLeave(UINT flags, CPoint point);

 private:
  _SliderConfig* GetSliderConfig();
  bool IsHorz();
  void SetThumbStatus(int status);

  CRect m_rcThumb;
  BOOL m_bDragging = FALSE;
  CPoint m_lastPoint;
  int m_nThumbStatus = 0;
};

}  // namespace UI
