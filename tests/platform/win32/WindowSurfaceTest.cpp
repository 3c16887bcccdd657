// Windows' pixels: painted through WM_PAINT into their surfaces, read back per window and
// composited for the screen under their regions.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "TempDir.h"
#include "display/Desktop.h"
#include "win32/Windows.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);

// Each window paints with its own function, given the DC and the area to paint.
std::map<HWND, std::function<void(HDC, const RECT&)>>& Painters() {
  static std::map<HWND, std::function<void(HDC, const RECT&)>> painters;
  return painters;
}

LRESULT CALLBACK PaintProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    auto found = Painters().find(hwnd);
    if (found != Painters().end()) found->second(dc, ps.rcPaint);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LPCWSTR ClassName() {
  static bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = PaintProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<UINT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = L"GdiPaintTest";
    return RegisterClassExW(&wc) != 0;
  }();
  EXPECT_TRUE(registered);
  return L"GdiPaintTest";
}

void Fill(HDC dc, RECT r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

HWND Popup(int x, int y, int w, int h, std::function<void(HDC, const RECT&)> paint, HWND parent = nullptr) {
  DWORD style = (parent ? WS_CHILD : WS_POPUP) | WS_VISIBLE;
  HWND hwnd = CreateWindowExW(0, ClassName(), L"", style, x, y, w, h, parent, nullptr, nullptr, nullptr);
  Painters()[hwnd] = std::move(paint);
  InvalidateRect(hwnd, nullptr, TRUE);
  return hwnd;
}

TEST(WindowSurface, PaintsLandInTheWindowAndStayInsideTheUpdateArea) {
  display::Desktop& desktop = display::Desktop::Get();
  HWND hwnd = Popup(100, 100, 60, 40, [](HDC dc, const RECT&) { Fill(dc, RECT{10, 10, 30, 30}, kRed); });
  desktop.PumpUntilIdle();
  display::Pixels shot = desktop.CaptureWindow(hwnd);
  ASSERT_EQ(shot.Width(), 60);
  ASSERT_EQ(shot.Height(), 40);
  EXPECT_EQ(shot.At(0, 0), kWhite);  // the class's background, erased first
  EXPECT_EQ(shot.Count(RECT{0, 0, 60, 40}, kRed), 400);

  // A later paint of part of the window: drawing beyond the invalid area is clipped away.
  RECT painted{};
  Painters()[hwnd] = [&painted](HDC dc, const RECT& area) {
    painted = area;
    Fill(dc, RECT{0, 0, 60, 40}, kBlue);
  };
  RECT part{0, 0, 20, 20};
  InvalidateRect(hwnd, &part, FALSE);
  desktop.PumpUntilIdle();
  EXPECT_EQ(painted.right, 20);
  EXPECT_EQ(painted.bottom, 20);
  shot = desktop.CaptureWindow(hwnd);
  EXPECT_EQ(shot.Count(RECT{0, 0, 60, 40}, kBlue), 400);
  EXPECT_EQ(shot.At(25, 25), kRed);
  EXPECT_EQ(shot.At(40, 5), kWhite);

  // GetDC draws straight onto the surface, outside any paint.
  HDC dc = GetDC(hwnd);
  ASSERT_NE(dc, nullptr);
  Fill(dc, RECT{50, 30, 70, 50}, kYellow);
  EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
  EXPECT_EQ(desktop.CaptureWindow(hwnd).Count(RECT{0, 0, 60, 40}, kYellow), 100);

  // A child draws into its parent's surface at its place, never outside its client area.
  HWND child = Popup(40, 0, 20, 20, [](HDC dc, const RECT&) { Fill(dc, RECT{-10, -10, 50, 50}, kYellow); }, hwnd);
  desktop.PumpUntilIdle();
  display::Pixels parent = desktop.CaptureWindow(hwnd);
  EXPECT_EQ(parent.Count(RECT{40, 0, 60, 20}, kYellow), 400);
  EXPECT_EQ(parent.At(39, 5), kWhite);
  EXPECT_EQ(parent.At(45, 21), kWhite);
  display::Pixels own = desktop.CaptureWindow(child);
  EXPECT_EQ(own.Width(), 20);
  EXPECT_EQ(own.Count(RECT{0, 0, 20, 20}, kYellow), 400);

  // The parent painting all over its children paints them again after it; with
  // WS_CLIPCHILDREN it leaves their area alone.
  InvalidateRect(hwnd, nullptr, TRUE);
  desktop.PumpUntilIdle();
  parent = desktop.CaptureWindow(hwnd);
  EXPECT_EQ(parent.Count(RECT{40, 0, 60, 20}, kYellow), 400);
  EXPECT_EQ(parent.At(39, 5), kBlue);
  SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) | WS_CLIPCHILDREN);
  Painters()[child] = [](HDC, const RECT&) {};
  HDC whole = GetDC(hwnd);
  Fill(whole, RECT{0, 0, 60, 40}, kRed);
  ReleaseDC(hwnd, whole);
  EXPECT_EQ(desktop.CaptureWindow(hwnd).Count(RECT{0, 0, 60, 40}, kRed), 60 * 40 - 400);

  DestroyWindow(hwnd);
  EXPECT_TRUE(desktop.CaptureWindow(hwnd).Empty());
  EXPECT_EQ(GetDC(hwnd), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST(WindowSurface, RegionsShapeTheScreenAndTheHitTest) {
  display::Desktop& desktop = display::Desktop::Get();
  auto solid = [](COLORREF colour) { return [colour](HDC dc, const RECT&) { Fill(dc, RECT{0, 0, 100, 100}, colour); }; };
  HWND below = Popup(200, 200, 50, 50, solid(kRed));
  HWND above = Popup(210, 210, 50, 50, solid(kBlue));
  SetWindowPos(above, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  // An L of two bars, 20 pixels thick.
  HRGN shape = CreateRectRgn(0, 0, 20, 50), bar = CreateRectRgn(0, 0, 50, 20);
  CombineRgn(shape, shape, bar, RGN_OR);
  DeleteObject(bar);
  EXPECT_EQ(SetWindowRgn(above, shape, TRUE), 1);
  desktop.PumpUntilIdle();

  display::Pixels screen = desktop.CaptureScreen();
  EXPECT_EQ(screen.At(215, 215), kBlue);   // in the L
  EXPECT_EQ(screen.At(245, 245), kRed);    // outside it: the window below shows
  EXPECT_EQ(screen.At(255, 255), GetSysColor(COLOR_BACKGROUND));
  EXPECT_EQ(WindowFromPoint(POINT{215, 255}), above);
  EXPECT_EQ(WindowFromPoint(POINT{245, 245}), below);
  EXPECT_EQ(WindowFromPoint(POINT{255, 255}), nullptr);

  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(above, copy), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(copy, 45, 5));
  EXPECT_EQ(SetWindowRgn(above, nullptr, FALSE), 1);
  EXPECT_EQ(GetWindowRgn(above, copy), ERROR);
  EXPECT_EQ(desktop.CaptureScreen().At(245, 245), kBlue);
  DeleteObject(copy);

  dorvtest::TempDir dir;
  std::string png = (dir / "screen.png").string();
  EXPECT_TRUE(screen.WritePng(png));
  EXPECT_EQ(dorvtest::ReadFile(png).substr(1, 3), "PNG");

  DestroyWindow(above);
  DestroyWindow(below);
}

TEST(WindowSurface, RoundedRegionsCutTheirCorners) {
  HRGN round = CreateRoundRectRgn(0, 0, 20, 20, 10, 10);
  EXPECT_FALSE(PtInRegion(round, 0, 0));
  EXPECT_FALSE(PtInRegion(round, 19, 19));
  EXPECT_TRUE(PtInRegion(round, 10, 10));
  EXPECT_TRUE(PtInRegion(round, 0, 10));
  EXPECT_TRUE(PtInRegion(round, 10, 0));
  EXPECT_TRUE(PtInRegion(round, 2, 2));
  // The right and bottom edges are outside, as with the system's rounded regions.
  EXPECT_TRUE(PtInRegion(round, 18, 10));
  EXPECT_FALSE(PtInRegion(round, 19, 10));
  EXPECT_FALSE(PtInRegion(round, 10, 19));
  RECT box;
  EXPECT_EQ(GetRgnBox(round, &box), COMPLEXREGION);
  EXPECT_EQ(box.right, 19);
  EXPECT_EQ(box.bottom, 19);
  DeleteObject(round);
}

}  // namespace
