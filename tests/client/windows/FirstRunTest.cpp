// The program's first start worked by keys and clicks injected into the
// headless desktop, as a user's would arrive.
#include <gtest/gtest.h>

#include "DesktopClick.h"
#include "FirstRunFlow.h"
#include "display/Desktop.h"

namespace {

using display::Desktop;

class FirstRunTest : public firstrun::FirstRunFlow {
 protected:
  void Type(const std::wstring& text) override { Desktop::Get().TypeText(text); }
  void Key(UINT key) override { Desktop::Get().KeyPress(key); }
  void Click(HWND window, UI::CUIControl* control) override {
    ASSERT_NE(control, nullptr);
    dorvtest::ClickControl(window, control);
  }
};

TEST_F(FirstRunTest, AFreshStartSignsInThroughTheWizardAndFilesFlowBothWays) { RunFirstStart(); }

}  // namespace
