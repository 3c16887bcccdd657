#pragma once
// The operation a task holds. The pump that runs the task replaces it while
// other threads (pause, continue, cancel, stop-all) flag it, so it is handed
// out as a shared pointer under a small lock: a flagged operation stays alive
// until the flagging thread lets it go.
#include <memory>
#include <mutex>

#include "client/sync/ops/SyncBaseOperation.h"

class SyncOperationSlot {
 public:
  std::shared_ptr<SyncBaseOperation> Get() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_pOperation;
  }
  // An operation set after the stop is stopped before anyone runs it: the
  // stop may come between the manager's last look at its flag and the
  // operation's creation, and would otherwise reach nothing.
  void Set(std::shared_ptr<SyncBaseOperation> operation) {
    std::shared_ptr<SyncBaseOperation> old;
    {
      std::lock_guard<std::mutex> hold(m_lock);
      old.swap(m_pOperation);
      m_pOperation = std::move(operation);
      if (m_bStopped && m_pOperation) m_pOperation->m_bStop.store(true);
    }
  }
  void Reset() { Set(nullptr); }
  explicit operator bool() const { return Get() != nullptr; }

  // The flags other threads set on a held operation; nothing without one.
  void Cancel() const {
    if (auto operation = Get()) operation->m_bCancel.store(true);
  }
  void Stop() {
    std::lock_guard<std::mutex> hold(m_lock);
    m_bStopped = true;
    if (m_pOperation) m_pOperation->m_bStop.store(true);
  }
  void Pause() const {
    if (auto operation = Get()) operation->Pause_SyncOperation();
  }
  void Resume() const {
    if (auto operation = Get()) operation->Resume_SyncOperation();
  }

 private:
  mutable std::mutex m_lock;
  std::shared_ptr<SyncBaseOperation> m_pOperation;
  bool m_bStopped = false;
};
