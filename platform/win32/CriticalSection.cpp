#include "win32/CriticalSection.h"

#include <mutex>

namespace {
std::recursive_mutex& LockOf(LPCRITICAL_SECTION section) {
  return *static_cast<std::recursive_mutex*>(section->lock);
}
}  // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION section) { section->lock = new std::recursive_mutex; }

BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD) {
  InitializeCriticalSection(section);
  return TRUE;
}

void DeleteCriticalSection(LPCRITICAL_SECTION section) {
  delete static_cast<std::recursive_mutex*>(section->lock);
  section->lock = nullptr;
}

void EnterCriticalSection(LPCRITICAL_SECTION section) { LockOf(section).lock(); }

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) { return LockOf(section).try_lock() ? TRUE : FALSE; }

void LeaveCriticalSection(LPCRITICAL_SECTION section) { LockOf(section).unlock(); }
