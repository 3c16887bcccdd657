// The clipboard, hot keys, key names and device notifications of the desktop.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "win32/Windows.h"

namespace {

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND MakeWindow() {
  static bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = PlainProc;
    wc.lpszClassName = L"DesktopServicesTestWindow";
    return RegisterClassExW(&wc) != 0;
  }();
  EXPECT_TRUE(registered);
  return CreateWindowExW(0, L"DesktopServicesTestWindow", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                         nullptr, nullptr, nullptr);
}

HGLOBAL Block(const void* bytes, size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(GlobalLock(block), bytes, size);
  GlobalUnlock(block);
  return block;
}

std::wstring UnicodeText() {
  HANDLE block = GetClipboardData(CF_UNICODETEXT);
  return block ? std::wstring(static_cast<const wchar_t*>(GlobalLock(block))) : L"(none)";
}

std::string AnsiText() {
  HANDLE block = GetClipboardData(CF_TEXT);
  return block ? std::string(static_cast<const char*>(GlobalLock(block))) : "(none)";
}

TEST(Clipboard, TextFormsAreMadeFromEachOtherInTheAnsiCodePage) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());
  const wchar_t text[] = L"同步 folder";
  ASSERT_NE(SetClipboardData(CF_UNICODETEXT, Block(text, sizeof text)), nullptr);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_EQ(AnsiText(), WideToAnsi(L"同步 folder"));
  ASSERT_TRUE(SetAnsiCodePage(936));
  const char gbk[] = "\xCD\xAC\xB2\xBD";  // 同步 in GBK
  SetClipboardData(CF_TEXT, Block(gbk, sizeof gbk));
  EXPECT_EQ(UnicodeText(), L"同步 folder");  // both forms set by callers: each kept
  ASSERT_TRUE(EmptyClipboard());
  SetClipboardData(CF_TEXT, Block(gbk, sizeof gbk));
  EXPECT_EQ(UnicodeText(), L"同步");
  SetAnsiCodePage(65001);
  ASSERT_TRUE(EmptyClipboard());
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
  ASSERT_TRUE(CloseClipboard());
}

TEST(Clipboard, OneThreadAtATimeAndOnlyWhileOpen) {
  EXPECT_EQ(SetClipboardData(CF_TEXT, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CLIPBOARD_NOT_OPEN);
  EXPECT_FALSE(CloseClipboard());

  ASSERT_TRUE(OpenClipboard(nullptr));
  BOOL otherOpened = TRUE;
  DWORD otherError = 0;
  std::thread([&] {
    otherOpened = OpenClipboard(nullptr);
    otherError = GetLastError();
  }).join();
  EXPECT_FALSE(otherOpened);
  EXPECT_EQ(otherError, ERROR_ACCESS_DENIED);
  ASSERT_TRUE(CloseClipboard());
  std::thread([&] {
    otherOpened = OpenClipboard(nullptr);
    CloseClipboard();
  }).join();
  EXPECT_TRUE(otherOpened);
}

TEST(HotKeys, APressedHotKeyPostsToItsWindowAndCombinationsAreUnique) {
  HWND window = MakeWindow();
  ASSERT_TRUE(RegisterHotKey(window, 7, MOD_CONTROL | MOD_ALT, 'D'));
  EXPECT_FALSE(RegisterHotKey(window, 8, MOD_CONTROL | MOD_ALT, 'D'));
  EXPECT_EQ(GetLastError(), ERROR_HOTKEY_ALREADY_REGISTERED);
  EXPECT_FALSE(RegisterHotKey(window, 7, MOD_SHIFT, 'E'));  // the id is taken
  EXPECT_FALSE(RegisterHotKey(reinterpret_cast<HWND>(0x7777), 1, MOD_SHIFT, 'E'));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);

  EXPECT_FALSE(win32::PressHotKey(MOD_CONTROL, 'D'));
  ASSERT_TRUE(win32::PressHotKey(MOD_CONTROL | MOD_ALT, 'D'));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, window, WM_HOTKEY, WM_HOTKEY, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_EQ(LOWORD(msg.lParam), MOD_CONTROL | MOD_ALT);
  EXPECT_EQ(HIWORD(msg.lParam), 'D');

  ASSERT_TRUE(UnregisterHotKey(window, 7));
  EXPECT_FALSE(UnregisterHotKey(window, 7));
  EXPECT_EQ(GetLastError(), ERROR_HOTKEY_NOT_REGISTERED);
  EXPECT_FALSE(win32::PressHotKey(MOD_CONTROL | MOD_ALT, 'D'));

  ASSERT_TRUE(RegisterHotKey(window, 9, MOD_SHIFT, VK_F5));
  DestroyWindow(window);
  EXPECT_FALSE(win32::PressHotKey(MOD_SHIFT, VK_F5));  // its window went away
  HWND next = MakeWindow();
  EXPECT_TRUE(RegisterHotKey(next, 9, MOD_SHIFT, VK_F5));
  DestroyWindow(next);
}

TEST(Keyboard, KeyNamesAsWindowsGivesThem) {
  struct Case {
    UINT vk;
    bool extended;
    const wchar_t* name;
  } cases[] = {
      {'A', false, L"A"},         {'7', false, L"7"},          {VK_F5, false, L"F5"},
      {VK_F12, false, L"F12"},    {VK_SPACE, false, L"Space"}, {VK_ESCAPE, false, L"Esc"},
      {VK_LEFT, false, L"Num 4"}, {VK_LEFT, true, L"Left"},    {VK_DELETE, true, L"Delete"},
      {VK_OEM_3, false, L"`"},    {VK_NUMPAD0, false, L"Num 0"},
  };
  for (const Case& c : cases) {
    UINT scan = MapVirtualKeyW(c.vk, MAPVK_VK_TO_VSC);
    ASSERT_NE(scan, 0u) << c.vk;
    wchar_t name[32];
    LONG lParam = static_cast<LONG>((scan << 16) | (c.extended ? 1u << 24 : 0));
    EXPECT_GT(GetKeyNameTextW(lParam, name, 32), 0);
    EXPECT_STREQ(name, c.name) << c.vk;
  }
  EXPECT_EQ(MapVirtualKeyW(0x3A, MAPVK_VSC_TO_VK), VK_CAPITAL);
  EXPECT_EQ(MapVirtualKeyW(0xFF, MAPVK_VK_TO_VSC), 0u);
  wchar_t small[3];
  EXPECT_EQ(GetKeyNameTextW(static_cast<LONG>(0x0E << 16), small, 3), 2);  // "Backspace" cut
  EXPECT_STREQ(small, L"Ba");
  EXPECT_EQ(GetKeyNameTextW(static_cast<LONG>(0x7F << 16), small, 3), 0);
}

TEST(DeviceNotify, RegistrationsAreCheckedAndKept) {
  HWND window = MakeWindow();
  DEV_BROADCAST_DEVICEINTERFACE_W filter{};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  HDEVNOTIFY handle = RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
  ASSERT_NE(handle, nullptr);
  EXPECT_TRUE(UnregisterDeviceNotification(handle));
  EXPECT_FALSE(UnregisterDeviceNotification(handle));

  EXPECT_EQ(RegisterDeviceNotificationW(reinterpret_cast<HWND>(0x7777), &filter, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  filter.dbcc_devicetype = 2;
  EXPECT_EQ(RegisterDeviceNotificationW(window, &filter, 0), nullptr);
  DestroyWindow(window);
}

}  // namespace
