// The watcher over real folders, end to end with a handler.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "client/sync/watcher/FileSystemWatcher.h"
#include "client/sync/watcher/WatcherStatusMarks.h"
#include "win32/CodePage.h"
#include "win32/ManualClock.h"
#include "win32/NativePath.h"

namespace fs = std::filesystem;
using dorvtest::TempDir;

namespace {

struct Event {
  int type;
  std::wstring path;
  std::wstring oldPath;
  bool operator==(const Event&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Event& e) {
  return out << "{" << e.type << ", " << WideToUtf8(e.path) << ", " << WideToUtf8(e.oldPath) << "}";
}

// Records every call; tests wait on it, never sleep.
class RecordingHandler : public IWatcherChangeHandler {
 public:
  void OnFileAdded(CFileSystemEventArgs* a) override { Record(0, a); }
  void OnFileDeleted(CFileSystemEventArgs* a) override { Record(1, a); }
  void OnFileRenamed(CFileSystemEventArgs* a) override { Record(2, a); }
  void OnFileChanged(CFileSystemEventArgs* a) override { Record(3, a); }
  void OnFileMoved(CFileSystemEventArgs* a) override { Record(4, a); }
  void OnWatchError(CFileSystemEventArgs* a) override { Record(5, a); }
  void OnWatchStarted(CFileSystemEventArgs* a) override { Record(6, a); }
  void OnWatchStopped(CFileSystemEventArgs* a) override { Record(7, a); }

  // Waits until an event equal to `e` has come; false after a generous time.
  bool WaitFor(const Event& e) {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return IndexLocked(e) < m_events.size(); });
  }
  // Waits until `done(events)` holds; false after a generous time.
  bool WaitUntil(const std::function<bool(const std::vector<Event>&)>& done) {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return done(m_events); });
  }
  std::vector<Event> Events() {
    std::lock_guard guard(m_lock);
    return m_events;
  }
  // Makes the next call wait until Release (the watcher's thread stands still meanwhile).
  void HoldNext() { m_hold = true; }
  void WaitUntilHolding() {
    std::unique_lock lock(m_lock);
    m_changed.wait(lock, [&] { return m_holding; });
  }
  void Release() {
    std::lock_guard guard(m_lock);
    m_hold = false;
    m_changed.notify_all();
  }
  // Returns once the held call has left the handler.
  void WaitUntilLeft() {
    std::unique_lock lock(m_lock);
    m_changed.wait(lock, [&] { return !m_holding; });
  }

 private:
  void Record(int slot, CFileSystemEventArgs* args) {
    // The slot must match the record's type and class.
    static const int kSlotType[] = {WATCHER_EVENT_ADDED,   WATCHER_EVENT_REMOVED,    WATCHER_EVENT_RENAMED,
                                    WATCHER_EVENT_MODIFIED, WATCHER_EVENT_MOVED,     WATCHER_EVENT_READ_ERROR,
                                    WATCHER_EVENT_STARTED,  WATCHER_EVENT_STOPPED};
    EXPECT_EQ(args->m_type, kSlotType[slot]);
    auto* renamed = dynamic_cast<CRenamedEventArgs*>(args);
    EXPECT_EQ(renamed != nullptr, slot == 2 || slot == 4);
    std::unique_lock lock(m_lock);
    m_events.push_back({args->m_type, args->m_path.GetString(), renamed ? renamed->m_oldPath.GetString() : L""});
    m_changed.notify_all();
    if (m_hold) {
      m_holding = true;
      m_changed.notify_all();
      m_changed.wait(lock, [&] { return !m_hold; });
      m_holding = false;
      m_changed.notify_all();
    }
  }
  size_t IndexLocked(const Event& e) const {
    for (size_t i = 0; i < m_events.size(); ++i) {
      if (m_events[i] == e) return i;
    }
    return m_events.size();
  }

  std::mutex m_lock;
  std::condition_variable m_changed;
  std::vector<Event> m_events;
  bool m_hold = false;
  bool m_holding = false;
};

class RecordingPublisher : public IWatchedRootPublisher {
 public:
  void PublishRoot(const CString& root) override { calls.push_back(L"publish " + std::wstring(root.GetString())); }
  void ReleaseRoot() override { calls.push_back(L"release"); }
  std::vector<std::wstring> calls;
};

class CountingWatcher : public CFileSystemWatcher {
 public:
  std::atomic<int> starts{0}, exits{0};

 protected:
  void OnThreadStart() override { ++starts; }
  void OnThreadExit() override { ++exits; }
};

std::wstring W(const fs::path& p) { return WidePath(p.c_str()); }
CString C(const fs::path& p) { return CString(W(p)); }
void Touch(const fs::path& file, const std::string& text = "") { std::ofstream(file) << text; }

}  // namespace

