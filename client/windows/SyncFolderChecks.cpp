#include "client/windows/SyncFolderChecks.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "client/core/account/AccountData.h"
#include "client/core/protocol/ServerDirInfo.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/windows/DorvMessageBox.h"
#include "common/MutiLanSupport.h"
#include "common/NumberText.h"
#include "common/PathText.h"
#include "common/StringConvert.h"
#include "win32/NativePath.h"
#include "win32/FindFile.h"

namespace {

constexpr int kMaxFolderDepth = 10;
constexpr int kCryIcon = 6;
constexpr int kWarningIcon = 1;

// Recomputed by every CheckSyncFolder, read by the walk.
int g_nFileAllowance = 0;

enum class Refusal { SystemFolder, TooManyFiles, TooDeep, Link, NotWritable, Nested };

CString Text(const wchar_t* id) { return Common::CMutiLanSupport::GetInstance()->GetStringViaID(id); }

// folder joined with name by exactly one separator.
CString Join(const CString& folder, const wchar_t* name) {
  CString out = folder;
  if (out.IsEmpty() || out[out.GetLength() - 1] != Common::kPathSeparator) out += Common::kPathSeparator;
  return out + name;
}

bool IsDots(const wchar_t* name) { return !wcscmp(name, L".") || !wcscmp(name, L".."); }

std::filesystem::path HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  if (passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return {};
}

// Absolute, without "." and ".." steps and without a trailing separator.
std::filesystem::path Normal(std::filesystem::path p) {
  std::error_code error;
  if (p.is_relative()) p = std::filesystem::absolute(p, error);
  p = p.lexically_normal();
  if (p.has_relative_path() && !p.has_filename()) p = p.parent_path();
  return p;
}

bool IsSystemLocation(const std::filesystem::path& p, const std::filesystem::path& home) {
  if (p == p.root_path()) return true;
  if (!home.empty() && p == home) return true;
  const std::string top = p.relative_path().begin()->string();
  static const char* const kSystemFolders[] = {"bin", "boot", "dev", "etc", "proc", "run", "sbin", "sys", "usr", "var"};
  for (const char* folder : kSystemFolders)
    if (top == folder) return true;
  return top.compare(0, 3, "lib") == 0;
}

int ShowRefusal(Refusal refusal, CWnd* owner) {
  struct Message {
    const wchar_t* title;
    const wchar_t* panel;
  };
  static const Message kMessages[] = {
      {L"STRID_SYSTEMSETUPDIRFORM_TIETLE", L"InnerPanelSystemSetupDir"},
      {L"STRID_FILETOOMANYFORM_TIETLE", L"InnerPanelFileTooMany"},
      {L"STRID_DIRLEVELTOODEEPFORM_TIETLE", L"InnerPanelDirLevelTooDeep"},
      {L"STRID_SYSTEMSETUPDIRFORM_TIETLE", L"InnerPanelSyncDirLink"},
      {L"STRID_SYSTEMSETUPDIRFORM_TIETLE", L"InnerPanelSyncDirReadOnly"},
      {L"STRID_SYSTEMSETUPDIRFORM_TIETLE", L"InnerPanelSyncDirNested"},
  };
  const Message& message = kMessages[static_cast<int>(refusal)];
  CDorvMessageBox box;
  box.SetContent(kCryIcon, Text(message.title), message.panel);
  if (!box.Create(owner)) return 0;
  if (UI::CUIControl* number = box.FindControlRecusive(L"V1FileNum")) {
    CString text;
    const CString format = number->GetText();
    text.Format(static_cast<const wchar_t*>(format), static_cast<const wchar_t*>(Common::Int2CString(g_nFileAllowance)));
    number->SetText(text, FALSE);
  }
  box.DoModal();
  return 0;
}

}  // namespace

bool IsSystemFolderForSync(const CString& path) {
  if (path.IsEmpty()) return false;
  const std::filesystem::path given = Normal(NativePath(path));
  const std::filesystem::path home = HomeFolder().empty() ? std::filesystem::path() : Normal(HomeFolder());
  if (IsSystemLocation(given, home)) return true;
  // A symbolic link on the way may lead into a system location.
  std::error_code error;
  const std::filesystem::path real = std::filesystem::weakly_canonical(given, error);
  if (error) return false;
  std::filesystem::path realHome = home.empty() ? home : std::filesystem::weakly_canonical(home, error);
  if (error) realHome = home;
  return IsSystemLocation(Normal(real), realHome);
}

