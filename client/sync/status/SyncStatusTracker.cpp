#include "client/sync/status/SyncStatusTracker.h"

#include <algorithm>

#include "client/core/GlobalConfig.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/SyncNotify.h"
#include "win32/Clock.h"

namespace {

constexpr int kRecentFilesMax = 10;

// The rate window runs on the process's clock, so tests move time themselves.
juce::int64 NowMs() { return static_cast<juce::int64>(win32::CurrentClock().NowMs()); }

juce::File RecentFilesXml(const juce::String& account) {
  return juce::File(SyncHelper::GetUserFolder(account) + "RecentlyUpdateFile.xml");
}

bool IsFileOp(int op) { return op >= 1 && op <= 5; }
bool IsRenameOp(int op) { return op == 4 || op == 9; }

}  // namespace

SyncStatusTracker::SyncStatusTracker() {
  m_recentFiles.m_nMax = kRecentFilesMax;
  Clear();
}

SyncStatusTracker::~SyncStatusTracker() { Clear(); }

void SyncStatusTracker::ZeroNumbers(Direction& direction) {
  const juce::ScopedLock hold(direction.lock);
  direction.figures = TransferFigures();
  direction.windowStart = 0;
  direction.windowBytes = 0;
}

void SyncStatusTracker::Reset() {
  m_nEngineState = 0;
  m_nSyncState = 0;
  m_nTransferState = 0;
  m_nNetState = 0;
  ZeroNumbers(m_up);
  ZeroNumbers(m_down);
  Clear();
}

void SyncStatusTracker::Clear() {
  {
    const juce::ScopedLock hold(m_recentFiles.m_lock);
    m_recentFiles.Clear();
  }
  {
    const juce::ScopedLock hold(m_up.lock);
    ClearListed(m_up, m_upFiles);
  }
  {
    const juce::ScopedLock hold(m_down.lock);
    ClearListed(m_down, m_downFiles);
  }
  {
    const juce::ScopedLock hold(m_changeNotesLock);
    m_changeNotes.clear();
  }
  const juce::ScopedLock hold(m_occupiedLock);
  m_occupiedPaths.clear();
}

void SyncStatusTracker::AddBytes(Direction& direction, int n) {
  const juce::ScopedLock hold(direction.lock);
  const juce::int64 now = NowMs();
  if (direction.windowStart == 0) {
    direction.windowStart = now;
    return;
  }
  direction.windowBytes += n;
  direction.figures.bytesLeft = std::max<juce::int64>(direction.figures.bytesLeft - n, 0);
  const juce::int64 elapsed = now - direction.windowStart;
  if (elapsed < 1000) return;
  const juce::int64 rate = direction.windowBytes / (elapsed / 1000);
  direction.figures.rate = rate;
  direction.windowStart = now;
  if (rate > 1) direction.figures.timeLeft = direction.figures.bytesLeft / rate;
  direction.windowBytes = 0;
}

void SyncStatusTracker::AddUpBytes(int n) { AddBytes(m_up, n); }
void SyncStatusTracker::AddDownBytes(int n) { AddBytes(m_down, n); }

template <typename Map, typename Key>
void SyncStatusTracker::SetListed(Direction& direction, Map& map, const Key& key, int size) {
  auto [it, added] = map.emplace(key, size);
  if (!added) {
    direction.listedBytes -= it->second;
    it->second = size;
  }
  direction.listedBytes += size;
}

template <typename Map, typename Key>
void SyncStatusTracker::EraseListed(Direction& direction, Map& map, const Key& key) {
  auto it = map.find(key);
  if (it == map.end()) return;
  direction.listedBytes -= it->second;
  map.erase(it);
}

template <typename Map>
void SyncStatusTracker::ClearListed(Direction& direction, Map& map) {
  map.clear();
  direction.listedBytes = 0;
}

template <typename Map>
void SyncStatusTracker::Recount(Direction& direction, const Map& map) {
  direction.figures.fileCount = static_cast<int>(map.size());
  const juce::int64 sum = direction.listedBytes;
  direction.figures.bytesLeft = sum;
  if (sum <= 0) {
    direction.figures.rate = 0;
    direction.figures.timeLeft = 0;
  }
}