TEST(FileSystemWatcher, AddsADirectoryOnceAndRefusesWhatCannotBeWatched) {
  TempDir dir;
  Touch(dir / "file");
  RecordingHandler handler;
  RecordingPublisher publisher;
  CountingWatcher watcher;
  watcher.SetRootPublisher(&publisher);
  const std::wstring root = W(dir.path()) + L"/";

  EXPECT_EQ(watcher.AddDirectory(C(dir.path()), &handler), 1);
  ASSERT_TRUE(handler.WaitFor({WATCHER_EVENT_STARTED, root, L""}));  // through the pipeline's delivery thread
  EXPECT_EQ(watcher.AddDirectory(CString(root), &handler), 1);
  EXPECT_EQ(publisher.calls, (std::vector<std::wstring>{L"publish " + root}));
  watcher.Stop();  // the stopped record comes after everything else
  EXPECT_EQ(handler.Events(), (std::vector<Event>{{WATCHER_EVENT_STARTED, root, L""}, {WATCHER_EVENT_STOPPED, root, L""}}));

  EXPECT_EQ(watcher.AddDirectory(CString(L""), &handler), 0);
  EXPECT_EQ(watcher.AddDirectory(C(dir.path()), nullptr), 0);
  EXPECT_EQ(watcher.AddDirectory(C(dir / "file"), &handler), 0);
  EXPECT_EQ(watcher.AddDirectory(C(dir / "missing"), &handler), 0);
  EXPECT_EQ(watcher.starts, 1);
}

TEST(FileSystemWatcher, ReportsChangesWithFullPathsAndRenamesAsOneEvent) {
  TempDir dir;
  fs::create_directories(dir / "a");
  fs::create_directories(dir / "b");
  Touch(dir / "a" / "old.txt");
  Touch(dir / "a" / "travel.txt");
  Touch(dir / "gone.txt");
  RecordingHandler handler;
  CFileSystemWatcher watcher;
  ASSERT_EQ(watcher.AddDirectory(C(dir.path()), &handler), 1);
  const std::wstring root = W(dir.path()) + L"/";

  Touch(dir / "new.txt", "content");
  fs::rename(dir / "a" / "old.txt", dir / "a" / "renamed.txt");
  fs::rename(dir / "a" / "travel.txt", dir / "b" / "travel.txt");
  fs::remove(dir / "gone.txt");
  Touch(dir / "end");
  ASSERT_TRUE(handler.WaitFor({WATCHER_EVENT_ADDED, root + L"end", L""}));

  // The pipeline merges what it can: a file made and written is one addition,
  // a removal and an addition of one name in another folder is a move (or,
  // when a merging pass fell between them, stays two changes).
  std::vector<Event> events = handler.Events();
  auto at = [&](const Event& e) { return std::find(events.begin(), events.end(), e) - events.begin(); };
  const auto n = std::ssize(events);
  EXPECT_EQ(at({WATCHER_EVENT_STARTED, root, L""}), 0) << testing::PrintToString(events);
  EXPECT_LT(at({WATCHER_EVENT_ADDED, root + L"new.txt", L""}), n) << testing::PrintToString(events);
  EXPECT_EQ(at({WATCHER_EVENT_MODIFIED, root + L"new.txt", L""}), n) << testing::PrintToString(events);
  EXPECT_LT(at({WATCHER_EVENT_RENAMED, root + L"a/renamed.txt", root + L"a/old.txt"}), n);
  bool moved = at({WATCHER_EVENT_MOVED, root + L"b/travel.txt", root + L"a/travel.txt"}) < n;
  bool pair = at({WATCHER_EVENT_REMOVED, root + L"a/travel.txt", L""}) < at({WATCHER_EVENT_ADDED, root + L"b/travel.txt", L""}) &&
              at({WATCHER_EVENT_ADDED, root + L"b/travel.txt", L""}) < n;
  EXPECT_TRUE(moved || pair) << testing::PrintToString(events);
  EXPECT_LT(at({WATCHER_EVENT_REMOVED, root + L"gone.txt", L""}), at({WATCHER_EVENT_ADDED, root + L"end", L""}));
}

