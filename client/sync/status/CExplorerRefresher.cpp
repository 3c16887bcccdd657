#include "client/sync/status/CExplorerRefresher.h"


#include "client/sync/status/StatusPaths.h"
#include "common/MutiLanSupport.h"
#include "common/NumberText.h"
#include "common/PathText.h"

CExplorerRefresher::CExplorerRefresher() { m_hQueueReady = CreateEventW(nullptr, TRUE, FALSE, nullptr); }

CExplorerRefresher::~CExplorerRefresher() {
  Stop();
  if (m_hQueueReady) CloseHandle(m_hQueueReady);
}

void CExplorerRefresher::QueueRefresh(const CString& path, bool recurse, int rootLength) {
  if (path.IsEmpty()) return;
  {
    const juce::ScopedLock hold(m_queueLock);
    if (m_bStopped) return;
    if (m_queue.empty() && !m_bStarted) {
      m_bStarted = 1;
      m_nTickCount = 0;
      m_hThread = CreateThread(nullptr, 0, &CExplorerRefresher::ThreadProc, this, 0, &m_dwThreadId);
    }
    // Queued again before the tick: the one entry moves to the newest place,
    // so a path changing often costs one notice per period, not one per change.
    if (auto known = m_queued.find(path); known != m_queued.end()) {
      m_queue.splice(m_queue.end(), m_queue, known->second);
    } else {
      m_queue.push_back(path);
      m_queued.emplace(path, std::prev(m_queue.end()));
    }
    if (m_bStarted && !m_bTimerArmed && m_bThreadReady) {
      // The timer rests while nothing waits: wake the thread to arm it.
      m_bTimerArmed = true;
      PostThreadMessageW(m_dwThreadId, kArmTimer, 0, 0);
    }
  }
  if (recurse) {
    QueueFolderTree(path, rootLength);
  } else {
    CString parent = StatusParentPath(path);
    if (parent.GetLength() >= rootLength && parent != path) QueueRefresh(parent, false, rootLength);
  }
}

void CExplorerRefresher::QueueFolderTree(const CString& folder, int rootLength) {
  CString pattern;
  pattern.Format(L"%s%c*", folder.GetString(), Common::kPathSeparator);
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(pattern, &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    CString name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    // A link to a folder is not walked: it may lead back up the tree.
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      CString child;
      child.Format(L"%s%c%s", folder.GetString(), Common::kPathSeparator, name.GetString());
      QueueRefresh(child, true, rootLength);
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

void CExplorerRefresher::OnTimerTick() {
  const juce::ScopedLock hold(m_queueLock);
  // The first period only starts the count. The count goes up once the tick's
  // notices are out.
  if (m_nTickCount == 0) {
    ++m_nTickCount;
    return;
  }
  for (auto it = m_queue.rbegin(); it != m_queue.rend(); ++it) {
    HANDLE file = CreateFileW(*it, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      SHChangeNotify(SHCNE_UPDATEITEM, SHCNF_PATHW | SHCNF_FLUSHNOWAIT, it->GetString(), nullptr);
    } else {
      SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, it->GetString(), nullptr);
    }
  }
  m_queue.clear();
  m_queued.clear();
  ++m_nTickCount;
}

std::list<CString> CExplorerRefresher::QueuedPaths() const {
  const juce::ScopedLock hold(m_queueLock);
  return m_queue;
}

DWORD WINAPI CExplorerRefresher::ThreadProc(LPVOID self) {
  static_cast<CExplorerRefresher*>(self)->Run();
  return 0;
}

void CExplorerRefresher::Run() {
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // makes the thread's message queue
  SetEvent(m_hQueueReady);
  int period = 0;
  if (Common::CMutiLanSupport* strings = Common::CMutiLanSupport::GetInstance())
    period = Common::CString2Int(strings->GetStringViaID(L"STRID_REFRSH_RATE"));
  const UINT elapse = static_cast<UINT>(period < 0 ? 0 : period);
  {
    const juce::ScopedLock hold(m_queueLock);
    m_bTimerArmed = true;
    m_bThreadReady = true;
  }
  m_nTimerId = SetTimer(nullptr, 0, elapse, nullptr);
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == kArmTimer) {
      m_nTimerId = SetTimer(nullptr, 0, elapse, nullptr);
    } else if (msg.message == WM_TIMER) {
      OnTimerTick();
      // Nothing left to send: the thread sleeps until a path is queued.
      const juce::ScopedLock hold(m_queueLock);
      if (m_queue.empty() && m_nTickCount > 0 && m_bTimerArmed) {
        KillTimer(nullptr, m_nTimerId);
        m_bTimerArmed = false;
      }
    }
  }
  KillTimer(nullptr, m_nTimerId);
}

void CExplorerRefresher::Stop() {
  HANDLE thread = nullptr;
  {
    const juce::ScopedLock hold(m_queueLock);
    m_bStopped = true;
    thread = m_hThread;
    m_hThread = nullptr;
  }
  if (thread) {
    WaitForSingleObject(m_hQueueReady, INFINITE);
    PostThreadMessageW(m_dwThreadId, WM_QUIT, 0, 0);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
  const juce::ScopedLock hold(m_queueLock);
  m_queue.clear();
  m_queued.clear();
}
