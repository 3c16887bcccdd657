#pragma once
// The process's one delivery thread for watcher changes: every directory's
// pipeline posts its records here, so the engine's handler is called on one
// thread, in posting order, for all watched directories.
//
// Each CWatcherNotifierThread holds a share of the thread; the first share
// starts it and the last one ends it. A record posted for a pipeline that has
// since ended is dropped: pipelines register while they live and the thread
// delivers only to registered ones, holding the registry while the handler
// runs, so a pipeline's destructor waits for a call in progress to return.
#include "client/sync/watcher/FileSystemEventArgs.h"
#include "win32/Windows.h"

class CAsyncOperation;
class IWatcherChangeHandler;

// The handler of one pipeline and the event its stopped record signals.
struct CWatcherDeliveryTarget {
  explicit CWatcherDeliveryTarget(IWatcherChangeHandler* handler);
  ~CWatcherDeliveryTarget();
  CWatcherDeliveryTarget(const CWatcherDeliveryTarget&) = delete;
  CWatcherDeliveryTarget& operator=(const CWatcherDeliveryTarget&) = delete;
  // On the notifier thread: the handler's slot for the record's type.
  void DeliverNow(CFileSystemEventArgs* record);

  IWatcherChangeHandler* const handler;
  const HANDLE delivered;  // auto-reset
};

class IWatcherNotifier {
 public:
  virtual ~IWatcherNotifier() = default;
  // Takes the record (also when the post fails, in which case it is freed).
  virtual bool Post(CAsyncOperation* operation, CFileSystemEventArgs* record) = 0;
};

class CWatcherNotifierThread : public IWatcherNotifier {
 public:
  static constexpr UINT kDeliverMessage = 0x800;

  CWatcherNotifierThread();
  ~CWatcherNotifierThread() override;
  CWatcherNotifierThread(const CWatcherNotifierThread&) = delete;
  CWatcherNotifierThread& operator=(const CWatcherNotifierThread&) = delete;

  bool Post(CAsyncOperation* operation, CFileSystemEventArgs* record) override;

  // Called by each pipeline as it starts and ends.
  static void Register(CAsyncOperation* operation);
  static void Unregister(CAsyncOperation* operation);
  // The thread's id, 0 when none runs (tests).
  static DWORD ThreadId();

 private:
  static DWORD WINAPI ThreadProc(LPVOID);
};