void SyncStatusTracker::AddUpFile(const juce::String& path, int size) {
  {
    const juce::ScopedLock hold(m_up.lock);
    SetListed(m_up, m_upFiles, path, size);
    Recount(m_up, m_upFiles);
  }
  UpdateTransferState();
}

void SyncStatusTracker::RenameUpFile(const juce::String& oldPath, const juce::String& newPath) {
  const juce::ScopedLock hold(m_up.lock);
  auto it = m_upFiles.find(oldPath);
  if (it == m_upFiles.end()) return;
  const int size = it->second;
  EraseListed(m_up, m_upFiles, oldPath);
  SetListed(m_up, m_upFiles, newPath, size);
}

void SyncStatusTracker::RemoveUpFile(const juce::String& path) {
  {
    const juce::ScopedLock hold(m_up.lock);
    EraseListed(m_up, m_upFiles, path);
    Recount(m_up, m_upFiles);
  }
  UpdateTransferState();
}

void SyncStatusTracker::AddDownFile(juce::int64 id, int size) {
  {
    const juce::ScopedLock hold(m_down.lock);
    SetListed(m_down, m_downFiles, id, size);
    Recount(m_down, m_downFiles);
  }
  UpdateTransferState();
}

void SyncStatusTracker::RemoveDownFile(juce::int64 id) {
  {
    const juce::ScopedLock hold(m_down.lock);
    EraseListed(m_down, m_downFiles, id);
    Recount(m_down, m_downFiles);
  }
  UpdateTransferState();
}

void SyncStatusTracker::ClearTransfers() {
  {
    const juce::ScopedLock hold(m_up.lock);
    ClearListed(m_up, m_upFiles);
    Recount(m_up, m_upFiles);
  }
  {
    const juce::ScopedLock hold(m_down.lock);
    ClearListed(m_down, m_downFiles);
    Recount(m_down, m_downFiles);
  }
  UpdateTransferState();
}

bool SyncStatusTracker::UpdateTransferState() {
  if (HasOccupiedPaths()) return true;
  bool up, down;
  {
    const juce::ScopedLock hold(m_up.lock);
    up = !m_upFiles.empty();
  }
  {
    const juce::ScopedLock hold(m_down.lock);
    down = !m_downFiles.empty();
  }
  m_nTransferState = up && down ? TRANSFER_BOTH : down ? TRANSFER_DOWN : up ? TRANSFER_UP : TRANSFER_IDLE;
  PushTrayState();
  return up || down;
}

void SyncStatusTracker::UpdateSyncStateFromRoot(bool idle) {
  const SyncEngineLinks links = GetSyncEngineLinks();
  const int root = links.getRootStatus ? links.getRootStatus() : 0;
  m_nSyncState = root == 2 && !idle ? SYNC_SYNCING : root == 3 ? SYNC_ERROR : SYNC_SYNCED;
  PushTrayState();
}

int SyncStatusTracker::GetTrayCode() const {
  if (m_nNetState == NET_LOCAL_DOWN || m_nNetState == NET_PROXY_UNREACHABLE) return TRAY_OFFLINE;
  switch (m_nEngineState.load()) {
    case ENGINE_PAUSED: return TRAY_PAUSED;
    case 0:
    case 2:
    case 3: return TRAY_OFFLINE;
    case ENGINE_RUNNING:
      switch (m_nSyncState.load()) {
        case SYNC_SYNCED: return TRAY_SYNCED;
        case SYNC_SYNCING: return TRAY_SYNCING;
        case SYNC_ERROR: return TRAY_ERROR;
        default: return 0;
      }
    default: return 0;
  }
}

void SyncStatusTracker::PushTrayState() {
  const int code = GetTrayCode();
  if (code == 0) return;
  if (ISyncNotifyUI* sink = GetSyncNotifyUI()) sink->SetTrayIcon(code);
}

void SyncStatusTracker::AddChangeNote(const juce::String& path, const juce::String& text1,
                                      const juce::String& text2, int op) {
  const juce::ScopedLock hold(m_changeNotesLock);
  m_changeNotes[path] = SyncChangeNote{path, text1, text2, op};
}

bool SyncStatusTracker::HasChangeNotes() {
  const juce::ScopedLock hold(m_changeNotesLock);
  return !m_changeNotes.empty();
}

