#include "ui/UILock.h"

namespace UI {

CRITICAL_SECTION* UILock::CreateLock() {
  auto* lock = new CRITICAL_SECTION{};
  InitializeCriticalSection(lock);
  return lock;
}

void UILock::ReleaseLock(CRITICAL_SECTION* lock) {
  if (!lock) return;
  DeleteCriticalSection(lock);
  delete lock;
}

UILock::UILock(CRITICAL_SECTION* lock, BOOL tryOnly) {
  if (!lock) return;
  if (tryOnly) {
    if (TryEnterCriticalSection(lock)) m_pLock = lock;
  } else {
    EnterCriticalSection(lock);
    m_pLock = lock;
  }
}

UILock::~UILock() {
  if (m_pLock) LeaveCriticalSection(m_pLock);
}

}  // namespace UI
