// Window states and movements, hot keys, the clipboard and the message hooks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <vector>

#include "common/ClipboardText.h"
#include "common/MsgHooks.h"
#include "common/WindowFunctions.h"
#include "win32/NativePath.h"

namespace {

std::vector<POINT> g_moves;

LRESULT CALLBACK TrackingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_WINDOWPOSCHANGED) {
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
    if (!(pos->flags & SWP_NOMOVE)) g_moves.push_back({pos->x, pos->y});
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class Windows : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = TrackingProc;
    wc.lpszClassName = L"WindowFunctionsTest";
    RegisterClassExW(&wc);
    g_moves.clear();
  }
  void TearDown() override {
    for (HWND w : m_windows) DestroyWindow(w);
  }
  HWND Make(const wchar_t* cls = L"WindowFunctionsTest", HWND parent = nullptr, DWORD style = WS_OVERLAPPEDWINDOW) {
    HWND w = CreateWindowExW(0, cls, L"", style | (parent ? WS_CHILD : 0), 100, 200, 300, 150, parent, nullptr,
                             nullptr, nullptr);
    EXPECT_NE(w, nullptr);
    if (!parent) m_windows.push_back(w);
    return w;
  }
  std::vector<HWND> m_windows;
};

TEST_F(Windows, ChildrenAreFoundByClassInOrder) {
  WNDCLASSEXW other{};
  other.cbSize = sizeof other;
  other.lpfnWndProc = DefWindowProcW;
  other.lpszClassName = L"OtherChildClass";
  RegisterClassExW(&other);
  HWND parent = Make();
  HWND a = Make(L"WindowFunctionsTest", parent, 0);
  Make(L"OtherChildClass", parent, 0);
  HWND c = Make(L"WindowFunctionsTest", parent, 0);
  HWND first = Common::GetClassNamedWindow(parent, nullptr, L"WindowFunctionsTest");
  HWND second = Common::GetClassNamedWindow(parent, first, L"WindowFunctionsTest");
  EXPECT_TRUE((first == a && second == c) || (first == c && second == a));
  EXPECT_EQ(Common::GetClassNamedWindow(parent, second, L"WindowFunctionsTest"), nullptr);
  EXPECT_EQ(Common::GetClassNamedWindow(nullptr, nullptr, L"OtherChildClass"), nullptr);  // not top-level
  EXPECT_EQ(Common::GetClassNamedWindow(parent, nullptr, L""), nullptr);
}

TEST_F(Windows, StatesAndForcingToTheFront) {
  HWND first = Make();
  HWND second = Make();
  ShowWindow(first, SW_MINIMIZE);
  EXPECT_EQ(Common::IsWndMinimized(first), 1);
  EXPECT_EQ(Common::IsWndMaximized(first), 0);
  ShowWindow(second, SW_SHOWMAXIMIZED);
  EXPECT_EQ(Common::IsWndMaximized(second), 1);
  EXPECT_EQ(Common::IsWndMinimized(second), 0);

  EXPECT_EQ(Common::ForceForegroundWindow(reinterpret_cast<HWND>(INVALID_HANDLE_VALUE)), 0);
  EXPECT_EQ(Common::ForceForegroundWindow(first), 1);
  EXPECT_EQ(GetForegroundWindow(), first);
  EXPECT_FALSE(IsIconic(first));  // restored
  EXPECT_TRUE(IsWindowVisible(first));
  EXPECT_EQ(Common::ForceForegroundWindow(first), 1);  // already in front
}

TEST_F(Windows, ShakingMovesNearTheStartAndReturnsThere) {
  HWND w = Make();
  g_moves.clear();
  Common::ShakeWindow(w, 10);
  ASSERT_FALSE(g_moves.empty());
  EXPECT_LE(g_moves.size(), 21u);
  for (const POINT& p : g_moves) {
    EXPECT_LE(std::abs(p.x - 100), 9);
    EXPECT_LE(std::abs(p.y - 200), 9);
  }
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 200);
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_EQ(r.bottom - r.top, 150);
}

