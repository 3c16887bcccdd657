#pragma once
// The process's windows behind HWND values.
//
// One process-wide lock guards the table and every field of every window. It is
// never held while a window procedure runs: callers copy what they need, unlock,
// and call out. A window is reached only through its HWND, re-resolved on every
// use, so a destroyed window is dropped rather than dereferenced.
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "win32/WinUser.h"

namespace win32 {

class MessageQueue;
struct WindowClass;

struct Window {
  enum class Stage { Creating, Alive, Destroying };

  HWND hwnd = nullptr;
  std::shared_ptr<WindowClass> cls;
  std::shared_ptr<MessageQueue> queue;  // the owning thread's queue; null for the desktop
  DWORD threadId = 0;
  Stage stage = Stage::Creating;
  bool destroyMessageSent = false;

  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND parent = nullptr;   // real parent (WS_CHILD), HWND_MESSAGE, or null for a top-level window
  HWND owner = nullptr;    // owner of a top-level window
  LONG_PTR id = 0;         // control id of a child, or the menu of a top-level window
  HINSTANCE instance = nullptr;
  RECT rect{};             // window rectangle in the parent's client coordinates (screen for top-level)
  RECT normalRect{};       // restored rectangle while minimised or maximised
  RECT insets{};           // thickness of the non-client area (frame, caption) on each side
  std::wstring text;
  HICON icons[2] = {nullptr, nullptr};  // WM_SETICON's small (0) and big (1) icons
  LONG_PTR userData = 0;
  std::vector<BYTE> extra;
  std::vector<HWND> children;  // top of the z-order first

  // Painting: one merged update rectangle per window.
  bool needsPaint = false;
  bool needsErase = false;
  RECT update{};
  ULONGLONG paintCount = 0;
};

// The lock over the table and every window.
std::mutex& WindowLock();

// The window a handle names, or null. Callers hold WindowLock().
Window* LookupWindowLocked(HWND hwnd);

// The same, but sets ERROR_INVALID_WINDOW_HANDLE when there is none.
Window* LookupWindowOrFailLocked(HWND hwnd);

// Locks, and returns a copy of the facts needed to call into the window (null when it is gone,
// with ERROR_INVALID_WINDOW_HANDLE set).
struct WindowRef {
  HWND hwnd = nullptr;
  WNDPROC proc = nullptr;
  DWORD threadId = 0;
  std::shared_ptr<MessageQueue> queue;
  explicit operator bool() const { return hwnd != nullptr; }
};
WindowRef ResolveWindow(HWND hwnd);

// Adds a new window (given a fresh handle) to the table.
HWND AddWindow(std::unique_ptr<Window> window);
// Removes a window from the table, its parent's children and the z-order.
void RemoveWindowLocked(HWND hwnd);

// Top-level windows (and message-only windows under HWND_MESSAGE) in z-order, top first.
// Callers hold WindowLock().
std::vector<HWND>& TopLevelLocked();
// A copy of the top-level windows, taken under the lock.
std::vector<HWND> TopLevelWindows();
std::vector<HWND>& MessageOnlyLocked();
std::vector<HWND>& SiblingsLocked(const Window& w);

// Every window owned by a thread, in table order. Callers hold WindowLock().
std::vector<HWND> WindowsOfThreadLocked(DWORD threadId);

// The handle of the desktop window (created with the table).
HWND DesktopHandle();

// Called (without the lock) whenever the set, classes or titles of this process's top-level
// windows change, so that other processes find them (RemoteWindows.cpp).
void NotifyTopLevelChanged();

}  // namespace win32
