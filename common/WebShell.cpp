#include "common/WebShell.h"

#include <cwchar>
#include <string>
#include <vector>

#include "common/AppPaths.h"
#include "common/FileHelpers.h"
#include "common/SystemVersion.h"

namespace Common {
namespace {

constexpr wchar_t kOldBrowser[] = L"IEXPLORE.EXE";

bool Started(HINSTANCE result) { return reinterpret_cast<INT_PTR>(result) > 32; }

// A string value of an open key (null name: the first value); empty when unreadable.
bool ReadText(HKEY key, LPCWSTR name, std::wstring& out) {
  DWORD type = 0, size = 0;
  std::vector<BYTE> data;
  LSTATUS status;
  if (name) {
    status = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) return false;
    data.resize(size + sizeof(wchar_t));
    status = RegQueryValueExW(key, name, nullptr, &type, data.data(), &size);
  } else {
    wchar_t valueName[256];
    DWORD nameLength = 256;
    status = RegEnumValueW(key, 0, valueName, &nameLength, nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) return false;
    data.resize(size + sizeof(wchar_t));
    nameLength = 256;
    status = RegEnumValueW(key, 0, valueName, &nameLength, nullptr, &type, data.data(), &size);
  }
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  const auto* text = reinterpret_cast<const wchar_t*>(data.data());
  out.assign(text, wcsnlen(text, size / sizeof(wchar_t)));
  return true;
}

bool ReadKeyText(HKEY root, LPCWSTR path, LPCWSTR name, std::wstring& out, bool* opened = nullptr) {
  HKEY key = nullptr;
  bool open = RegOpenKeyExW(root, path, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS;
  if (opened) *opened = open;
  if (!open) return false;
  bool read = ReadText(key, name, out);
  RegCloseKey(key);
  return read;
}

// The browser test for one scheme ("http" or "https").
bool IsIEBrowserFor(const wchar_t* scheme, const wchar_t* progId, bool unknownAnswer) {
  if (IsVistaWindows()) {
    std::wstring key = std::wstring(L"Software\\MicroSoft\\Windows\\Shell\\Associations\\UrlAssociations\\") +
                       scheme + L"\\UserChoice";
    std::wstring value;
    return ReadKeyText(HKEY_CLASSES_ROOT, key.c_str(), L"Progid", value) &&
           CString(value.c_str()).CompareNoCase(progId) == 0;
  }
  std::wstring key = std::wstring(scheme) + L"\\shell\\open\\command";
  bool opened = false;
  std::wstring command;
  if (!ReadKeyText(HKEY_CLASSES_ROOT, key.c_str(), nullptr, command, &opened)) return opened ? false : unknownAnswer;
  CString lower(command.c_str());
  lower.MakeLower();
  return lower.Find(L"internet explorer\\iexplore.exe") >= 0;
}

}  // namespace

float GetIEVersion() {
  std::wstring version;
  if (!ReadKeyText(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Internet Explorer", L"Version", version)) return 5.0f;
  return static_cast<float>(std::wcstod(version.substr(0, 3).c_str(), nullptr));
}

bool IsUsingIEAsHttpBrowser() { return IsIEBrowserFor(L"http", L"IE.HTTP", false); }

bool IsUsingIEAsHttpsBrowser() { return IsIEBrowserFor(L"https", L"IE.HTTPS", true); }

void SafeOpenWeb(const CString& url, int show) {
  CString scheme = url;
  scheme.Trim();
  scheme.MakeLower();
  bool https = scheme.Left(5) == L"https";
  bool oldBrowser = GetIEVersion() < 7 && (https ? IsUsingIEAsHttpsBrowser() : IsUsingIEAsHttpBrowser());
  HINSTANCE result = oldBrowser ? ShellExecuteW(nullptr, L"open", kOldBrowser, url, nullptr, show)
                                : ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, show);
  if (Started(result)) return;
  if (Started(ShellExecuteW(nullptr, L"open", kOldBrowser, url, nullptr, show))) return;
  MessageBoxW(nullptr, L"can't open iexplore.exe, please setup iexplore !", L"tips message!", MB_ICONINFORMATION);
}

int SaveOpenFileHTML(const CString& page) {
  wchar_t folder[MAX_PATH] = {};
  wchar_t reserved[MAX_PATH] = {};
  DWORD length = GetTempPathW(MAX_PATH, folder);
  HANDLE file = INVALID_HANDLE_VALUE;
  CString pagePath;
  if (length > 0 && length < MAX_PATH && GetTempFileNameW(folder, L"ewfxcvgs", 0, reserved) != 0) {
    pagePath = CString(reserved) + L".html";
    file = CreateFileW(pagePath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (file == INVALID_HANDLE_VALUE) {
    if (reserved[0]) SafeDeleteFile(reserved);
    MessageBoxW(nullptr, L"无法创建临时文件！请检查是否有足够的磁盘空间！", L"错误！", MB_ICONWARNING);
    return 0;
  }
  // UTF-16LE with its byte-order mark, so that a browser knows how to read the page.
  std::string bytes = "\xFF\xFE" + WideToUtf16LE(page.str());
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);

  SafeOpenWeb(pagePath, SW_SHOWNORMAL);
  // The browser reads the page while it starts; then the page and the name it was
  // made from go.
  Sleep(3000);
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (DeleteFileW(pagePath)) break;
    if (attempt < 2) Sleep(3000);
  }
  SafeDeleteFile(reserved);
  return 1;
}

int LocateFile(const CString& path) {
  if (!IsFileExist(path)) return 0;
  // The path reaches the shell as one item: a name may hold quotes and
  // spaces, so it never goes into a command line that is split again.
  PIDLIST_ABSOLUTE item = ILCreateFromPathW(path);
  if (!item) return 0;
  SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
  ILFree(item);
  return 1;
}

void* LoadLocalExe(CString program, CString parameters, int show) {
  CString file = GetAppPath() + program;
  CString folder = GetAppPath();
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = file;
  info.lpParameters = parameters;
  info.lpDirectory = folder;
  info.nShow = show;
  if (!ShellExecuteExW(&info) || !Started(info.hInstApp)) return nullptr;
  return info.hProcess;
}

}  // namespace Common
