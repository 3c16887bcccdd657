// Finding windows by class and title, in this process and in others.
#include <algorithm>

#include "win32/RemoteWindows.h"
#include "win32/WinError.h"
#include "win32/WindowClass.h"
#include "win32/WindowTable.h"

namespace {

bool Matches(const win32::Window& w, LPCWSTR className, LPCWSTR title) {
  if (className) {
    if (IS_INTRESOURCE(className)) {
      if (w.cls->atom != static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(className))) return false;
    } else if (!win32::NamesEqual(w.cls->name, className)) {
      return false;
    }
  }
  return !title || win32::NamesEqual(w.text, title);
}

}  // namespace

HWND FindWindowExW(HWND parent, HWND childAfter, LPCWSTR className, LPCWSTR windowName) {
  if (parent == GetDesktopWindow()) parent = nullptr;
  std::vector<HWND> candidates;
  {
    std::lock_guard guard(win32::WindowLock());
    const std::vector<HWND>* list = &win32::TopLevelLocked();
    if (parent == HWND_MESSAGE) {
      list = &win32::MessageOnlyLocked();
    } else if (parent) {
      win32::Window* p = win32::LookupWindowLocked(parent);
      if (!p) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
      }
      list = &p->children;
    }
    for (HWND hwnd : *list) {
      win32::Window* w = win32::LookupWindowLocked(hwnd);
      if (w && w->stage != win32::Window::Stage::Destroying && Matches(*w, className, windowName))
        candidates.push_back(hwnd);
    }
  }
  // Top-level windows of other processes come after this process's own.
  if (!parent && (!className || !IS_INTRESOURCE(className))) {
    auto remote = win32::FindRemoteWindows(className, windowName);
    candidates.insert(candidates.end(), remote.begin(), remote.end());
  }
  auto it = candidates.begin();
  if (childAfter) {
    it = std::find(candidates.begin(), candidates.end(), childAfter);
    if (it != candidates.end()) ++it;
  }
  if (it == candidates.end()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  return *it;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
  return FindWindowExW(nullptr, nullptr, className, windowName);
}
