// Where the icons show on a desktop with a display and a session bus: on the bus while a
// watcher is there to host them, else on the display.
#include <gtest/gtest.h>

#include "../../support/TempDir.h"
#include "../win32/WindowTestSupport.h"
#include "BusHost.h"
#include "X11Server.h"
#include "display/Desktop.h"
#include "display/x11/X11Presenter.h"
#include "win32/Windows.h"

namespace {

// A display and a session bus of the test's own, a watcher on it, and a presenter on both.
class X11BusTray : public testing::Test {
 protected:
  void SetUp() override {
    m_server = x11test::X11Server::Start();
    if (!m_server) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    m_bus = bustest::PrivateBus::Start(m_dir.path().string());
    if (!m_bus) GTEST_SKIP() << "dbus-daemon is not installed";
    watcher = bustest::Watcher::Start();
    ASSERT_TRUE(watcher);
    x11 = x11test::Present(*m_server);
    ASSERT_TRUE(x11 && x11->Tray() && x11->BusTray());
    form = wintest::MakeWindow(L"Dorv");
    data.cbSize = sizeof data;
    data.hWnd = form;
    data.uID = 135;
    data.uFlags = NIF_MESSAGE | NIF_TIP;
    data.uCallbackMessage = WM_USER + 100;
    wcscpy(data.szTip, L"Dorv");
  }
  void TearDown() override {
    if (form) DestroyWindow(form);
    display::Desktop::Get().SetPresenter(nullptr);
    watcher.reset();  // before its bus
  }
  size_t Registered() {
    auto hold = watcher->Lock();
    return watcher->registered.size();
  }

  std::unique_ptr<bustest::Watcher> watcher;
  display::X11Presenter* x11 = nullptr;
  HWND form = nullptr;
  NOTIFYICONDATAW data{};

 private:
  dorvtest::TempDir m_dir{"dorv-x11-bus"};
  std::unique_ptr<x11test::X11Server> m_server;
  std::unique_ptr<bustest::PrivateBus> m_bus;
};

TEST_F(X11BusTray, TheIconsShowOnTheBusWhileAWatcherIsThereElseOnTheDisplay) {
  ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &data));
  ASSERT_TRUE(x11test::WaitFor([&] { return Registered() == 1; }));
  EXPECT_EQ(x11->Tray()->WindowOf(form, 135), 0u);

  // The watcher goes: the icon stands on the display; it comes back: the icon leaves it.
  watcher.reset();
  ASSERT_TRUE(x11test::WaitFor([&] { return x11->Tray()->WindowOf(form, 135) != 0; }));
  watcher = bustest::Watcher::Start();
  ASSERT_TRUE(watcher);
  ASSERT_TRUE(x11test::WaitFor([&] { return Registered() == 1 && x11->Tray()->WindowOf(form, 135) == 0; }));
  EXPECT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
}

// Where the bus hosts the icons but nobody shows notifications, the balloons show on the
// display, until a notification service comes; when it goes, they come back.
TEST_F(X11BusTray, BalloonsShowOnTheDisplayWhileNoNotificationServiceIsThere) {
  ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &data));
  ASSERT_TRUE(x11test::WaitFor([&] { return Registered() == 1; }));
  auto balloon = [&](const wchar_t* text) {
    data.uFlags = NIF_INFO;
    wcscpy(data.szInfoTitle, L"Dorv");
    wcscpy(data.szInfo, text);
    ASSERT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &data));
  };

  balloon(L"文件已上传");
  ASSERT_TRUE(x11test::WaitFor([&] { return x11->Tray()->BalloonWindow() != 0; }));
  EXPECT_EQ(x11->Tray()->WindowOf(form, 135), 0u);  // the icon itself stays on the bus

  // A service comes: the display's balloon goes, the next one is a notification.
  auto service = bustest::NotificationService::Start();
  ASSERT_TRUE(service);
  ASSERT_TRUE(x11test::WaitFor([&] { return x11->Tray()->BalloonWindow() == 0; }));
  balloon(L"同步完成");
  ASSERT_TRUE(x11test::WaitFor([&] {
    auto hold = service->Lock();
    return service->notified.size() == 1;
  }));
  EXPECT_EQ(x11->Tray()->BalloonWindow(), 0u);

  // It goes: the display shows the balloons again.
  service.reset();
  balloon(L"文件已下载");
  ASSERT_TRUE(x11test::WaitFor([&] { return x11->Tray()->BalloonWindow() != 0; }));
  EXPECT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
}

}  // namespace
