#include "client/sync/SyncHelper.h"

#include <netdb.h>
#include <netinet/in.h>
#include <arpa/inet.h>
#include <unistd.h>

#include <cstdlib>

#include <juce_cryptography/juce_cryptography.h>

#include "client/core/LogWriter.h"
#include "client/core/account/AccountData.h"
#include "client/core/protocol/ServerDirInfo.h"
#include "client/core/protocol/ServerFileInfo.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "common/AppPaths.h"
#include "common/PathText.h"
#include "common/StringConvert.h"
#include "win32/Windows.h"

namespace SyncHelper {
namespace {

const juce::String kSeparator = juce::String::charToString(Common::kPathSeparator);

juce::String WithSeparator(juce::String folder) {
  if (!folder.endsWith(kSeparator)) folder += kSeparator;
  return folder;
}

// The service's mail domains whose accounts are VIP accounts.
const char* const kVipMailDomains[] = {"vip.halvorn.com", "vip.halvorn.net", "vip.halvorn.cn", "halvorn.vip"};

juce::String Text(const std::string& text) { return Common::Stdstring_To_String(text); }

// A name holding a NUL would be cut short at it: it becomes the empty name,
// which the pulls refuse as they refuse every name that is no file name.
juce::String NameText(const std::string& name) {
  return name.find('\0') == std::string::npos ? Text(name) : juce::String();
}

}  // namespace

juce::String GetFileMD5(const juce::String& path) {
  // JUCE hashes a file it cannot open as no bytes at all, and never finishes
  // that digest: all zeros, which callers would take for a content.
  const juce::File file(path);
  if (!file.existsAsFile()) return {};
  juce::FileInputStream in(file);
  if (!in.openedOk()) return {};
  return juce::MD5(in).toHexString();
}

int GetPathType(const juce::String& path) {
  const juce::File file(path);
  if (file.exists()) return file.isDirectory() ? PATH_FOLDER : PATH_FILE;
  if (SyncFileDataManager::IsFileInDB(path)) return PATH_FILE;
  if (SyncFileDataManager::IsFolderInDB(path)) return PATH_FOLDER;
  return PATH_UNKNOWN;
}

std::string GetLocalIP() {
  WSADATA data;
  if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return {};
  std::string address;
  char host[256] = {};
  addrinfo hints = {};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  if (gethostname(host, sizeof host - 1) == 0 && getaddrinfo(host, nullptr, &hints, &found) == 0 && found) {
    char dotted[INET_ADDRSTRLEN] = {};
    const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    if (inet_ntop(AF_INET, &ipv4->sin_addr, dotted, sizeof dotted)) address = dotted;
  }
  if (found) freeaddrinfo(found);
  WSACleanup();
  return address;
}

juce::String GetLocalComputerName() {
  wchar_t name[80] = {};
  DWORD size = 80;
  if (!GetComputerNameW(name, &size)) return {};
  return juce::String(name);
}

bool IsFileSizeChanged(juce::int64 size, const juce::String& path) { return GetFileSize(path) != size; }

bool IsFileTimeChanged(const juce::String& path, juce::Time time) {
  return GetFileModifiedTime(path).toString(true, true, true, false) != time.toString(true, true, true, false);
}

juce::Time GetFileModifiedTime(const juce::String& path) { return juce::File(path).getLastModificationTime(); }

juce::String GetUserFolder(const juce::String& account) {
  CString appData;
  Common::GetAppDataPath(appData);
  return WithSeparator(Common::CString_to_String(appData)) + "users" + kSeparator + account + kSeparator;
}

juce::String GetUserDBPath(const juce::String& account) { return GetUserFolder(account) + "user.db"; }

void ServerDirToSyncFolderData(const ServerDirInfo& dir, SyncFolderData& row) {
  row.m_FolderID = dir.id;
  row.m_OwnerID = dir.ownerId;
  row.m_OwnerAccount = Text(dir.owner);
  row.m_ParentID = dir.parentId;
  row.m_ParentPath = Text(dir.path);
  row.m_FolderName = NameText(dir.dirName);
  row.m_FolderMeno = Text(dir.description);
  row.m_FolderType = dir.type;
  row.m_FolderSysType = dir.sysType;
  row.m_FolderStatus = dir.status;
  row.m_FileSize = dir.filesSize;
  row.m_FileCount = dir.filesCount;
  row.m_FileTotalSize = dir.filesTotalSize;
  row.m_FileTotalCount = dir.filesTotalCount;
  row.m_CreateTime = dir.createTime;
  row.m_UpdateTime = dir.updateTime;
  row.m_VersionValue = Text(dir.versionValue);
  row.m_VersionType = dir.versionType;
}

juce::int64 GetFileSize(const juce::String& path) { return juce::File(path).getSize(); }

void ServerFileToSyncFileData(const ServerFileInfo& file, SyncFileData& row) {
  row.m_FileID = file.id;
  row.m_FilePath = Text(file.path);
  row.m_FileType = file.type;
  row.m_FileStatus = file.status;
  row.m_FileMeno = Text(file.description);
  row.m_UpdateTime = file.updateTime;
  row.m_CreateTime = file.createTime;
  row.m_OwnerID = file.ownerId;
  row.m_OwnerAccount = Text(file.owner);
  row.m_CreateID = file.creatorId;
  row.m_CreatorAccount = Text(file.creator);
  row.m_ParentID = file.parentId;
  row.m_FileName = NameText(file.fileName).replaceCharacter('?', ' ');
  row.m_VersionValue = Text(file.versionValue);
  row.m_VersionType = file.versionType;
  row.m_DocType = file.doc.type;
  row.m_Md5 = Text(file.doc.md5);
  row.m_FileSize = file.doc.size;
  row.m_URL = Text(file.doc.URL);
  row.m_SizeLimit = file.sizeLimit;
  row.m_RenewLimit = 0;
  row.m_Duration = 0;
}

juce::String GetDownloadTempDirectory() {
  // DORV_STAGING_DIR moves it: the program folder may be read-only, and
  // processes that share a program folder (tests) must not share staged files.
  const char* custom = std::getenv("DORV_STAGING_DIR");
  const juce::String folder = custom && *custom
                                  ? WithSeparator(juce::String::fromUTF8(custom))
                                  : WithSeparator(Common::CString_to_String(Common::GetAppPath())) + "temp" + kSeparator;
  const juce::String bare = folder.dropLastCharacters(1);
  const DWORD attributes = GetFileAttributesW(bare.toWideCharPointer());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return folder;
  if (CreateDirectoryW(bare.toWideCharPointer(), nullptr)) return folder;
  WriteLog(ErrorLog, "SyncHelper::GetDownloadTempDirectory", "Create temp directory failed: " + folder);
  return {};
}

juce::String GetVersionNumber(const juce::String& version) {
  const int bar = version.indexOfChar('|');
  return bar >= 1 ? version.substring(bar + 1) : juce::String();
}

int CompareVersionValue(const juce::String& a, const juce::String& b) {
  if (a == b) return 0;
  const juce::String numberA = GetVersionNumber(a), numberB = GetVersionNumber(b);
  if (numberA == numberB) return 0;
  return numberA.getLargeIntValue() > numberB.getLargeIntValue() ? 1 : -1;
}

void RefreshTrayWhenIdle() {
  SyncStatusTracker* tracker = GetSyncStatusTracker();
  const SyncEngineLinks links = GetSyncEngineLinks();
  if (!tracker || !links.isEngineIdle || !links.isEngineIdle()) return;
  tracker->ClearTransfers();
  // With nothing queued nothing is syncing, whatever the status cache still
  // holds of paths the engine left without a final state: the tray shows
  // synced (an error stays shown), with no flash of syncing first.
  tracker->UpdateSyncStateFromRoot(true);
}

bool IsUnderFolder(const juce::String& folder, const juce::String& path) {
  if (folder.isEmpty() || path.isEmpty()) return false;
  const juce::String root = WithSeparator(folder);
  juce::String parent = WithSeparator(Common::String_GetParentPath(path));
  while (parent.length() >= root.length()) {
    if (parent == root) return true;
    const juce::String next = WithSeparator(Common::String_GetParentPath(parent));
    if (next == parent) break;  // no separator left to climb by
    parent = next;
  }
  return false;
}

bool IsFileOccupied(const juce::String& path) {
  HANDLE file = CreateFileW(path.toWideCharPointer(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}

void ReportFileTooBig(const juce::String& path) {
  const int limit = GetAccountData()->GetUserConfig().UC_FileSizeLimit;
  if (ISyncNotifyUI* sink = GetSyncNotifyUI()) {
    SyncNotifyInfo info;
    info.type = SNT_FILE_TOO_BIG;
    info.a = path;
    info.b = juce::String(limit / 1048576);
    sink->NotifySyncEvent(info);
    sink->NotifyPathStatus(path, SYNC_PATH_FAILED);
  }
  if (SyncPathList* tips = GetSyncTipList()) tips->AddUnique(path, TIP_FILE_TOO_BIG);
}

bool IsDiskSpaceLow(const juce::String& path) {
  if (path.isEmpty()) return false;
  ULARGE_INTEGER freeToCaller{};
  if (!win32::GetFreeSpaceOfPath(path.toWideCharPointer(), &freeToCaller)) return false;
  return static_cast<juce::int64>(freeToCaller.QuadPart) < kLowDiskSpaceBytes;
}

juce::String ShortenFileName(const juce::String& name) {
  if (name.isEmpty()) return {};
  juce::String base = name, extension;
  const int dot = name.lastIndexOfChar('.');
  if (dot >= 1) {
    base = name.substring(0, dot);
    extension = name.substring(dot);
  }
  if (extension.length() > 4) extension = extension.substring(0, 4);
  if (base.length() > 20) base = base.substring(0, 2) + "..." + base.substring(base.length() - 2);
  return base + extension;
}

bool IsFolderEmpty(const juce::String& path) {
  if (path.isEmpty()) {
    WriteMessageLog(ErrorLog, "sFolderPath is Empty");
    return false;
  }
  return PathIsDirectoryEmptyW(path.toWideCharPointer()) != FALSE;
}

bool IsVip(const juce::String& userName) {
  if (userName.isEmpty()) return false;
  const int at = userName.lastIndexOfChar('@');
  if (at <= 0) {
    WriteMessageLog(ErrorLog, "IsVip username is Error, UserName is " + userName);
    return false;
  }
  const juce::String domain = userName.substring(at + 1).toLowerCase();
  for (const char* vip : kVipMailDomains)
    if (domain == vip) return true;
  return false;
}

void LogDownloadFromServer(juce::int64 id, const juce::String& fileName, const juce::String& op,
                           const juce::String& versionValue, const juce::String& type) {
  WriteMessageLog(3, "Download From Server,Type is " + type + ",fileName is " + fileName + ",VersionValue is " +
                         versionValue + ",Op is " + op + ",Id is " + juce::String(id));
}

bool IsIgnoredFileName(const juce::String& name) {
  const juce::String lower = name.toLowerCase();
  return lower == "thumbs.db" || lower == "desktop.ini";
}

bool MoveWithoutReplace(const juce::String& from, const juce::String& to) {
  return MoveFileW(from.toWideCharPointer(), to.toWideCharPointer()) != FALSE;
}

juce::String FreeCopyPath(const juce::String& path) {
  const juce::File file(path);
  const juce::String stem = file.getFileNameWithoutExtension(), extension = file.getFileExtension();
  const juce::File parent = file.getParentDirectory();
  for (int n = 1; n < 10000; ++n) {
    const juce::File copy = parent.getChildFile(stem + " (" + juce::String(n) + ")" + extension);
    const juce::String candidate = copy.getFullPathName();
    SyncFileData row;
    if (!copy.exists() && !SyncFileDataManager::SelectSyncFileData(candidate, row)) return candidate;
  }
  return {};
}

}  // namespace SyncHelper
