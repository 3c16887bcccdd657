#include "display/Desktop.h"
#include "win32/WinUser.h"

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  return display::Desktop::Get().ShowMessageBox(owner, text ? text : L"", caption ? caption : L"Error", type);
}
