// The program's windows on a real X server (Xvfb): their surfaces drawn into X windows at
// their place, shaped by their regions, removed when they go.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>

#include "X11Server.h"
#include "display/Desktop.h"
#include "display/x11/X11Presenter.h"
#include "win32/Windows.h"

// Last: Xlib's macros (None, Bool, True) would spoil the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

LRESULT CALLBACK RedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_PAINT) return DefWindowProcW(hwnd, msg, wParam, lParam);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT all{0, 0, 100, 100};
  FillRect(dc, &all, red);
  DeleteObject(red);
  EndPaint(hwnd, &ps);
  return 0;
}

unsigned long PixelAt(Display* d, unsigned long window, int x, int y) {
  XImage* image = XGetImage(d, window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return 0xFFFFFFFF;
  unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
  XDestroyImage(image);
  return pixel;
}

TEST(X11Windows, WindowsShowTheirSurfacesUnderTheirRegions) {
  auto server = x11test::X11Server::Start(800, 600);
  if (!server) GTEST_SKIP() << "Xvfb or xdotool is not installed";
  const std::string name = server->Name();
  display::X11Presenter* x11 = x11test::Present(*server);
  ASSERT_TRUE(x11);
  display::Desktop& desktop = display::Desktop::Get();
  Display* d = XOpenDisplay(name.c_str());
  ASSERT_TRUE(d);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = RedProc;
  wc.lpszClassName = L"X11RedWindow";
  RegisterClassExW(&wc);
  HWND hwnd = CreateWindowExW(0, L"X11RedWindow", L"", WS_POPUP | WS_VISIBLE, 30, 40, 50, 50, nullptr, nullptr,
                              nullptr, nullptr);
  ASSERT_TRUE(hwnd);
  desktop.PumpUntilIdle();
  unsigned long window = x11->XWindowOf(hwnd);
  ASSERT_NE(window, 0u);
  XSync(d, False);
  XWindowAttributes at{};
  XGetWindowAttributes(d, window, &at);
  EXPECT_EQ(at.x, 30);
  EXPECT_EQ(at.y, 40);
  EXPECT_EQ(at.width, 50);
  EXPECT_EQ(at.map_state, IsViewable);
  EXPECT_EQ(PixelAt(d, window, 10, 10), 0xFF0000u);

  // Shaped to its top-left quarter: the screen there is the window, elsewhere not.
  SetWindowRgn(hwnd, CreateRectRgn(0, 0, 25, 25), TRUE);
  desktop.PumpUntilIdle();
  XSync(d, False);
  Window root = DefaultRootWindow(d);
  EXPECT_EQ(PixelAt(d, root, 35, 45), 0xFF0000u);
  EXPECT_NE(PixelAt(d, root, 70, 80), 0xFF0000u);

  // Moves, hiding and showing follow; a destroyed window leaves the screen.
  SetWindowPos(hwnd, nullptr, 100, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  XSync(d, False);
  XGetWindowAttributes(d, window, &at);
  EXPECT_EQ(at.x, 100);
  EXPECT_EQ(at.y, 120);
  ShowWindow(hwnd, SW_HIDE);
  XSync(d, False);
  XGetWindowAttributes(d, window, &at);
  EXPECT_EQ(at.map_state, IsUnmapped);
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  SetWindowPos(hwnd, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  XSync(d, False);
  EXPECT_EQ(PixelAt(d, root, 35, 45), 0xFF0000u);
  DestroyWindow(hwnd);
  EXPECT_EQ(x11->XWindowOf(hwnd), 0u);
  XSync(d, False);
  EXPECT_NE(PixelAt(d, root, 35, 45), 0xFF0000u);

  desktop.SetPresenter(nullptr);
  XCloseDisplay(d);
}

}  // namespace
