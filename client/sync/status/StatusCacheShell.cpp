// The status cache's publication of the sync root: the shared memory the Explorer
// extension reads, and the root's desktop.ini.
#include <cstring>

#include "client/core/LogWriter.h"
#include "client/core/account/AccountData.h"
#include "client/sync/status/CStatusCache.h"
#include "common/PathText.h"
#include "common/PrivateFiles.h"
#include "common/StringConvert.h"
#include "common/SystemVersion.h"

namespace {

constexpr DWORD kRecordSize = sizeof(ShellRootMapping);

}  // namespace

// Maps the shared memory and puts the root record into it (or only zeroes it).
// False when there is no shared memory or its view can't be mapped.
bool CStatusCache::CopyRecordToMapping(bool clearOnly) {
  if (!m_hMapping) return false;
  void* view = MapViewOfFile(m_hMapping, FILE_MAP_ALL_ACCESS, 0, 0, kRecordSize);
  if (!view) return false;
  std::memset(view, 0, kRecordSize);
  if (!clearOnly) {
    std::lock_guard<std::mutex> hold(m_rootLock);
    std::memcpy(view, &m_rootRecord, kRecordSize);
  }
  UnmapViewOfFile(view);
  return true;
}

void CStatusCache::PublishRoot(const juce::String& rootPath) {
  // A second publication (resuming) uses the shared memory it already holds.
  if (!m_hMapping) {
    m_hMapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kRecordSize, kShellMappingName);
    if (!m_hMapping) return;
  }
  CString root = Common::String_To_CString(rootPath);
  if (root.GetLength() > 1 && root[root.GetLength() - 1] == Common::kPathSeparator) root.Truncate(root.GetLength() - 1);
  {
    std::lock_guard<std::mutex> hold(m_rootLock);
    // A root too long for the record is published empty rather than cut: a cut
    // root would name another folder.
    PutWirePath(m_rootRecord.root, root.str());
    m_rootRecord.disabled = 0;
    m_rootRecord.reserved = 0;
    m_strRoot = root;
  }
  if (!CopyRecordToMapping(false)) return;
  SetPathStatus(Common::CString_to_String(root), STATUS_NORMAL);
  WriteDesktopIni(root);
  QueueRefreshText(root, true);
}

void CStatusCache::ReleaseRoot() {
  bool wasOn = false;
  {
    std::lock_guard<std::mutex> hold(m_rootLock);
    wasOn = m_rootRecord.disabled == 0;
    m_rootRecord.disabled = 1;
  }
  if (wasOn && m_hMapping && !CopyRecordToMapping(false)) return;
  if (!GetAccountData()->IsLoggedIn()) {
    WriteMessageLog(KeyPoint, "Release mapping file success !");
    if (!CopyRecordToMapping(true)) return;
    CloseHandle(m_hMapping);
    m_hMapping = nullptr;
  }
  QueueRefreshText(RootText(), true);
}

bool CStatusCache::GetRootStatus(int& state) {
  {
    std::lock_guard<std::mutex> hold(m_rootLock);
    if (m_rootRecord.disabled) return false;
  }
  CString root = RootText();
  EnterCriticalSection(&m_cacheLock);
  StatusDirNode* node = FindNode(root);
  state = node ? node->m_nState : STATUS_NORMAL;
  LeaveCriticalSection(&m_cacheLock);
  return true;
}

void CStatusCache::WriteDesktopIni(const CString& root) {
  CString ini;
  ini.Format(L"%s%c%s", root.GetString(), Common::kPathSeparator, L"desktop.ini");
  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  CString index;
  index.Format(L"-%d", Common::IsVistaOrWin7() ? 1003 : 2003);
  WritePrivateProfileStringW(L".ShellClassInfo", L"IconFile", program, ini);
  WritePrivateProfileStringW(L".ShellClassInfo", L"IconIndex", index, ini);
  WritePrivateProfileStringW(L".ShellClassInfo", L"InfoTip", L"Dorv files", ini);
  // The program's own file, not the user's: nobody else reads it.
  Common::MakePrivateFile(Common::CString_to_utf8(ini));
  DWORD attributes = GetFileAttributesW(ini);
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (!(attributes & FILE_ATTRIBUTE_HIDDEN))
    SetFileAttributesW(ini, (attributes & ~FILE_ATTRIBUTE_NORMAL) | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  // The root folder is not made read-only: here that takes away the permission to
  // write into it, and sync would stop. Nothing reads the flag to find desktop.ini.
}
