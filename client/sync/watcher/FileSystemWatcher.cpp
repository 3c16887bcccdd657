#include "client/sync/watcher/FileSystemWatcher.h"

#include <algorithm>
#include <new>

#include "common/FileHelpers.h"
#include "common/PathText.h"

namespace {

constexpr DWORD kStartSliceMs = 10000;
constexpr DWORD kStopSliceMs = 5000;

// Waits for `object` while dispatching the calling thread's messages, so that a
// thread that owns windows stays responsive. A quit message that comes meanwhile
// is kept back and posted again afterwards, so the thread's message loop still
// ends. False when `limitMs` passed first.
bool WaitServingMessages(HANDLE object, DWORD sliceMs, DWORD limitMs) {
  const ULONGLONG deadline = GetTickCount64() + limitMs;
  bool quit = false;
  int quitCode = 0;
  bool done = false;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    const DWORD slice = now >= deadline ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(sliceMs, deadline - now));
    DWORD result = MsgWaitForMultipleObjects(1, &object, FALSE, slice, QS_ALLINPUT);
    if (result == WAIT_OBJECT_0) {
      done = true;
      break;
    }
    if (result == WAIT_OBJECT_0 + 1) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
          quit = true;
          quitCode = static_cast<int>(msg.wParam);
          continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    } else if (result == WAIT_FAILED) {
      break;
    }
    if (GetTickCount64() >= deadline) break;
  }
  if (quit) PostQuitMessage(quitCode);
  return done;
}

// Waits for the acknowledgement in slices while the worker lives.
bool WaitForStart(HANDLE acknowledged, HANDLE worker) {
  HANDLE objects[2] = {acknowledged, worker};
  for (;;) {
    DWORD result = WaitForMultipleObjects(2, objects, FALSE, kStartSliceMs);
    if (result == WAIT_OBJECT_0) return true;
    if (result != WAIT_TIMEOUT) return false;  // the worker ended
  }
}

}  // namespace

CFileSystemWatcher::CFileSystemWatcher() : CFileSystemWatcher(kStopLimitMs) {}

CFileSystemWatcher::CFileSystemWatcher(DWORD stopLimitMs) : m_stopLimitMs(stopLimitMs) {}

CFileSystemWatcher::~CFileSystemWatcher() { Stop(); }

bool CFileSystemWatcher::HasPendingChange(const CString& path, bool departures) {
  std::lock_guard guard(m_lock);
  return std::any_of(m_directories.begin(), m_directories.end(), [&](const std::unique_ptr<CWatcherDirInfo>& directory) {
    return directory->HasPendingChange(path, departures);
  });
}

