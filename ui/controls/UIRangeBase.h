#pragma once
// A control showing an integer value inside a range: clamps, converts to and
// from a fraction and, when its change flag is set, reports changes as event 2
// with a (minimum, value, maximum) record valid during the call.
// UI thread only.
#include "ui/UIControl.h"

namespace UI {

struct RangeValueRecord {
  int minimum;
  int value;
  int maximum;
};

class CUIRangeBase : public CUIControl {
 public:
  virtual void SetRange(int a, int b);
  virtual void GetRange(int& minimum, int& maximum);
  virtual void SetValue(int value);
  virtual void AfterSetToValue() {}
  virtual int GetValue() { return m_nValue; }
  virtual void OnValueChanged();
  virtual float GetValuePercent();
  virtual void SetValuePercent(float percent);

 protected:
  CUIRangeBase() = default;
  // Dispatches `id` with the record while the control is enabled.
  void FireValueEvent(int id);

  int m_nMinimum = 0;
  int m_nMaximum = 0;
  int m_nValue = 0;
  BOOL m_bNotifyChange = FALSE;
};

class CUIProgressBar : public CUIRangeBase {
 public:
  CUIProgressBar();
  void AfterSetToValue() override { Refresh(FALSE, nullptr); }

 protected:
  void RenderSelf(DXCore* core, const CRect* clip) override;
};

}  // namespace UI