bool SyncStatusTracker::FlushChangeNotes() {
  std::vector<SyncChangeNote> notes;
  {
    // Taken out under the lock and announced after it: the announcement
    // reaches the global context, whose creation takes this lock in turn.
    const juce::ScopedLock hold(m_changeNotesLock);
    if (m_changeNotes.empty()) return false;
    for (const auto& entry : m_changeNotes) notes.push_back(entry.second);
    m_changeNotes.clear();
  }
  GlobalConfig* config = GetGlobalConfig();
  if (!config || !config->m_bDisplayNotify || !GetSyncNotifyUI()) return false;
  if (notes.size() == 1) {
    NotifyOneChange(notes.front());
  } else {
    NotifyChangeSummary(notes);
  }
  return false;
}

void SyncStatusTracker::NotifyOneChange(const SyncChangeNote& note) {
  int type;
  switch (note.m_nOp) {
    case 1: type = SNT_ONE_FILE_ADDED; break;
    case 2: type = SNT_ONE_FILE_MODIFIED; break;
    case 3: type = SNT_ONE_FILE_DELETED; break;
    case 4: type = SNT_ONE_FILE_RENAMED; break;
    case 5: type = SNT_ONE_FILE_MOVED; break;
    case 9: type = SNT_ONE_FOLDER_RENAMED; break;
    default: return;
  }
  if (ISyncNotifyUI* sink = GetSyncNotifyUI()) sink->NotifySyncEvent({type, note.m_sText1, note.m_sText2});
}

void SyncStatusTracker::NotifyChangeSummary(const std::vector<SyncChangeNote>& notes) {
  int files = 0, others = 0;
  for (const SyncChangeNote& note : notes) (IsFileOp(note.m_nOp) ? files : others)++;
  const int first = notes.front().m_nOp;
  bool alike = true;
  for (const SyncChangeNote& note : notes)
    if (note.m_nOp != first && !(IsRenameOp(first) && IsRenameOp(note.m_nOp))) alike = false;
  SyncNotifyInfo info{0, juce::String(files), juce::String(others)};
  if (!alike) {
    info.type = SNT_SYNC_COMPLETED;
  } else if (IsRenameOp(first)) {
    info.type = SNT_MANY_RENAMED;
  } else {
    info.b = "0";
    switch (first) {
      case 1: info.type = SNT_MANY_ADDED; break;
      case 2: info.type = SNT_SYNC_COMPLETED; break;
      case 3: info.type = SNT_MANY_DELETED; break;
      case 5: info.type = SNT_MANY_MOVED; break;
      default: return;
    }
  }
  if (ISyncNotifyUI* sink = GetSyncNotifyUI()) sink->NotifySyncEvent(info);
}

void SyncStatusTracker::AddRecentFile(const juce::String& path, int kind) { m_recentFiles.AddMoveToFront(path, kind); }

bool SyncStatusTracker::LoadRecentFiles(const juce::String& account) {
  return m_recentFiles.LoadFromXml(RecentFilesXml(account));
}

bool SyncStatusTracker::SaveRecentFiles(const juce::String& account) {
  return m_recentFiles.SaveToXml(RecentFilesXml(account));
}

void SyncStatusTracker::AddOccupiedPath(const juce::String& path) {
  const juce::ScopedLock hold(m_occupiedLock);
  if (std::find(m_occupiedPaths.begin(), m_occupiedPaths.end(), path) == m_occupiedPaths.end())
    m_occupiedPaths.push_back(path);
}

void SyncStatusTracker::RemoveOccupiedPath(const juce::String& path) {
  const juce::ScopedLock hold(m_occupiedLock);
  m_occupiedPaths.erase(std::remove(m_occupiedPaths.begin(), m_occupiedPaths.end(), path), m_occupiedPaths.end());
}

bool SyncStatusTracker::HasOccupiedPaths() {
  const juce::ScopedLock hold(m_occupiedLock);
  return !m_occupiedPaths.empty();
}

SyncStatusTracker::TransferFigures SyncStatusTracker::GetUpFigures() {
  const juce::ScopedLock hold(m_up.lock);
  return m_up.figures;
}

SyncStatusTracker::TransferFigures SyncStatusTracker::GetDownFigures() {
  const juce::ScopedLock hold(m_down.lock);
  return m_down.figures;
}
