#include "client/sync/registry/MovedFolderRegistry.h"

#include "client/sync/LazyInstance.h"
#include <deque>
#include <vector>

#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/status/SyncPathList.h"
#include "win32/Windows.h"

namespace {

LazyInstance<MovedFolderRegistry> g_instance;

constexpr int kChangeMoved = 5;

void RemoveTip(const juce::String& path) {
  if (SyncPathList* tips = GetSyncTipList()) tips->RemovePath(path);
}

// The folder and its subfolders, breadth first (the folder first).
std::vector<juce::File> FoldersBreadthFirst(const juce::File& top) {
  std::vector<juce::File> folders;
  if (!top.isDirectory()) return folders;
  std::deque<juce::File> queue{top};
  while (!queue.empty()) {
    juce::File folder = queue.front();
    queue.pop_front();
    folders.push_back(folder);
    for (const juce::File& child : folder.findChildFiles(juce::File::findDirectories, false, "*"))
      if (!child.isSymbolicLink()) queue.push_back(child);
  }
  return folders;
}

}  // namespace

MovedFolderRegistry* MovedFolderRegistry::GetInstance() {
  return g_instance.Get([] { return new MovedFolderRegistry(); });
}

void MovedFolderRegistry::DeleteInstance() { g_instance.Delete(); }

MovedFolderRegistry::~MovedFolderRegistry() { Clear(); }

void MovedFolderRegistry::Add(const juce::String& targetPath, const SyncFileData& row) {
  const juce::ScopedLock hold(m_lock);
  m_entries.emplace(targetPath, Entry{targetPath, row});
}

void MovedFolderRegistry::Clear() {
  const juce::ScopedLock hold(m_lock);
  m_entries.clear();
}

int MovedFolderRegistry::GetCount() {
  const juce::ScopedLock hold(m_lock);
  return static_cast<int>(m_entries.size());
}

bool MovedFolderRegistry::RunPending(const juce::String& sourceFolderPath) {
  const juce::ScopedLock hold(m_lock);
  if (m_entries.empty()) return true;
  const SyncEngineLinks links = GetSyncEngineLinks();
  for (auto it = m_entries.begin(); it != m_entries.end();) {
    Entry& entry = it->second;
    const juce::String oldPath = entry.m_fileData.m_FilePath;
    if (SyncHelper::IsFileOccupied(oldPath)) {
      ++it;
      continue;
    }
    if (SyncHelper::GetFileMD5(oldPath) != entry.m_fileData.m_Md5) {
      // Changed while it was held: the server's version comes down instead.
      if (links.queueServerFileAdd) links.queueServerFileAdd(entry.m_fileData);
      RemoveTip(oldPath);
      it = m_entries.erase(it);
      continue;
    }
    if (juce::File(entry.m_sTargetPath).exists()) {
      // Something else took the place meanwhile; the file stays where it is
      // and the clean-up below queues it for upload.
      it = m_entries.erase(it);
      continue;
    }
    if (links.ignoreProgramChange) links.ignoreProgramChange(oldPath, entry.m_sTargetPath, kChangeMoved);
    if (!SyncHelper::MoveWithoutReplace(oldPath, entry.m_sTargetPath)) {
      ++it;
      continue;
    }
    entry.m_fileData.m_FilePath = entry.m_sTargetPath;
    SaveSyncFileData(entry.m_fileData);
    RemoveTip(oldPath);
    it = m_entries.erase(it);
  }
  if (!m_entries.empty()) return false;
  CleanUpSourceFolder(sourceFolderPath);
  return true;
}

void MovedFolderRegistry::CleanUpSourceFolder(const juce::String& sourceFolderPath) {
  if (sourceFolderPath.isEmpty()) return;
  const juce::File source(sourceFolderPath);
  std::vector<juce::File> folders = FoldersBreadthFirst(source);
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    const juce::String path = it->getFullPathName();
    if (SyncHelper::IsFolderEmpty(path)) RemoveDirectoryW(path.toWideCharPointer());
  }
  if (!source.isDirectory()) return;
  const SyncEngineLinks links = GetSyncEngineLinks();
  for (const juce::File& folder : FoldersBreadthFirst(source)) {
    if (links.queueLocalFolderAdd) links.queueLocalFolderAdd(folder.getFullPathName());
    for (const juce::File& file : folder.findChildFiles(juce::File::findFiles, false, "*"))
      if (links.queueLocalFileAdd) links.queueLocalFileAdd(file.getFullPathName());
  }
}
