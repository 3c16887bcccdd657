#include "common/MachineFunctions.h"

#include <string>

#include "common/FileHelpers.h"
#include "common/PathText.h"

namespace Common {
namespace {

// The folder whose file system a path lives on: the path itself or the nearest
// of its parents that exists.
CString ExistingFolderOf(CString path) {
  while (path.GetLength() > 1 && !IsFileExist(path)) {
    int cut = path.ReverseFind(kPathSeparator);
    if (cut < 0) return CString();
    path = cut == 0 ? CString(L"/") : path.Left(cut);
  }
  return path;
}

// An EDID block's size in millimetres, from its first detailed timing descriptor.
_SEdid SizeFromEdid(const BYTE* edid) {
  return _SEdid{edid[66] + 256 * (edid[68] >> 4), edid[67] + 256 * (edid[68] & 0x0F)};
}

HKEY OpenKey(HKEY parent, const std::wstring& path) {
  HKEY key = nullptr;
  return RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS ? key : nullptr;
}

std::wstring SubkeyName(HKEY key, DWORD index) {
  wchar_t name[256];
  DWORD length = 256;
  if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return {};
  return std::wstring(name, length);
}

}  // namespace

unsigned long long GetDiskFree(CString path) {
  CString volume;
  if (path.GetLength() >= 2 && path[1] == L':')
    volume = path.Left(3);
  else if (path.GetLength() >= 1 && path[0] == kPathSeparator)
    volume = ExistingFolderOf(path);
  else
    return 0;
  ULARGE_INTEGER free{};
  if (volume.IsEmpty() || !GetDiskFreeSpaceExW(volume, &free, nullptr, nullptr)) return 0;
  return free.QuadPart;
}

int SysMinimizeDownMemory() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExW(&info) || info.dwPlatformId != VER_PLATFORM_WIN32_NT) return 0;
  SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
  return 1;
}

CString GetNewGuid() {
  // Only a successful initialisation is balanced: one refused for another model
  // leaves the thread's COM as it was.
  bool initialised = SUCCEEDED(CoInitialize(nullptr));
  CString text;
  GUID guid;
  wchar_t buffer[64];
  if (SUCCEEDED(CoCreateGuid(&guid)) && StringFromGUID2(guid, buffer, 64) > 0)
    text = buffer;
  else
    text.Format(L"%ld", static_cast<long>(GetTickCount()));
  if (initialised) CoUninitialize();
  return text;
}

void* RegisterInterfaceNotificationWorker(void* recipient, const GUID* interfaceClass, unsigned long flags) {
  if (!interfaceClass) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  DEV_BROADCAST_DEVICEINTERFACE_W filter{};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid = *interfaceClass;
  return RegisterDeviceNotificationW(recipient, &filter, flags);
}

void ReadEDID(std::vector<_SEdid>* out, bool attachedOnly) {
  if (!out) return;
  HKEY display = OpenKey(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Enum\\DISPLAY\\");
  if (!display) return;
  for (DWORD model = 0;; ++model) {
    std::wstring modelName = SubkeyName(display, model);
    if (modelName.empty()) break;
    HKEY modelKey = OpenKey(display, modelName);
    if (!modelKey) continue;
    std::wstring instanceName = SubkeyName(modelKey, 0);  // one monitor of the model
    HKEY instance = instanceName.empty() ? nullptr : OpenKey(modelKey, instanceName);
    RegCloseKey(modelKey);
    if (!instance) continue;
    HKEY control = attachedOnly ? OpenKey(instance, L"Control") : nullptr;
    if (control) RegCloseKey(control);
    HKEY parameters = !attachedOnly || control ? OpenKey(instance, L"Device Parameters") : nullptr;
    RegCloseKey(instance);
    if (!parameters) continue;
    BYTE edid[256] = {};
    DWORD type = 0, size = sizeof edid;
    LSTATUS status = RegQueryValueExW(parameters, L"EDID", nullptr, &type, edid, &size);
    RegCloseKey(parameters);
    // A block too short to hold the first detailed timing descriptor says nothing.
    if (status == ERROR_SUCCESS && type == REG_BINARY && size > 68) out->push_back(SizeFromEdid(edid));
  }
  RegCloseKey(display);
}

}  // namespace Common
