#include "common/SystemVersion.h"

namespace Common {
namespace {

bool PlainVersion(OSVERSIONINFOW& info) {
  info = {};
  info.dwOSVersionInfoSize = sizeof info;
  return GetVersionExW(&info) != FALSE;
}

}  // namespace

bool IsVistaWindows() {
  OSVERSIONINFOEXW extended{};
  extended.dwOSVersionInfoSize = sizeof extended;
  OSVERSIONINFOW plain{};
  const OSVERSIONINFOW* info = reinterpret_cast<OSVERSIONINFOW*>(&extended);
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&extended))) {
    if (!PlainVersion(plain)) return false;
    info = &plain;
  }
  return info->dwPlatformId == VER_PLATFORM_WIN32_NT && info->dwMajorVersion == 6;
}

int IsVistaOrWin7() {
  OSVERSIONINFOW info;
  return PlainVersion(info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion > 5 ? 1 : 0;
}

CString GetOSVersion() {
  OSVERSIONINFOW info;
  PlainVersion(info);
  CString text;
  text.Format(L"%d.%d", static_cast<int>(info.dwMajorVersion), static_cast<int>(info.dwMinorVersion));
  return text;
}

}  // namespace Common
