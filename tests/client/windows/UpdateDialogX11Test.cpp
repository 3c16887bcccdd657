// The update offer's dialog on a real X server (Xvfb): drawn complete, and worked by mouse and
// keyboard through the server as a user would. A picture of it is kept for people to look at.
#include <gtest/gtest.h>

#include <filesystem>

#include "../../platform/display/X11Server.h"
#include "DialogDriver.h"
#include "client/app/Dorv_WinApp.h"
#include "client/windows/ExeDirectory.h"
#include "client/windows/UpdateForm.h"
#include "client/windows/UpdateInfo.h"
#include "client/windows/UpdatePackage.h"
#include "display/x11/X11Presenter.h"
#include "win32/DialogManager.h"
#include "win32/Launcher.h"

using dorvtest::DialogDriver;

namespace {

const wchar_t* const kTitle = L"Dorv 更新程序";

std::string Centre(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  return std::to_string((r.left + r.right) / 2) + " " + std::to_string((r.top + r.bottom) / 2);
}

class UpdateDialogX11Test : public testing::Test {
 protected:
  void SetUp() override {
    m_server = x11test::X11Server::Start();
    if (!m_server) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    m_x11 = x11test::Present(*m_server);
    ASSERT_TRUE(m_x11);
    win32::Launcher::SetMode(win32::Launcher::Mode::Record);
    win32::Launcher::ClearRecorded();
    // Nobody listens there: a download fails at once.
    m_info.m_sURL = "http://127.0.0.1:1/setup.exe";
    m_info.m_sVersionID = "2.0.0";
    m_info.m_sDescription = "修复了若干问题***同步更快";
    m_info.m_bSilent = false;
  }
  void TearDown() override {
    if (!m_server) return;
    display::Desktop::Get().SetPresenter(nullptr);
    std::filesystem::remove_all(std::filesystem::path(GetExeDirectory().toStdString()) / "Update");
  }
  int Offer(std::vector<DialogDriver::Step> steps) {
    UpdatePackage package(m_info.m_sURL, m_info.m_sMD5, m_info.m_sSignature);
    DialogDriver driver(kTitle, std::move(steps));
    const int result = CDorv_WinApp::ShowUpdateForm(0, m_info, package);
    EXPECT_TRUE(driver.Finished());
    return result;
  }
  // Whether the dialog is on the display at its place, drawn: it painted what it was asked
  // to and the picture reached the display.
  bool Shown(HWND dialog) {
    unsigned long window = m_x11->XWindowOf(dialog);
    RECT onScreen{}, own{};
    GetWindowRect(dialog, &own);
    return window && m_server->Geometry(window, &onScreen) && EqualRect(&onScreen, &own) &&
           m_x11->FramesShown(dialog) && !GetUpdateRect(dialog, nullptr, FALSE);
  }

  std::unique_ptr<x11test::X11Server> m_server;
  display::X11Presenter* m_x11 = nullptr;
  UpdateInfo m_info;
};

TEST_F(UpdateDialogX11Test, TheOfferIsDrawnWholeAndLaterWorksByClick) {
  RECT dialogRect{}, laterRect{}, updateRect{};
  const int result = Offer({[&](HWND dialog) {
    if (!Shown(dialog)) return false;
    GetWindowRect(dialog, &dialogRect);
    GetWindowRect(GetDlgItem(dialog, IDCANCEL), &laterRect);
    GetWindowRect(GetDlgItem(dialog, IDOK), &updateRect);
    // The pictures of the program's resources: the panel, the line, the icon.
    int pictures = 0;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      if (SendMessageW(c, STM_GETIMAGE, IMAGE_BITMAP, 0)) ++pictures;
    EXPECT_EQ(pictures, 2);
    EXPECT_NE(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0), 0);
    const display::Pixels screen = m_server->Screen();
    screen.WritePng(DORV_SCREENSHOTS "/update-dialog.png");
    // The caption shows the icon (its white cloud) before the title.
    POINT client{0, 0};
    ClientToScreen(dialog, &client);
    int white = 0;
    for (int y = dialogRect.top + 2; y < client.y; ++y)
      for (int x = dialogRect.left + 2; x < dialogRect.left + 26; ++x) white += screen.At(x, y) == RGB(255, 255, 255);
    EXPECT_GT(white, 10);
    EXPECT_EQ(m_server->Xdo("mousemove " + Centre(GetDlgItem(dialog, IDCANCEL)) + " click 1"), 0);
    return true;
  }});
  EXPECT_EQ(result, 0);
  EXPECT_EQ(FindWindowW(L"#32770", kTitle), nullptr);
  // The buttons stand side by side at the bottom right, inside the dialog.
  RECT inside{};
  EXPECT_TRUE(IntersectRect(&inside, &laterRect, &dialogRect) && EqualRect(&inside, &laterRect));
  EXPECT_LT(updateRect.right, laterRect.left);
  EXPECT_EQ(updateRect.top, laterRect.top);
  EXPECT_GT(laterRect.top, (dialogRect.top + dialogRect.bottom) / 2);
  EXPECT_TRUE(win32::Launcher::Recorded().empty());
}

TEST_F(UpdateDialogX11Test, EnterStartsTheDownloadAndEscapeCloses) {
  std::wstring prompt, stop;
  const int result = Offer({[&](HWND dialog) {
                              if (!Shown(dialog)) return false;
                              EXPECT_EQ(m_server->Xdo("key Return"), 0);
                              return true;
                            },
                            // Nobody serves the installer: the dialog says so and keeps "确定".
                            [&](HWND dialog) {
                              HWND button = GetDlgItem(dialog, UpdateForm::IDC_STOP_DOWNLOAD);
                              if (DialogDriver::Text(button) != L"确定") return false;
                              EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDOK)));
                              EXPECT_TRUE(IsWindowVisible(button));
                              EXPECT_EQ(m_server->Xdo("key Escape"), 0);
                              return true;
                            }});
  EXPECT_EQ(result, 0);
  EXPECT_EQ(FindWindowW(L"#32770", kTitle), nullptr);
}

}  // namespace
