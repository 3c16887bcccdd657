#pragma once
// A hook for the layer above (the MFC classes): it is told about the next window
// the calling thread creates, after the window exists and before its first
// message (WM_NCCREATE), so that it can attach its object and subclass the window.
#include <functional>

#include "win32/WinUser.h"

namespace win32 {

using CreateHook = std::function<void(HWND)>;

// Installs a hook for the next window created on this thread (it runs once) and
// removes it again when the scope ends, whether or not a window was created.
class ScopedCreateHook {
 public:
  explicit ScopedCreateHook(CreateHook hook);
  ~ScopedCreateHook();
  ScopedCreateHook(const ScopedCreateHook&) = delete;
  ScopedCreateHook& operator=(const ScopedCreateHook&) = delete;

 private:
  CreateHook m_previous;
};

// Runs and clears the calling thread's hook, if any (CreateWindowExW calls it).
void RunCreateHook(HWND hwnd);

}  // namespace win32
