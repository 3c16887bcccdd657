#pragma once
// A left click in the middle of a skinned control, through the headless
// desktop's input, as a user's would arrive.
#include "display/Desktop.h"
#include "ui/UIControl.h"
#include "win32/Windows.h"

namespace dorvtest {

inline void ClickControl(HWND form, UI::CUIControl* control) {
  POINT at = control->GetBounds().CenterPoint();
  ::ClientToScreen(form, &at);
  display::Desktop& desktop = display::Desktop::Get();
  desktop.MouseMove(at.x, at.y);
  desktop.MouseDown(display::Desktop::Button::Left, at.x, at.y);
  desktop.MouseUp(display::Desktop::Button::Left, at.x, at.y);
}

}  // namespace dorvtest