bool IsLinkFolderForSync(const CString& path) {
  if (path.IsEmpty()) return false;
  std::string native = NativePath(path);
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  struct stat info {};
  return ::lstat(native.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool IsWritableFolderForSync(const CString& path) {
  const std::string native = NativePath(path);
  struct stat info {};
  if (native.empty() || ::stat(native.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
  if (::access(native.c_str(), W_OK | X_OK) != 0) return false;
  // The super-user passes access() whatever the mode says; a folder whose
  // mode denies writing is still one the user keeps from being written.
  if (::geteuid() != 0) return true;
  const mode_t writable = info.st_uid == 0 ? S_IWUSR : (S_IWUSR | S_IWGRP | S_IWOTH);
  return (info.st_mode & writable) != 0;
}

bool AreSyncFoldersNested(const CString& one, const CString& other) {
  if (one.IsEmpty() || other.IsEmpty()) return false;
  // Compared as the folders they are, so that a link on the way hides nothing.
  auto real = [](const CString& path) {
    std::error_code error;
    const std::filesystem::path normal = Normal(NativePath(path));
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(normal, error);
    return error ? normal : Normal(resolved);
  };
  const std::filesystem::path a = real(one), b = real(other);
  if (a == b) return false;
  auto within = [](const std::filesystem::path& inner, const std::filesystem::path& outer) {
    auto i = inner.begin();
    for (auto o = outer.begin(); o != outer.end(); ++o, ++i)
      if (i == inner.end() || *i != *o) return false;
    return true;
  };
  return within(a, b) || within(b, a);
}

int GetSyncFolderFileAllowance() { return g_nFileAllowance; }

int CheckSyncFolder(CString path, CWnd* owner) {
  if (IsSystemFolderForSync(path)) return ShowRefusal(Refusal::SystemFolder, owner);
  if (IsLinkFolderForSync(path)) return ShowRefusal(Refusal::Link, owner);
  if (!IsWritableFolderForSync(path)) return ShowRefusal(Refusal::NotWritable, owner);
  const CString root = Common::String_To_CString(SyncRootFolder::GetInstance()->GetRootPath());
  if (AreSyncFoldersNested(path, root)) return ShowRefusal(Refusal::Nested, owner);
  const UserConfigInfo config = GetAccountData()->GetUserConfig();
  g_nFileAllowance = std::max(0, config.UC_FilesTotalNumLimit - config.UC_FileCount);
  int count = 0;
  if (CountFolderFiles(path, count, 1)) return 1;
  return ShowRefusal(count > g_nFileAllowance ? Refusal::TooManyFiles : Refusal::TooDeep, owner);
}

int CountFolderFiles(CString folder, int& count, int depth) {
  if (count > g_nFileAllowance || depth > kMaxFolderDepth) return 0;
  WIN32_FIND_DATAW entry{};
  HANDLE find = ::FindFirstFileW(Join(folder, L"*.*"), &entry);
  if (find == INVALID_HANDLE_VALUE) return 1;
  int result = 1;
  do {
    if (IsDots(entry.cFileName)) continue;
    const bool folderEntry = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                             !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    if (!folderEntry) {
      ++count;
    } else if (!CountFolderFiles(Join(folder, entry.cFileName), count, depth + 1)) {
      result = 0;
      break;
    }
  } while (::FindNextFileW(find, &entry));
  ::FindClose(find);
  return result;
}

bool IsFolderEmptyForSync(CString path) {
  WIN32_FIND_DATAW entry{};
  HANDLE find = ::FindFirstFileW(Join(path, L"*.*"), &entry);
  if (find == INVALID_HANDLE_VALUE) return true;
  bool empty = true;
  do {
    if (!IsDots(entry.cFileName) && wcscmp(entry.cFileName, L"desktop.ini") != 0) {
      empty = false;
      break;
    }
  } while (::FindNextFileW(find, &entry));
  ::FindClose(find);
  return empty;
}

int CheckFolderMerge(CString path, const ServerDirInfo* serverFolder, CWnd* owner) {
  if (IsFolderEmptyForSync(path)) return 0;
  if (!serverFolder || (serverFolder->filesCount <= 0 && serverFolder->dirsCount <= 0)) return 0;
  CDorvMessageBox box;
  box.SetContent(kWarningIcon, Text(L"STRID_MERGEFORM_TIETLE"), L"InnerPanelMerge");
  if (!box.Create(owner)) return -1;
  return box.DoModal() ? 1 : -1;
}
