#pragma once
// FILETIME: 100-nanosecond intervals since 1601-01-01 UTC.
#include <ctime>

#include "win32/WinDef.h"

BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local);
BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc);
BOOL FileTimeToSystemTime(const FILETIME* time, SYSTEMTIME* out);
BOOL SystemTimeToFileTime(const SYSTEMTIME* time, FILETIME* out);

// Between the system's clock and FILETIME.
FILETIME FileTimeFromTimespec(const timespec& time);
timespec TimespecFromFileTime(const FILETIME& time);
