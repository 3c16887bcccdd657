#pragma once
// A scoped critical-section guard. With the try flag it holds the section only
// when it was free; a guard that holds nothing leaves nothing.
#include "win32/CriticalSection.h"
#include "win32/Windows.h"

namespace UI {

class UILock {
 public:
  // A new, initialised section on the heap; ReleaseLock deletes it.
  static CRITICAL_SECTION* CreateLock();
  static void ReleaseLock(CRITICAL_SECTION* lock);

  UILock() = default;
  UILock(CRITICAL_SECTION* lock, BOOL tryOnly);
  UILock(const UILock&) = delete;
  UILock& operator=(const UILock&) = delete;
  ~UILock();

  bool IsHeld() const { return m_pLock != nullptr; }

 private:
  CRITICAL_SECTION* m_pLock = nullptr;
};

}  // namespace UI
