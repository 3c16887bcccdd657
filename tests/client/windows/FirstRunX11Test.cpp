// The program's first start on a real X server (Xvfb), its sign-in wizard
// worked by xdotool's pointer and keys as a user would. A picture of the
// sign-in page is kept under screenshots/ for people to look at.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "FirstRunFlow.h"
#include "X11Server.h"
#include "common/StringConvert.h"
#include "display/Desktop.h"
#include "display/x11/X11Presenter.h"
#include "ui/UIControl.h"

namespace {

using display::Desktop;

class FirstRunX11Test : public firstrun::FirstRunFlow {
 protected:
  void SetUp() override {
    m_server = x11test::X11Server::Start();
    if (!m_server) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    m_x11 = x11test::Present(*m_server);
    ASSERT_TRUE(m_x11);
    FirstRunFlow::SetUp();
  }
  void TearDown() override {
    if (!m_server) return;
    FirstRunFlow::TearDown();
    Desktop::Get().SetPresenter(nullptr);
  }

  void Type(const std::wstring& text) override {
    ASSERT_EQ(m_server->Xdo("type --delay 20 '" + Common::CString_to_utf8(CString(text.c_str())) + "'"), 0);
  }
  void Key(UINT key) override {
    const char* name = key == VK_TAB ? "Tab" : key == VK_RETURN ? "Return" : key == VK_ESCAPE ? "Escape" : nullptr;
    ASSERT_NE(name, nullptr) << key;
    ASSERT_EQ(m_server->Xdo(std::string("key ") + name), 0);
  }
  void Click(HWND window, UI::CUIControl* control) override {
    ASSERT_NE(control, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return m_x11->XWindowOf(window) != 0; }, 10));
    POINT at = control->GetBounds().CenterPoint();
    ::ClientToScreen(window, &at);
    ASSERT_EQ(m_server->Xdo("mousemove " + std::to_string(at.x) + " " + std::to_string(at.y) + " sleep 0.05 click 1"), 0);
  }
  void SignInPageShown(HWND window) override {
    ASSERT_TRUE(PumpUntil([&] { return m_x11->XWindowOf(window) != 0; }, 10));
    RECT onScreen{};
    ASSERT_TRUE(m_server->Geometry(m_x11->XWindowOf(window), &onScreen));
    RECT rect{};
    ::GetWindowRect(window, &rect);
    EXPECT_EQ(onScreen.left, rect.left);
    EXPECT_EQ(onScreen.top, rect.top);
    ::InvalidateRect(window, nullptr, FALSE);
    ::UpdateWindow(window);
    Desktop::Get().PumpUntilIdle();
    std::filesystem::create_directories(DORV_SCREENSHOTS);
    EXPECT_TRUE(m_server->Screen().WritePng(DORV_SCREENSHOTS "/wizard-signin-x11.png"));
  }

  std::unique_ptr<x11test::X11Server> m_server;
  display::X11Presenter* m_x11 = nullptr;
};

TEST_F(FirstRunX11Test, AFreshStartSignsInThroughTheWizardByRealInputAndFilesFlowBothWays) { RunFirstStart(); }

}  // namespace
