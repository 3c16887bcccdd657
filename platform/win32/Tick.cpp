#include "win32/Tick.h"

#include <time.h>

ULONGLONG GetTickCount64() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<ULONGLONG>(now.tv_sec) * 1000 + static_cast<ULONGLONG>(now.tv_nsec) / 1'000'000;
}

DWORD GetTickCount() { return static_cast<DWORD>(GetTickCount64()); }
