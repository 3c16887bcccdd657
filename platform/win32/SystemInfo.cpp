#include "win32/SystemInfo.h"

#include <malloc.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "win32/CodePage.h"
#include "win32/NativePath.h"
#include "win32/Process.h"
#include "win32/WinError.h"

namespace {

std::atomic<DWORD> g_major{0};
std::atomic<DWORD> g_minor{0};

void ReportedVersion(DWORD& major, DWORD& minor, DWORD& build) {
  major = g_major.load();
  minor = g_minor.load();
  if (major != 0) {
    build = 0;
    return;
  }
  major = 6;
  minor = 1;
  build = 7601;
  if (const char* setting = std::getenv("DORV_OS_VERSION")) {
    unsigned a = 0, b = 0;
    char tail = 0;
    if (std::sscanf(setting, "%u.%u%c", &a, &b, &tail) == 2 && a > 0 && a < 100 && b < 100) {
      major = a;
      minor = b;
      build = 0;
    }
  }
}

}  // namespace

BOOL GetVersionExW(LPOSVERSIONINFOW info) {
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD size = info->dwOSVersionInfoSize;
  if (size != sizeof(OSVERSIONINFOW) && size != sizeof(OSVERSIONINFOEXW)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  ReportedVersion(info->dwMajorVersion, info->dwMinorVersion, info->dwBuildNumber);
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  info->szCSDVersion[0] = L'\0';
  if (size == sizeof(OSVERSIONINFOEXW)) {
    auto* ex = reinterpret_cast<OSVERSIONINFOEXW*>(info);
    ex->wServicePackMajor = 0;
    ex->wServicePackMinor = 0;
    ex->wSuiteMask = 0;
    ex->wProductType = 1;  // a workstation
    ex->wReserved = 0;
  }
  return TRUE;
}

BOOL GetComputerNameW(LPWSTR buffer, LPDWORD size) {
  if (!size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) {
    SetLastError(ErrnoToWin32(errno));
    return FALSE;
  }
  std::wstring wide = Utf8ToWide(name);
  if (!buffer || *size < wide.size() + 1) {
    *size = static_cast<DWORD>(wide.size() + 1);
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return FALSE;
  }
  std::wmemcpy(buffer, wide.c_str(), wide.size() + 1);
  *size = static_cast<DWORD>(wide.size());
  return TRUE;
}

BOOL GetDiskFreeSpaceExW(LPCWSTR folder, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER* total,
                         ULARGE_INTEGER* totalFree) {
  std::string path = folder && *folder ? NativePath(folder) : std::string(".");
  struct statvfs fs;
  if (::statvfs(path.c_str(), &fs) != 0) {
    SetLastErrorForPath(errno, path);
    return FALSE;
  }
  ULONGLONG unit = fs.f_frsize ? fs.f_frsize : fs.f_bsize;
  if (freeToCaller) freeToCaller->QuadPart = static_cast<ULONGLONG>(fs.f_bavail) * unit;
  if (total) total->QuadPart = static_cast<ULONGLONG>(fs.f_blocks) * unit;
  if (totalFree) totalFree->QuadPart = static_cast<ULONGLONG>(fs.f_bfree) * unit;
  return TRUE;
}

BOOL SetProcessWorkingSetSize(HANDLE process, SIZE_T minimum, SIZE_T maximum) {
  if (process != GetCurrentProcess()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (minimum == static_cast<SIZE_T>(-1) && maximum == static_cast<SIZE_T>(-1)) ::malloc_trim(0);
  return TRUE;
}

namespace win32 {

void SetReportedVersion(DWORD major, DWORD minor) {
  g_minor = minor;
  g_major = major;
}

}  // namespace win32
