#pragma once
// The skinned push button: five looks (normal, pointer over, pressed,
// disabled, keyboard focus) from its style, an optional icon and text with an
// optional shadow and background colour. A press and release over it, or
// Enter while it has keyboard focus, clicks it (event 1); the pointer entering
// fires event 5. A repeating button clicks after the keyboard delay and then
// at the keyboard rate while held, through its form's timer 1000.
// UI thread only.
#include "ui/controls/UIButtonBase.h"

namespace UI {

class _ButtonConfig;

enum UIButtonStatus : int {
  UIButtonStatusNormal = 0,
  UIButtonStatusFocus = 1,
  UIButtonStatusPress = 2,
  UIButtonStatusDisable = 3,
  UIButtonStatusKBFocus = 4,
};

class CUIButton : public CUIButtonBase {
 public:
  static constexpr UINT kRepeatTimerId = 1000;

  CUIButton();
  // A running repeat stops: the form must not call a button that has gone.
  ~CUIButton() override;

  void SetKBFocused(BOOL focused) override;
  void RenderSelf(DXCore* core, const CRect* clip) override;
  BOOL OnMouseMessage(UINT message, UINT flags, const CPoint& point) override;
  BOOL OnKeyMessage(UINT message, UINT key, UINT repeat, UINT flags) override;

  // Stores the status and repaints the button.
  void SetButtonStatus(UIButtonStatus status);
  UIButtonStatus GetButtonStatus() const { return m_status; }
  // The repeat attribute and the background colour (made opaque) of this
  // button's own style record; nothing without one.
  void SetRepeated(int repeat);
  void SetBKColor(DWORD rgb);
  int GetRepeatPhase() const { return m_nRepeatPhase; }

 protected:
  void SetTempEnable(BOOL enable) override;
  void StartTimer(int ms);
  void StopTimer();
  void OnRepeaterTimer(UINT id);
  // The keyboard's delay and repeat interval in milliseconds.
  static int GetDelay();
  static int GetInterval();

 private:
  _ButtonConfig* GetButtonConfig();
  bool IsRepeating();

  UIButtonStatus m_status = UIButtonStatusNormal;
  // 0 no repeat, 1 waiting for the delay, 2 repeating.
  int m_nRepeatPhase = 0;
};

}  // namespace UI
