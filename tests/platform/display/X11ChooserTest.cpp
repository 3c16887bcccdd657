// The folder chooser on a real X server: it stands over its owner's window, and the owner
// has the keyboard again once it closes, wherever the chooser left it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "TempDir.h"
#include "X11Server.h"
#include "display/Desktop.h"
#include "display/x11/X11Presenter.h"
#include "win32/Choosers.h"
#include "win32/Launcher.h"
#include "win32/Windows.h"

// Last: Xlib's macros (None, Bool, True) would spoil the headers above.
#include <X11/Xlib.h>

namespace {

namespace fs = std::filesystem;

HWND ShowWindowOnDisplay(const wchar_t* cls, int x) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = cls;
  RegisterClassExW(&wc);
  HWND hwnd = CreateWindowExW(0, cls, L"", WS_POPUP | WS_VISIBLE, x, 40, 80, 60, nullptr, nullptr, nullptr, nullptr);
  display::Desktop::Get().PumpUntilIdle();
  return hwnd;
}

TEST(X11Chooser, TheChooserIsAttachedToItsOwnerWhichTakesTheKeyboardBack) {
  auto server = x11test::X11Server::Start(800, 600);
  if (!server) GTEST_SKIP() << "Xvfb or xdotool is not installed";
  const std::string name = server->Name();
  display::X11Presenter* x11 = x11test::Present(*server);
  ASSERT_TRUE(x11);
  display::Desktop& desktop = display::Desktop::Get();
  Display* d = XOpenDisplay(name.c_str());
  ASSERT_TRUE(d);

  HWND owner = ShowWindowOnDisplay(L"X11ChooserOwner", 20);
  HWND other = ShowWindowOnDisplay(L"X11ChooserOther", 200);
  const unsigned long ownerWindow = x11->XWindowOf(owner), otherWindow = x11->XWindowOf(other);
  ASSERT_NE(ownerWindow, 0u);
  ASSERT_NE(otherWindow, 0u);
  SetForegroundWindow(owner);
  desktop.PumpUntilIdle();

  // Stands in for zenity: notes its arguments, leaves the keyboard on another window (as a
  // window manager does when a dialog goes) and answers.
  dorvtest::TempDir dir;
  const fs::path args = dir / "args";
  dorvtest::WriteFile(dir / "zenity", "#!/bin/sh\necho \"$@\" > \"" + args.string() +
                                          "\"\nxdotool windowfocus --sync " + std::to_string(otherWindow) +
                                          "\necho /home/someone/Chosen\n");
  fs::permissions(dir / "zenity", fs::perms::owner_all);
  const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  const char* display = std::getenv("DISPLAY");
  const std::string oldDisplay = display ? display : "";
  ::setenv("PATH", (dir.path().string() + ":" + path).c_str(), 1);
  ::setenv("DISPLAY", name.c_str(), 1);
  win32::Launcher::SetMode(win32::Launcher::Mode::Real);
  win32::ChooserRequest request;
  request.owner = owner;
  const win32::Choosers::Answer answer = win32::Choosers::Ask(request);
  win32::Launcher::SetMode(win32::Launcher::Mode::Record);
  ::setenv("PATH", path.c_str(), 1);
  if (display) ::setenv("DISPLAY", oldDisplay.c_str(), 1); else ::unsetenv("DISPLAY");

  EXPECT_EQ(answer, std::optional<std::wstring>(L"/home/someone/Chosen"));
  std::ifstream in(args);
  std::stringstream given;
  given << in.rdbuf();
  EXPECT_NE(given.str().find("--attach=" + std::to_string(ownerWindow)), std::string::npos) << given.str();
  XSync(d, False);
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(d, &focus, &revert);
  EXPECT_EQ(focus, ownerWindow);

  DestroyWindow(other);
  DestroyWindow(owner);
  desktop.PumpUntilIdle();
  desktop.SetPresenter(nullptr);
  XCloseDisplay(d);
}

}  // namespace
