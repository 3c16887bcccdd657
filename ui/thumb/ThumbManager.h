#pragma once
// Makes small preview files (at most 160 × 160) of photos on a worker thread.
// Each photo list embeds one manager with its own worker and request queue;
// the requests are nodes owned by the photo records. Thumbnail files are shared
// by every manager of the process through one cache keyed by the photo path,
// with reference counts: a photo shown twice is made once. When the optional
// extractor "Quorvex.dll" is present, the thumbnail a camera stored in the
// photo is used instead of decoding the whole photo.
//
// Threads: StartGenerateThumb and StopGenerateThumb may be called from any
// thread. Node callbacks run on the worker with the queue lock and the cache
// lock held, so a callback must only hand the result over (post it) and never
// call back into the manager or take a lock the UI thread holds while calling
// it. Once StopGenerateThumb has returned, the node gets no further callback.
// Lock order: queue lock, then cache lock.
// The owner calls StopThread before destroying the manager.
#include <atomic>
#include <deque>
#include <map>
#include <string>

#include "fastdelegate/FastDelegate.h"
#include "mfc/Afx.h"
#include "ui/thumb/ThumbNode.h"
#include "win32/CriticalSection.h"

namespace UI {

// The extractor's export "ExtraThumbFile": 0 when it wrote the photo's own
// thumbnail (a JPEG) to the thumbnail path and set width, height and orientation.
using ExtraThumbFileFunc = int (*)(const wchar_t* photoPath, const wchar_t* thumbPath, int* width, int* height,
                                   int* orientation);

class ThumbManager {
 public:
  using CompletedCallback = fastdelegate::FastDelegate0<void>;
  static constexpr unsigned kThumbSide = 160;

  // Starts the worker.
  ThumbManager();
  ThumbManager(const ThumbManager&) = delete;
  ThumbManager& operator=(const ThumbManager&) = delete;
  ~ThumbManager();

  // Asks the worker to end and waits for it.
  void StopThread();
  // 0 when the node is already queued; else queued and the worker woken (1).
  int StartGenerateThumb(_ThumbNode* node);
  // 0 when the node is not queued; else withdrawn (1).
  int StopGenerateThumb(_ThumbNode* node);
  // Called on the worker each time it has emptied its queue.
  void SetCompletedCallback(const CompletedCallback& callback) { m_completed = callback; }

  // Process set-up: binds the extractor when "Quorvex.dll" is there.
  static void InitInstance();
  // Process clean-up: deletes the cache's files and every other file of the
  // manager's naming left in its folder, and unbinds the extractor.
  static void ExitInstance();
  // The folder of the thumbnail files, with a trailing separator. Files of the
  // manager's naming that no entry holds (a crashed run's) are swept from it.
  static void SetTempPath(CString folder);
  static CString GetTempPathW();
  // The owner's way to give a node back: its share of a cached file is dropped
  // (the file goes with the last share), then the node is deleted.
  static void ReleaseThumbNode(_ThumbNode* node);
  // A node that was given another node's thumbnail path takes a share of the
  // cached file; a path the cache does not hold is cleared, never deleted.
  static void RetainThumbPath(_ThumbNode* node);
  // The file name every node of one photo shares: folder + "~quickbuffer_" + MD5 + ".jpg".
  static std::wstring MakeThumbPath(const std::wstring& folder, const std::wstring& photoPath);
  // Inspection for tests: the cache entry's reference count, 0 when none.
  static int GetCacheRefCount(const std::wstring& photoPath);
  static bool HasExtractor() { return s_pExifFunc != nullptr; }

 private:
  std::deque<_ThumbNode*>::iterator _FindQueueItem(_ThumbNode* node);
  static unsigned _ThreadLoopFunc(void* manager);
  void HandleFront();
  // Makes the thumbnail into a fresh file of its own (thumbPath); 1 on success.
  static int _GenerateThumb(const std::wstring& photoPath, const std::wstring& folder, std::wstring& thumbPath,
                            unsigned& photoWidth, unsigned& photoHeight, unsigned& thumbWidth,
                            unsigned& thumbHeight, int& orientation);
  static int _GenerateThumbBySrcImage(const std::wstring& photoPath, const std::wstring& thumbPath,
                                      unsigned maxWidth, unsigned maxHeight, unsigned& photoWidth,
                                      unsigned& photoHeight, unsigned& thumbWidth, unsigned& thumbHeight);
  static int FromExtractor(const std::wstring& photoPath, const std::wstring& thumbPath, unsigned& photoWidth,
                           unsigned& photoHeight, unsigned& thumbWidth, unsigned& thumbHeight,
                           int& orientation);
  static std::wstring UniqueWorkPath(const std::wstring& folder, const std::wstring& photoPath);
  static CRITICAL_SECTION* CacheLock();
  // Deletes the files of the manager's naming that no cache entry holds, when
  // the folder lies in the application-data folder. Under the cache lock.
  static void SweepOwnFiles();

  CompletedCallback m_completed;
  std::deque<_ThumbNode*> m_queue;
  CRITICAL_SECTION m_queueLock;
  HANDLE m_hThread = nullptr;
  HANDLE m_hWakeEvent = nullptr;
  HANDLE m_hStoppedEvent = nullptr;
  std::atomic<int> m_nStop{0};

  static std::map<std::wstring, _ThumbNode*> s_mapThumbNode;
  static std::wstring s_sTempPath;
  static ExtraThumbFileFunc s_pExifFunc;
  static HMODULE s_hExtractor;
};

}  // namespace UI
