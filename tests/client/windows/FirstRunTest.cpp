// The program's first start worked by keys and clicks injected into the
// headless desktop, as a user's would arrive.
#include <gtest/gtest.h>

#include "FirstRunFlow.h"
#include "display/Desktop.h"
#include "ui/UIControl.h"

namespace {

using display::Desktop;

class FirstRunTest : public firstrun::FirstRunFlow {
 protected:
  void Type(const std::wstring& text) override { Desktop::Get().TypeText(text); }
  void Key(UINT key) override { Desktop::Get().KeyPress(key); }
  void Click(HWND window, UI::CUIControl* control) override {
    ASSERT_NE(control, nullptr);
    POINT at = control->GetBounds().CenterPoint();
    ::ClientToScreen(window, &at);
    Desktop& desktop = Desktop::Get();
    desktop.MouseMove(at.x, at.y);
    desktop.MouseDown(Desktop::Button::Left, at.x, at.y);
    desktop.MouseUp(Desktop::Button::Left, at.x, at.y);
  }
};

TEST_F(FirstRunTest, AFreshStartSignsInThroughTheWizardAndFilesFlowBothWays) { RunFirstStart(); }

}  // namespace