TEST(FileSystemWatcher, ANewNestedFolderAndAFolderMovedInAreReportedWithTheirOwnNames) {
  TempDir outside;
  fs::create_directories(outside / "moved" / "inside");
  Touch(outside / "moved" / "inside" / "file");
  TempDir dir;
  RecordingHandler handler;
  CFileSystemWatcher watcher;
  ASSERT_EQ(watcher.AddDirectory(C(dir.path()), &handler), 1);
  const std::wstring root = W(dir.path()) + L"/";

  // Deeper than 260 units below the root.
  const std::string segment(70, 's');
  fs::path deep = dir / "n" / segment / segment / segment / segment;
  fs::create_directories(deep);
  Touch(deep / "leaf");
  fs::rename(outside / "moved", dir / "moved");
  Touch(dir / "end");
  ASSERT_TRUE(handler.WaitFor({WATCHER_EVENT_ADDED, root + L"end", L""})) << testing::PrintToString(handler.Events());

  const std::wstring leaf = W(deep / "leaf");
  ASSERT_GT(leaf.size() - root.size(), 260u);
  std::vector<Event> events = handler.Events();
  auto at = [&](const Event& e) { return std::find(events.begin(), events.end(), e) - events.begin(); };
  EXPECT_LT(at({WATCHER_EVENT_ADDED, root + L"n", L""}), at({WATCHER_EVENT_ADDED, leaf, L""}));
  EXPECT_LT(at({WATCHER_EVENT_ADDED, leaf, L""}), std::ssize(events));
  EXPECT_LT(at({WATCHER_EVENT_ADDED, root + L"moved", L""}), std::ssize(events)) << testing::PrintToString(events);
  // The watcher reports only the folder; the pipeline adds its contents after it.
  EXPECT_LT(at({WATCHER_EVENT_ADDED, root + L"moved", L""}), at({WATCHER_EVENT_ADDED, root + L"moved/inside", L""}));
  EXPECT_LT(at({WATCHER_EVENT_ADDED, root + L"moved/inside", L""}),
            at({WATCHER_EVENT_ADDED, root + L"moved/inside/file", L""}));
  EXPECT_LT(at({WATCHER_EVENT_ADDED, root + L"moved/inside/file", L""}), std::ssize(events));
}

TEST(FileSystemWatcher, StopDeliversTheStoppedEventLastAndTheWatcherCanStartAgain) {
  TempDir dir;
  RecordingHandler handler;
  RecordingPublisher publisher;
  CountingWatcher watcher;
  watcher.SetRootPublisher(&publisher);
  const std::wstring root = W(dir.path()) + L"/";

  watcher.Stop();  // watching nothing: the root is still withdrawn
  EXPECT_EQ(publisher.calls, (std::vector<std::wstring>{L"release"}));

  ASSERT_EQ(watcher.AddDirectory(C(dir.path()), &handler), 1);
  Touch(dir / "before-stop");
  ASSERT_TRUE(handler.WaitFor({WATCHER_EVENT_ADDED, root + L"before-stop", L""}));
  watcher.Stop();
  std::vector<Event> events = handler.Events();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), (Event{WATCHER_EVENT_STOPPED, root, L""}));
  EXPECT_EQ(watcher.starts, 1);
  EXPECT_EQ(watcher.exits, 1);

  Touch(dir / "while-stopped");
  ASSERT_EQ(watcher.AddDirectory(C(dir.path()), &handler), 1);
  EXPECT_EQ(watcher.starts, 2);
  Touch(dir / "after-restart");
  ASSERT_TRUE(handler.WaitFor({WATCHER_EVENT_ADDED, root + L"after-restart", L""}));
  std::vector<Event> seen = handler.Events();
  EXPECT_EQ(std::count(seen.begin(), seen.end(), Event{WATCHER_EVENT_ADDED, root + L"while-stopped", L""}), 0);
  watcher.Stop();
  EXPECT_EQ(watcher.exits, 2);
  EXPECT_EQ(publisher.calls.back(), L"release");
}

namespace {

std::mutex g_servedLock;
std::condition_variable g_servedChanged;
bool g_served = false;

LRESULT CALLBACK ServingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_APP) {
    std::lock_guard guard(g_servedLock);
    g_served = true;
    g_servedChanged.notify_all();
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Its stopped record waits until the thread that stops has served a window message.
class WaitsForServedMessage : public RecordingHandler {
 public:
  void OnWatchStopped(CFileSystemEventArgs* args) override {
    {
      std::unique_lock lock(g_servedLock);
      g_servedChanged.wait_for(lock, std::chrono::seconds(10), [] { return g_served; });
    }
    RecordingHandler::OnWatchStopped(args);
  }
};

}  // namespace

TEST(FileSystemWatcher, StopServesTheCallersWindowMessagesAndKeepsItsQuitMessage) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ServingProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"WatcherStopServes";
  ASSERT_NE(RegisterClassW(&wc), 0);
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr);

  TempDir dir;
  WaitsForServedMessage handler;
  CFileSystemWatcher watcher;
  ASSERT_EQ(watcher.AddDirectory(C(dir.path()), &handler), 1);
  PostQuitMessage(3);
  PostMessageW(window, WM_APP, 0, 0);
  watcher.Stop();
  {
    std::lock_guard guard(g_servedLock);
    EXPECT_TRUE(g_served);
  }
  EXPECT_EQ(handler.Events().back().type, WATCHER_EVENT_STOPPED);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
  DestroyWindow(window);
}

