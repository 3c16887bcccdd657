#pragma once
// Milliseconds since the system started (the monotonic clock).
#include "win32/WinDef.h"

DWORD GetTickCount();  // wraps after 49.7 days
ULONGLONG GetTickCount64();
