#include "win32/HotKey.h"

#include <mutex>
#include <vector>

#include "win32/Thread.h"
#include "win32/WinError.h"
#include "win32/WinUser.h"

namespace {

struct HotKey {
  HWND hwnd;
  DWORD thread;
  int id;
  UINT modifiers;  // without MOD_NOREPEAT
  UINT key;
};

std::mutex g_lock;
std::vector<HotKey>& Keys() {
  static auto* keys = new std::vector<HotKey>;
  return *keys;
}

}  // namespace

BOOL RegisterHotKey(HWND hwnd, int id, UINT modifiers, UINT virtualKey) {
  if (hwnd && !IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  modifiers &= ~MOD_NOREPEAT;
  std::lock_guard guard(g_lock);
  DWORD thread = GetCurrentThreadId();
  for (const HotKey& k : Keys()) {
    bool sameOwner = k.hwnd == hwnd && (hwnd || k.thread == thread);
    if ((k.modifiers == modifiers && k.key == virtualKey) || (sameOwner && k.id == id)) {
      SetLastError(ERROR_HOTKEY_ALREADY_REGISTERED);
      return FALSE;
    }
  }
  Keys().push_back({hwnd, thread, id, modifiers, virtualKey});
  return TRUE;
}

BOOL UnregisterHotKey(HWND hwnd, int id) {
  std::lock_guard guard(g_lock);
  DWORD thread = GetCurrentThreadId();
  auto& keys = Keys();
  for (auto k = keys.begin(); k != keys.end(); ++k) {
    if (k->hwnd == hwnd && k->id == id && (hwnd || k->thread == thread)) {
      keys.erase(k);
      return TRUE;
    }
  }
  SetLastError(ERROR_HOTKEY_NOT_REGISTERED);
  return FALSE;
}

namespace win32 {

bool PressHotKey(UINT modifiers, UINT virtualKey) {
  HotKey found{};
  {
    std::lock_guard guard(g_lock);
    auto& keys = Keys();
    auto k = keys.begin();
    while (k != keys.end() && !(k->modifiers == (modifiers & ~MOD_NOREPEAT) && k->key == virtualKey)) ++k;
    if (k == keys.end()) return false;
    if (k->hwnd && !IsWindow(k->hwnd)) {  // the window went away: so did its hot key
      keys.erase(k);
      return false;
    }
    found = *k;
  }
  LPARAM lParam = static_cast<LPARAM>(MAKELONG(static_cast<WORD>(found.modifiers), static_cast<WORD>(found.key)));
  if (found.hwnd) return PostMessageW(found.hwnd, WM_HOTKEY, static_cast<WPARAM>(found.id), lParam);
  return PostThreadMessageW(found.thread, WM_HOTKEY, static_cast<WPARAM>(found.id), lParam);
}

}  // namespace win32
