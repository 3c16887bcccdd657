#include "win32/Imm.h"

#include <map>
#include <mutex>

#include "win32/WinError.h"

namespace {

// The context every window starts with; its address is its handle.
struct InputContext {
} g_default;

std::mutex g_lock;
std::map<HWND, HIMC> g_changed;  // windows whose context was set; handles are never reused

HIMC Default() { return reinterpret_cast<HIMC>(&g_default); }

}  // namespace

HIMC ImmGetContext(HWND hwnd) {
  if (!IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  std::lock_guard guard(g_lock);
  auto found = g_changed.find(hwnd);
  return found == g_changed.end() ? Default() : found->second;
}

BOOL ImmReleaseContext(HWND, HIMC) { return TRUE; }

HIMC ImmAssociateContext(HWND hwnd, HIMC context) {
  HIMC old = ImmGetContext(hwnd);
  if (!IsWindow(hwnd)) return nullptr;
  std::lock_guard guard(g_lock);
  g_changed[hwnd] = context;
  return old;
}

namespace win32 {

bool ImeEnabled(HWND hwnd) { return ImmGetContext(hwnd) != nullptr; }

}  // namespace win32
