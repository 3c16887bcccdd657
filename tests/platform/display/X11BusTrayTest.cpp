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

TEST(X11BusTray, TheIconsShowOnTheBusWhileAWatcherIsThereElseOnTheDisplay) {
  auto server = x11test::X11Server::Start();
  if (!server) GTEST_SKIP() << "Xvfb or xdotool is not installed";
  dorvtest::TempDir dir{"dorv-x11-bus"};
  auto bus = bustest::PrivateBus::Start(dir.path().string());
  if (!bus) GTEST_SKIP() << "dbus-daemon is not installed";
  auto watcher = bustest::Watcher::Start();
  ASSERT_TRUE(watcher);
  display::X11Presenter* x11 = x11test::Present(*server);
  ASSERT_TRUE(x11 && x11->Tray() && x11->BusTray());
  auto registered = [&] {
    auto hold = watcher->Lock();
    return watcher->registered.size();
  };

  HWND form = wintest::MakeWindow(L"Dorv");
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = form;
  data.uID = 135;
  data.uFlags = NIF_MESSAGE | NIF_TIP;
  data.uCallbackMessage = WM_USER + 100;
  wcscpy(data.szTip, L"Dorv");
  ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &data));
  ASSERT_TRUE(x11test::WaitFor([&] { return registered() == 1; }));
  EXPECT_EQ(x11->Tray()->WindowOf(form, 135), 0u);

  // The watcher goes: the icon stands on the display; it comes back: the icon leaves it.
  watcher.reset();
  ASSERT_TRUE(x11test::WaitFor([&] { return x11->Tray()->WindowOf(form, 135) != 0; }));
  watcher = bustest::Watcher::Start();
  ASSERT_TRUE(watcher);
  ASSERT_TRUE(x11test::WaitFor([&] { return registered() == 1 && x11->Tray()->WindowOf(form, 135) == 0; }));

  EXPECT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
  DestroyWindow(form);
  display::Desktop::Get().SetPresenter(nullptr);
}

}  // namespace
