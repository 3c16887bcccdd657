#include <unistd.h>

#include "win32/WinUser.h"

// Weak, so that the threads' own definition (the same number) takes over where it exists.
__attribute__((weak)) DWORD GetCurrentThreadId() { return static_cast<DWORD>(gettid()); }
