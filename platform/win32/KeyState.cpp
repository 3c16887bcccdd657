#include "win32/KeyState.h"

#include <array>
#include <atomic>

#include "win32/Clock.h"
#include "win32/MessageQueue.h"
#include "win32/WindowTable.h"

namespace {

// Bit 0x80: down; bit 0x01: toggled.
std::array<std::atomic<BYTE>, 256> g_keys{};

bool Down(UINT vk) { return (g_keys[vk & 0xFF].load() & 0x80) != 0; }

}  // namespace

namespace win32 {

UINT GenericKey(UINT vk) {
  switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU: return VK_MENU;
  }
  return vk;
}

bool SetKeyDown(UINT vk, bool down) {
  vk &= 0xFF;
  bool was = Down(vk);
  BYTE state = g_keys[vk].load();
  if (down && !was) state ^= 0x01;  // each press toggles
  state = static_cast<BYTE>(down ? (state | 0x80) : (state & ~0x80));
  g_keys[vk] = state;
  if (UINT generic = GenericKey(vk); generic != vk) {
    UINT left = generic == VK_SHIFT ? VK_LSHIFT : generic == VK_CONTROL ? VK_LCONTROL : VK_LMENU;
    bool either = Down(left) || Down(left + 1);
    BYTE g = g_keys[generic].load();
    g_keys[generic] = static_cast<BYTE>(either ? (g | 0x80) : (g & ~0x80));
  }
  return was;
}

BOOL PostInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, POINT cursor) {
  WindowRef ref = ResolveWindow(hwnd);
  if (!ref || !ref.queue) return FALSE;
  auto keys = std::make_shared<KeySnapshot>();
  for (size_t i = 0; i < g_keys.size(); ++i) (*keys)[i] = g_keys[i].load();
  return ref.queue->Post(MSG{hwnd, msg, wParam, lParam, GetTickCount(), cursor}, std::move(keys)) ? TRUE : FALSE;
}

}  // namespace win32

namespace {

BYTE StateNow(int vk) { return g_keys[static_cast<UINT>(vk) & 0xFF].load(); }

SHORT AsKeyState(BYTE state) { return static_cast<SHORT>(((state & 0x80) ? 0x8000 : 0) | (state & 0x01)); }

}  // namespace

SHORT GetKeyState(int vk) {
  const win32::KeySnapshot* retrieved = win32::RetrievedKeyState();
  return AsKeyState(retrieved ? (*retrieved)[static_cast<UINT>(vk) & 0xFF] : StateNow(vk));
}

SHORT GetAsyncKeyState(int vk) { return (StateNow(vk) & 0x80) ? static_cast<SHORT>(0x8000) : 0; }

BOOL GetKeyboardState(BYTE* keyState) {
  if (!keyState) return FALSE;
  const win32::KeySnapshot* retrieved = win32::RetrievedKeyState();
  for (size_t i = 0; i < g_keys.size(); ++i) keyState[i] = retrieved ? (*retrieved)[i] : g_keys[i].load();
  return TRUE;
}