TEST_F(Windows, HotKeysAreRegisteredWithTheirModifiersAndZeroUnregisters) {
  HWND w = Make();
  constexpr unsigned long kCtrlAltD = ((2ul | 4ul) << 16) | 'D';
  EXPECT_EQ(Common::RegisterHotKey(nullptr, 1, kCtrlAltD), 0);
  ASSERT_EQ(Common::RegisterHotKey(w, 1, kCtrlAltD), 1);
  EXPECT_FALSE(win32::PressHotKey(MOD_CONTROL | MOD_SHIFT, 'D'));
  ASSERT_TRUE(win32::PressHotKey(MOD_CONTROL | MOD_ALT, 'D'));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, w, WM_HOTKEY, WM_HOTKEY, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 1u);
  EXPECT_EQ(Common::RegisterHotKey(w, 2, kCtrlAltD), 0);  // taken

  EXPECT_EQ(Common::RegisterHotKey(w, 1, 0), 1);
  EXPECT_FALSE(win32::PressHotKey(MOD_CONTROL | MOD_ALT, 'D'));
  EXPECT_EQ(Common::RegisterHotKey(w, 1, (1ul << 16) | VK_F5), 1);
  EXPECT_TRUE(win32::PressHotKey(MOD_SHIFT, VK_F5));
  Common::RegisterHotKey(w, 1, 0);
}

TEST(HotKeyText, ModifiersInOrderThenTheKeysName) {
  struct Case {
    unsigned long hotKey;
    const wchar_t* text;
  } cases[] = {
      {VK_F5, L"F5"},
      {(3ul << 16) | 'A', L"Ctrl+Shift+A"},
      {(6ul << 16) | VK_F5, L"Ctrl+Alt+F5"},
      {(7ul << 16) | '1', L"Ctrl+Shift+Alt+1"},
      {(4ul << 16) | VK_SPACE, L"Alt+Space"},
      {(2ul << 16) | VK_HOME, L"Ctrl+Num 7"},  // named as a non-extended key
      {0, L""},
  };
  for (const Case& c : cases) EXPECT_EQ(Common::GetHotKeyString(c.hotKey), c.text) << c.hotKey;
}

TEST(ClipboardText, TextGoesOnAndComesBackThroughTheAnsiCodePage) {
  Common::CopyTextToClipborder(L"共享 link");
  EXPECT_EQ(Common::GetTextFromClipborder(), L"共享 link");
  Common::CopyTextToClipborder(L"");  // leaves the clipboard alone
  EXPECT_EQ(Common::GetTextFromClipborder(), L"共享 link");

  ASSERT_TRUE(SetAnsiCodePage(936));
  Common::CopyTextToClipborder(L"共享 한");
  EXPECT_EQ(Common::GetTextFromClipborder(), L"共享 ?");  // GBK has no Hangul
  SetAnsiCodePage(65001);

  OpenClipboard(nullptr);
  EmptyClipboard();
  CloseClipboard();
  EXPECT_EQ(Common::GetTextFromClipborder(), L"");
}

TEST(ClipboardText, ABusyClipboardReadsEmptyAndIsLeftAlone) {
  Common::CopyTextToClipborder(L"before");
  std::thread holder;
  HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  holder = std::thread([&] {
    OpenClipboard(nullptr);
    SetEvent(opened);
    WaitForSingleObject(release, INFINITE);
    CloseClipboard();
  });
  WaitForSingleObject(opened, INFINITE);
  EXPECT_EQ(Common::GetTextFromClipborder(), L"");
  Common::CopyTextToClipborder(L"after");
  SetEvent(release);
  holder.join();
  EXPECT_EQ(Common::GetTextFromClipborder(), L"before");
  CloseHandle(opened);
  CloseHandle(release);
}

TEST(MsgHooks, RegisteredModulesSeeMessagesInOrder) {
  MSG msg{};
  msg.message = 0x401;
  EXPECT_EQ(Common::DoMyPreTranslateMessage(&msg), 0);  // none registered

  HMODULE self = GetModuleHandleW(nullptr);  // has no hook: skipped
  HMODULE plugin = LoadLibraryW(WidePath(HOOK_PLUGIN).c_str());
  ASSERT_NE(plugin, nullptr);
  Common::RegisterMsgInstance(self);
  Common::RegisterMsgInstance(plugin);
  Common::RegisterMsgInstance(plugin);
  EXPECT_EQ(Common::DoMyPreTranslateMessage(&msg), 1);
  msg.message = 0x402;
  EXPECT_EQ(Common::DoMyPreTranslateMessage(&msg), 0);  // the hook declines it
  msg.message = 0x401;
  Common::UnRegisterMsgInstance(plugin);
  EXPECT_EQ(Common::DoMyPreTranslateMessage(&msg), 1);  // the second entry is left
  Common::UnRegisterMsgInstance(plugin);
  EXPECT_EQ(Common::DoMyPreTranslateMessage(&msg), 0);
  Common::UnRegisterMsgInstance(plugin);  // not registered: nothing happens
  Common::UnRegisterMsgInstance(self);
  FreeLibrary(plugin);
}

}  // namespace
