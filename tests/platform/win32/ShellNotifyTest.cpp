// The notification area, OLE's per-thread count and the common controls' start.
#include <gtest/gtest.h>

#include <cwchar>

#include "win32/Windows.h"

namespace {

NOTIFYICONDATAW Record(HWND window, UINT id, UINT flags, const wchar_t* tip) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = id;
  data.uFlags = flags;
  data.uCallbackMessage = 0x240D;
  std::wcsncpy(data.szTip, tip, 127);
  return data;
}

TEST(ShellNotifyTest, IconsAreAddedChangedAndRemovedByWindowAndId) {
  HWND window = reinterpret_cast<HWND>(0x1234);
  NOTIFYICONDATAW data = Record(window, 135, NIF_MESSAGE | NIF_TIP, L"Dorv");
  ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &data));
  EXPECT_FALSE(Shell_NotifyIconW(NIM_ADD, &data));  // already there

  NOTIFYICONDATAW other = Record(window, 136, NIF_TIP, L"other");
  EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &other));  // never added
  EXPECT_FALSE(Shell_NotifyIconW(NIM_DELETE, &other));

  // A change touches only what its flags name.
  NOTIFYICONDATAW balloon = Record(window, 135, NIF_INFO, L"ignored");
  std::wcscpy(balloon.szInfoTitle, L"title");
  std::wcscpy(balloon.szInfo, L"text");
  balloon.dwInfoFlags = NIIF_WARNING;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &balloon));
  std::vector<win32::TrayIcon> icons = win32::TrayIcons();
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_EQ(icons[0].tip, L"Dorv");
  EXPECT_EQ(icons[0].callbackMessage, 0x240Du);
  EXPECT_EQ(icons[0].balloonTitle, L"title");
  EXPECT_EQ(icons[0].balloonText, L"text");
  EXPECT_EQ(icons[0].balloonFlags, NIIF_WARNING);

  data.uFlags = 0;
  EXPECT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
  EXPECT_FALSE(Shell_NotifyIconW(NIM_DELETE, &data));
  EXPECT_TRUE(win32::TrayIcons().empty());

  SetLastError(0);
  EXPECT_FALSE(Shell_NotifyIconW(NIM_ADD, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(ShellNotifyTest, OleCountsNestedStartsPerThread) {
  EXPECT_FALSE(win32::OleInitialized());
  EXPECT_EQ(OleInitialize(nullptr), S_OK);
  EXPECT_EQ(OleInitialize(nullptr), S_FALSE);
  OleUninitialize();
  EXPECT_TRUE(win32::OleInitialized());
  OleUninitialize();
  EXPECT_FALSE(win32::OleInitialized());
  OleUninitialize();  // unbalanced: nothing
  EXPECT_EQ(OleInitialize(nullptr), S_OK);
  OleUninitialize();
}

TEST(ShellNotifyTest, CommonControlsCheckTheRecordSize) {
  INITCOMMONCONTROLSEX good{8, ICC_WIN95_CLASSES};
  EXPECT_TRUE(InitCommonControlsEx(&good));
  INITCOMMONCONTROLSEX wrong{12, ICC_WIN95_CLASSES};
  SetLastError(0);
  EXPECT_FALSE(InitCommonControlsEx(&wrong));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(InitCommonControlsEx(nullptr));
}

}  // namespace