TEST(FileSystemWatcher, AWatchThatBrokeIsReportedAndStillStops) {
  TempDir dir;
  fs::create_directories(dir / "root");
  RecordingHandler handler;
  CFileSystemWatcher watcher;
  ASSERT_EQ(watcher.AddDirectory(C(dir / "root"), &handler), 1);
  const std::wstring root = W(dir / "root") + L"/";
  fs::remove_all(dir / "root");
  ASSERT_TRUE(handler.WaitFor({WATCHER_EVENT_READ_ERROR, root, L""}));
  // No read is pending now, so closing the handle brings no completion.
  watcher.Stop();
  EXPECT_EQ(handler.Events().back(), (Event{WATCHER_EVENT_STOPPED, root, L""}));
}

TEST(FileSystemWatcher, ChangesLostToTheBufferAreReportedAndWatchingGoesOn) {
  TempDir dir;
  RecordingHandler handler;
  CFileSystemWatcher watcher;
  ASSERT_EQ(watcher.AddDirectory(C(dir.path()), &handler), 1);
  const std::wstring root = W(dir.path()) + L"/";

  // The system keeps every change until it is read; what is lost is a record
  // that no read's 8192 bytes can hold: a name deeper than 2048 characters.
  std::filesystem::path deep = dir.path();
  for (int level = 0; level < 12; ++level) deep /= std::string(200, static_cast<char>('a' + level));
  std::filesystem::create_directories(deep);
  Touch(deep / "far-down");
  ASSERT_TRUE(handler.WaitFor({WATCHER_EVENT_READ_ERROR, root, L""}));
  // Deep changes still coming may be lost the same way and take a
  // new change with them; each loss is reported, and then a change gets through.
  const Event lost{WATCHER_EVENT_READ_ERROR, root, L""};
  for (int attempt = 0;; ++attempt) {
    ASSERT_LT(attempt, 20);
    const Event added{WATCHER_EVENT_ADDED, root + L"after" + std::to_wstring(attempt), L""};
    const std::vector<Event> before = handler.Events();
    const size_t losses = std::count(before.begin(), before.end(), lost);
    Touch(dir / ("after" + std::to_string(attempt)));
    ASSERT_TRUE(handler.WaitUntil([&](const std::vector<Event>& events) {
      return std::count(events.begin(), events.end(), added) > 0 ||
             static_cast<size_t>(std::count(events.begin(), events.end(), lost)) > losses;
    }));
    std::vector<Event> events = handler.Events();
    if (std::count(events.begin(), events.end(), added) > 0) break;
  }
}

size_t ThreadCount() {
  return static_cast<size_t>(std::distance(fs::directory_iterator("/proc/self/task"), fs::directory_iterator()));
}

TEST(FileSystemWatcher, StopGivesUpOnAHandlerThatNeverReturns) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  // A thread first: a runtime that starts a helper thread with the process's
  // first one (ThreadSanitizer does) has it counted here, not left over.
  std::thread([] {}).join();
  const size_t threadsBefore = ThreadCount();
  TempDir dir;
  RecordingHandler handler;
  auto watcher = std::make_unique<CountingWatcher>();
  ASSERT_EQ(watcher->AddDirectory(C(dir.path()), &handler), 1);
  const std::wstring root = W(dir.path()) + L"/";
  ASSERT_TRUE(handler.WaitFor({WATCHER_EVENT_STARTED, root, L""}));
  handler.HoldNext();  // the stopped record: the delivery stands in the handler

  std::atomic<bool> stopped{false};
  std::thread stopper([&] {
    watcher->Stop();
    stopped = true;
  });
  handler.WaitUntilHolding();
  // Stop waits for the directory's acknowledgement, then for the worker; each
  // wait ends at the limit, on the test's clock.
  while (!stopped) {
    clock.Advance(1000);
    std::this_thread::yield();
  }
  stopper.join();
  watcher.reset();  // nothing that was given up may call into it

  handler.Release();
  handler.WaitUntilLeft();  // after this nothing touches the handler
  EXPECT_EQ(handler.Events().back(), (Event{WATCHER_EVENT_STOPPED, root, L""}));
  // The worker that was given up ends by itself, freeing the directory it kept;
  // the clock it may still wait on goes only after that.
  while (ThreadCount() > threadsBefore) std::this_thread::yield();
}
