#pragma once
// A control that can be clicked and reports the click as event 1 (with itself
// as sender and data), bubbling up its parents. Base of the push button and
// the check box.
#include "ui/UIControl.h"

namespace UI {

class CUIButtonBase : public CUIControl {
 public:
  // Event 1 while the control is enabled; a disabled one reports nothing.
  virtual void OnClick();

 protected:
  CUIButtonBase() = default;
};

}  // namespace UI