int CFileSystemWatcher::AddDirectory(const CString& pathIn, IWatcherChangeHandler* handler) {
  CString path = pathIn;
  if (path.IsEmpty() || !handler || !Common::IsDirectory(path)) return 0;
  if (!Common::HasBackslash(path)) path += Common::kPathSeparator;

  std::lock_guard control(m_control);
  {
    // Paths name files as the file system does: with case.
    std::lock_guard guard(m_lock);
    for (const auto& directory : m_directories) {
      if (directory->Path() == path) return 1;
    }
  }

  EnablePrivileges();
  HANDLE handle = CreateFileW(path.GetString(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return 0;
  std::unique_ptr<CWatcherDirInfo> directory;
  try {
    directory = std::make_unique<CWatcherDirInfo>(handle, path, handler);
  } catch (const std::bad_alloc&) {
    CloseHandle(handle);
    return 0;
  }
  if (!directory->AcknowledgeEvent()) return 0;
  HANDLE port = CreateIoCompletionPort(handle, m_port, reinterpret_cast<ULONG_PTR>(directory.get()), 0);
  if (!port) return 0;
  m_port = port;
  if (!m_thread && !m_threadId && !StartWorker()) return 0;

  if (!directory->PostRequest(m_port, CWatcherDirInfo::STATE_START)) return 0;
  if (!WaitForStart(directory->AcknowledgeEvent(), m_thread)) {
    LeaveBehind(std::move(directory));  // the worker has a packet of it
    return 0;
  }
  ResetEvent(directory->AcknowledgeEvent());
  {
    std::lock_guard guard(m_lock);
    m_directories.push_back(std::move(directory));
  }
  if (m_publisher) m_publisher->PublishRoot(path);
  return 1;
}

void CFileSystemWatcher::Stop() {
  std::lock_guard control(m_control);
  if (m_publisher) m_publisher->ReleaseRoot();
  std::vector<std::unique_ptr<CWatcherDirInfo>> directories;
  {
    // Taken out of the list: window messages served below must not find it locked.
    std::lock_guard guard(m_lock);
    directories.swap(m_directories);
  }
  for (auto& directory : directories) {
    if (m_port && directory->PostRequest(m_port, CWatcherDirInfo::STATE_STOP)) {
      if (!WaitServingMessages(directory->AcknowledgeEvent(), kStopSliceMs, m_stopLimitMs)) {
        LeaveBehind(std::move(directory));  // still in the worker's hands
        continue;
      }
      ResetEvent(directory->AcknowledgeEvent());
    }
    directory.reset();
  }
  if (m_thread) {
    PostQueuedCompletionStatus(m_port, 0, 0, nullptr);
    if (!WaitServingMessages(m_thread, kStopSliceMs, m_stopLimitMs)) {
      std::lock_guard guard(m_worker->lock);
      m_worker->abandoned = true;
    }
    CloseHandle(m_thread);
  }
  m_worker.reset();
  m_thread = nullptr;
  m_threadId = 0;
  if (m_port) CloseHandle(m_port);
  m_port = nullptr;
}

void CFileSystemWatcher::LeaveBehind(std::unique_ptr<CWatcherDirInfo> directory) {
  if (!m_worker) {
    directory.release();  // no worker link to outlive it; never reached while a worker runs
    return;
  }
  std::lock_guard guard(m_worker->lock);
  m_worker->leftBehind.push_back(std::move(directory));
}

bool CFileSystemWatcher::StartWorker() {
  auto link = std::make_shared<WorkerLink>();
  link->watcher = this;
  link->port = m_port;
  auto* started = new std::shared_ptr<WorkerLink>(link);
  m_thread = CreateThread(nullptr, 0, &CFileSystemWatcher::WorkerThread, started, 0, &m_threadId);
  if (!m_thread) {
    delete started;
    m_threadId = 0;
    return false;
  }
  m_worker = std::move(link);
  return true;
}

DWORD CFileSystemWatcher::WorkerThread(LPVOID start) {
  std::unique_ptr<std::shared_ptr<WorkerLink>> link(static_cast<std::shared_ptr<WorkerLink>*>(start));
  Run(*link);
  return 0;
}

void CFileSystemWatcher::Run(std::shared_ptr<WorkerLink> link) {
  link->watcher->OnThreadStart();
  for (;;) {
    DWORD bytes = 0;
    ULONG_PTR key = 0;
    OVERLAPPED* overlapped = nullptr;
    BOOL succeeded = GetQueuedCompletionStatus(link->port, &bytes, &key, &overlapped, INFINITE);
    DWORD error = succeeded ? ERROR_SUCCESS : GetLastError();
    if (!key) break;  // the end packet, or the port is gone
    reinterpret_cast<CWatcherDirInfo*>(key)->OnCompletion(succeeded, error, bytes);
  }
  std::lock_guard guard(link->lock);
  if (!link->abandoned) link->watcher->OnThreadExit();
}

void CFileSystemWatcher::EnablePrivileges() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (const wchar_t* name : {SE_BACKUP_NAME, SE_RESTORE_NAME, SE_CHANGE_NOTIFY_NAME}) {
      HANDLE token = nullptr;
      if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) continue;
      TOKEN_PRIVILEGES privileges{};
      privileges.PrivilegeCount = 1;
      privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
      if (LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid)) {
        // Failures are of no consequence: the watch works without them where it can.
        AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr);
      }
      CloseHandle(token);
    }
  });
}
