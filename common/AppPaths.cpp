#include "common/AppPaths.h"

#include <mutex>
#include <vector>

#include "common/PathText.h"
#include "common/PrivateFiles.h"
#include "common/StringConvert.h"
#include "win32/Windows.h"

namespace Common {

namespace {

CString ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return CString();
  return CString(path);
}

}  // namespace

CString GetAppPath() {
  // Grows until the whole name fits: a cut name would give a wrong folder.
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return CString();
    if (n < buffer.size()) break;
    buffer.resize(buffer.size() * 2);
  }
  CString path(buffer.data());
  int cut = path.ReverseFind(kPathSeparator);
  if (cut < 0) cut = path.ReverseFind(L':');
  return cut < 0 ? CString() : path.Left(cut + 1);
}

int GetAppDataPath(CString& out) {
  static std::mutex s_lock;
  static CString s_cached;
  std::lock_guard<std::mutex> guard(s_lock);
  if (!s_cached.IsEmpty()) {
    out = s_cached;
    return 1;
  }
  // Created when missing: a fresh account may have no data folder yet.
  CString system = ShellFolder(CSIDL_APPDATA | CSIDL_FLAG_CREATE);
  if (!system.IsEmpty()) {
    CString company = system + kPathSeparator + L"Halvorn" + kPathSeparator;
    out = company + L"dorv" + kPathSeparator;
    // Private whatever the umask, and made so where an earlier run left them open.
    MakePrivateFolder(CString_to_utf8(company));
    MakePrivateFolder(CString_to_utf8(out));
  } else {
    out = GetAppPath();
  }
  s_cached = out;
  return 1;
}

int GetSystemAppDataPath(CString& out) {
  out = ShellFolder(CSIDL_APPDATA);
  return 1;
}

int GetMyDocumentsPath(CString& out) {
  out = ShellFolder(CSIDL_PERSONAL);
  if (!HasBackslash(out)) out += kPathSeparator;
  return 1;
}

}  // namespace Common
