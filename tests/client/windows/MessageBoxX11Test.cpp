// The skinned message box on a real X server (Xvfb), with the string table's
// Chinese texts, answered through the server by xdotool's pointer and keys as a
// user would. A picture of the box, taken once it has been drawn, is kept under
// screenshots/ for people to look at.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "X11Server.h"
#include "client/windows/DorvMessageBox.h"
#include "common/MutiLanSupport.h"
#include "display/Desktop.h"
#include "display/x11/X11Presenter.h"
#include "ui/skin/UISkinManager.h"

namespace {

using display::Desktop;

CString Text(const wchar_t* id) { return Common::CMutiLanSupport::GetInstance()->GetStringViaID(id); }

class MessageBoxX11Test : public testing::Test {
 protected:
  static void SetUpTestSuite() { s_server = x11test::X11Server::Start().release(); }
  static void TearDownTestSuite() {
    delete s_server;
    s_server = nullptr;
  }
  void SetUp() override {
    if (!s_server) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    m_x11 = x11test::Present(*s_server);
    ASSERT_TRUE(m_x11);
    const std::filesystem::path strings = std::filesystem::path(DORV_BIN_DIR) / "Theme" / "gdstrings.ini";
    ASSERT_EQ(Common::CMutiLanSupport::GetInstance()->LoadStringTable(CString(strings.wstring().c_str())), 1);
    ASSERT_EQ(UI::CUISkinManager::GetInstance()->InitSkinData(), 1);
  }
  void TearDown() override {
    if (s_server) Desktop::Get().SetPresenter(nullptr);
  }

  // Runs the exit question modally; `user` acts on it through the X server once the
  // box is on the display and drawn, from inside its modal loop.
  int Ask(const std::function<void(CDorvMessageBox&)>& user) {
    CDorvMessageBox box;
    box.SetContent(1, Text(L"STRID_EXITFORM_TIETLE"), L"InnerPanelExit");
    if (!box.Create(nullptr)) return -2;
    User turn{box, *m_x11, user};
    box.RegisterTimerHandler(9, 5, fastdelegate::MakeDelegate(&turn, &User::Tick));
    const int result = box.DoModal();
    EXPECT_TRUE(turn.done);
    return result;
  }

  // xdotool's pointer to the middle of a control of the box, and a click.
  static std::string ClickOn(CDorvMessageBox& box, const wchar_t* id) {
    POINT at = box.FindControlRecusive(id)->GetBounds().CenterPoint();
    ::ClientToScreen(box.m_hWnd, &at);
    return "mousemove " + std::to_string(at.x) + " " + std::to_string(at.y) + " click 1";
  }
  static void Xdo(const std::string& args) { EXPECT_EQ(s_server->Xdo(args), 0) << args; }

  struct User {
    CDorvMessageBox& box;
    display::X11Presenter& x11;
    std::function<void(CDorvMessageBox&)> act;
    bool done = false;
    void Tick(UINT id) {
      // Waits for the picture: the box painted what it was asked to, and it reached the display.
      if (!x11.FramesShown(box.m_hWnd) || ::GetUpdateRect(box.m_hWnd, nullptr, FALSE)) return;
      box.UnRegisterTimerHandler(id);
      done = true;
      act(box);
    }
  };

  static x11test::X11Server* s_server;
  display::X11Presenter* m_x11 = nullptr;
};

x11test::X11Server* MessageBoxX11Test::s_server = nullptr;

TEST_F(MessageBoxX11Test, TheBoxIsDrawnWithItsChineseTextsAndAClickOnConfirmAnswersOne) {
  const int result = Ask([&](CDorvMessageBox& box) {
    EXPECT_EQ(box.FindControlRecusive(L"Text")->GetText(), CString(L"还有文件正在上传，确定要退出Dorv吗？"));
    const display::Pixels screen = s_server->Screen();
    EXPECT_TRUE(screen.WritePng(DORV_SCREENSHOTS "/dorv-message-box-x11.png"));
    // The display shows the box's own pixels: its white body and blue frame, not a blank window.
    const CRect body = box.FindControlRecusive(L"MessageBody")->GetBounds();
    POINT inside{body.left + 2, body.bottom - 2}, frame{body.left - 1, body.bottom - 2};
    ::ClientToScreen(box.m_hWnd, &inside);
    ::ClientToScreen(box.m_hWnd, &frame);
    EXPECT_EQ(screen.At(inside.x, inside.y), RGB(255, 255, 255));
    EXPECT_EQ(screen.At(frame.x, frame.y), RGB(45, 127, 249));
    Xdo(ClickOn(box, L"ConfirmButton"));
  });
  EXPECT_EQ(result, 1);
}

TEST_F(MessageBoxX11Test, ItsButtonsAnswerByMouseAndKeyboard) {
  const struct {
    std::function<std::string(CDorvMessageBox&)> input;
    int result;
    const char* name;
  } cases[] = {
      {[](CDorvMessageBox& box) { return ClickOn(box, L"CancleButton"); }, 0, "a click on cancel"},
      {[](CDorvMessageBox& box) { return ClickOn(box, L"SysButtonClose"); }, 0, "the caption's close button"},
      {[](CDorvMessageBox&) { return std::string("key Return"); }, 0, "Enter on a fresh box cancels"},
      {[](CDorvMessageBox&) { return std::string("key Tab Return"); }, 1, "Tab moves to the confirm button"},
      {[](CDorvMessageBox&) { return std::string("key Tab Tab Return"); }, 0, "a second Tab comes back to cancel"},
      {[](CDorvMessageBox&) { return std::string("key Escape"); }, 0, "Escape cancels"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Ask([&](CDorvMessageBox& box) { Xdo(c.input(box)); }), c.result) << c.name;
  }
}

}  // namespace
