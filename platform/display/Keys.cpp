// Keyboard input of the headless desktop.
#include "display/Desktop.h"
#include "win32/KeyState.h"

namespace display {
namespace {

bool Extended(UINT vk) {
  switch (vk) {
    case VK_RCONTROL:
    case VK_RMENU:
    case VK_INSERT:
    case VK_DELETE:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_DIVIDE:
    case VK_NUMLOCK: return true;
  }
  return false;
}

HWND KeyTarget() {
  HWND focus = GetFocus();
  return focus ? focus : GetActiveWindow();
}

void PostKey(UINT vk, bool down) {
  const bool wasDown = win32::SetKeyDown(vk, down);
  HWND target = KeyTarget();
  if (!target) return;
  const bool alt = GetAsyncKeyState(VK_MENU) < 0;  // now, not as of the last message retrieved
  const bool control = GetAsyncKeyState(VK_CONTROL) < 0;
  const bool system = (alt && !control) || win32::GenericKey(vk) == VK_MENU || vk == VK_F1 + 9 /* F10 */;
  UINT scan = vk == VK_RSHIFT ? 0x36 : MapVirtualKeyW(win32::GenericKey(vk), MAPVK_VK_TO_VSC);
  LPARAM lParam = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16);
  if (Extended(vk)) lParam |= 1 << 24;
  if (alt) lParam |= 1 << 29;
  if (down ? wasDown : true) lParam |= 1 << 30;  // the key was down before
  if (!down) lParam |= static_cast<LPARAM>(1u << 31);
  UINT message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
  win32::PostInput(target, message, win32::GenericKey(vk), static_cast<LPARAM>(static_cast<DWORD>(lParam)),
                   Desktop::Get().CursorPos());
}

}  // namespace

void Desktop::KeyDown(UINT virtualKey) { PostKey(virtualKey, true); }

void Desktop::KeyUp(UINT virtualKey) { PostKey(virtualKey, false); }

void Desktop::KeyPress(UINT virtualKey) {
  KeyDown(virtualKey);
  KeyUp(virtualKey);
}

void Desktop::TypeText(const std::wstring& text) {
  HWND target = KeyTarget();
  if (!target) return;
  for (wchar_t c : text) win32::PostInput(target, WM_CHAR, static_cast<WPARAM>(c), 1, CursorPos());
}

}  // namespace display
