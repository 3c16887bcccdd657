#pragma once
// Facts about the machine and the process: the Windows version the programs are
// told, the computer's name, the free space of a volume and the working set.
#include "win32/WinDef.h"

constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFOW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
};
using LPOSVERSIONINFOW = OSVERSIONINFOW*;

struct OSVERSIONINFOEXW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
};

// The version is the one the programs were written for: "6.1" (build 7601) unless
// the environment variable DORV_OS_VERSION names another ("major.minor"), or a
// test sets one with win32::SetReportedVersion. The platform is always NT.
// dwOSVersionInfoSize must be the size of one of the two records, else
// ERROR_INSUFFICIENT_BUFFER.
BOOL GetVersionExW(LPOSVERSIONINFOW info);

constexpr DWORD MAX_COMPUTERNAME_LENGTH = 15;
constexpr DWORD ERROR_BUFFER_OVERFLOW = 111;
// The host's name (gethostname). `size` holds the buffer's characters on entry and
// the name's length (without terminator) on return; a short buffer gives
// ERROR_BUFFER_OVERFLOW with the size needed (terminator included) in `size`.
BOOL GetComputerNameW(LPWSTR buffer, LPDWORD size);

// The bytes free to the caller, the total and the free bytes of the file system
// holding the folder (statvfs). Any of the outputs may be null. A missing folder
// gives ERROR_PATH_NOT_FOUND (or ERROR_FILE_NOT_FOUND), as on Windows.
BOOL GetDiskFreeSpaceExW(LPCWSTR folder, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER* total,
                         ULARGE_INTEGER* totalFree);

// With both sizes (SIZE_T)-1 the process gives back the memory it is not using
// (the heap's free pages go back to the system); other sizes are accepted and
// change nothing. FALSE with ERROR_INVALID_HANDLE for a handle other than the
// current process.
BOOL SetProcessWorkingSetSize(HANDLE process, SIZE_T minimum, SIZE_T maximum);

namespace win32 {
// Tests: the version GetVersionExW reports from now on (major 0: back to the default).
void SetReportedVersion(DWORD major, DWORD minor);
}  // namespace win32
