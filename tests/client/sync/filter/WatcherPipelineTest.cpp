// One directory's event pipeline: status marks and the name filter on the
// worker's side, coalescing on the timer's period of the process clock, and
// delivery on the notifier thread. The clock is a test clock: nothing is
// delivered until the test moves time past the period.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "TempDir.h"
#include "client/sync/watcher/AsyncOperation.h"
#include "client/sync/watcher/WatcherStatusMarks.h"
#include "win32/CodePage.h"
#include "win32/ManualClock.h"
#include "win32/NativePath.h"

namespace fs = std::filesystem;

namespace {

struct Delivered {
  int type;
  std::wstring path;
  std::wstring oldPath;
  DWORD thread;
  bool operator==(const Delivered& o) const { return type == o.type && path == o.path && oldPath == o.oldPath; }
};

std::ostream& operator<<(std::ostream& out, const Delivered& d) {
  return out << "{" << d.type << " " << WideToUtf8(d.path) << " " << WideToUtf8(d.oldPath) << "}";
}

class Recorder : public IWatcherChangeHandler {
 public:
  void OnFileAdded(CFileSystemEventArgs* a) override { Record(a); }
  void OnFileDeleted(CFileSystemEventArgs* a) override { Record(a); }
  void OnFileRenamed(CFileSystemEventArgs* a) override { Record(a); }
  void OnFileChanged(CFileSystemEventArgs* a) override { Record(a); }
  void OnFileMoved(CFileSystemEventArgs* a) override { Record(a); }
  void OnWatchError(CFileSystemEventArgs* a) override { Record(a); }
  void OnWatchStarted(CFileSystemEventArgs* a) override { Record(a); }
  void OnWatchStopped(CFileSystemEventArgs* a) override { Record(a); }

  bool WaitForCount(size_t n) {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_events.size() >= n; });
  }
  std::vector<Delivered> Events() {
    std::lock_guard guard(m_lock);
    return m_events;
  }

 private:
  void Record(CFileSystemEventArgs* a) {
    auto* renamed = dynamic_cast<CRenamedEventArgs*>(a);
    std::lock_guard guard(m_lock);
    m_events.push_back({a->m_type, a->m_path.GetString(), renamed ? renamed->m_oldPath.GetString() : L"",
                        GetCurrentThreadId()});
    m_changed.notify_all();
  }
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::vector<Delivered> m_events;
};

class WatcherPipelineTest : public testing::Test {
 protected:
  void SetUp() override {
    InstallWatcherStatusMarks({[this](const juce::String& p, int s) { Mark("status " + p + " " + juce::String(s)); },
                               [this](const juce::String& p) { Mark("remove " + p); },
                               [this](const juce::String& o, const juce::String& n) { Mark("rename " + o + " " + n); }});
  }
  void TearDown() override { ClearWatcherStatusMarks(); }
  void Mark(const juce::String& text) {
    std::lock_guard guard(m_marksLock);
    m_marks.push_back(text.toStdString());
  }
  std::vector<std::string> Marks() {
    std::lock_guard guard(m_marksLock);
    return m_marks;
  }
  std::wstring W(const std::string& relative) { return WidePath((m_dir.path() / relative).c_str()); }
  std::string N(const std::string& relative) { return (m_dir.path() / relative).string(); }
  CString C(const std::string& relative) { return CString(W(relative).c_str()); }
  void Touch(const std::string& relative) { std::ofstream(m_dir.path() / relative) << "x"; }
  // One period of the clock, once the timer's thread is waiting for it.
  void Tick(CAsyncOperation& op) {
    unsigned passes = op.Timer().PassCount();
    m_clock.WaitForWaiters(1);
    m_clock.Advance(CWatcherTimer::kPeriodMs);
    while (op.Timer().PassCount() == passes) std::this_thread::yield();
  }

  win32::ManualClock m_clock;
  win32::ScopedClock m_useClock{m_clock};
  dorvtest::TempDir m_dir{"dorv-pipeline"};
  Recorder m_handler;
  std::mutex m_marksLock;
  std::vector<std::string> m_marks;
};

TEST_F(WatcherPipelineTest, ChangesWaitForThePeriodAndArriveMergedOnTheNotifierThread) {
  Touch("x.txt");
  Touch("desktop.ini");
  CAsyncOperation op(&m_handler);
  op.OnAdded(C("x.txt"));
  op.OnModified(C("x.txt"));
  op.OnAdded(C("desktop.ini"));  // ignored name: marked normal, not queued
  op.OnAdded(C("what?.txt"));    // a name other clients can't use: marked failed, not queued
  op.OnAdded(C("brief.tmp"));
  op.OnRemoved(C("brief.tmp"));   // made and gone within the period: its removal goes on
  op.OnModified(C(""));  // a folder's change is nothing
  EXPECT_EQ(op.Timer().PendingCount(), 4u);
  EXPECT_TRUE(m_handler.Events().empty());

  Tick(op);
  ASSERT_TRUE(m_handler.WaitForCount(2));
  std::vector<Delivered> events = m_handler.Events();
  EXPECT_EQ(events, (std::vector<Delivered>{{WATCHER_EVENT_ADDED, W("x.txt"), L"", 0},
                                            {WATCHER_EVENT_REMOVED, W("brief.tmp"), L"", 0}}));
  EXPECT_NE(events[0].thread, GetCurrentThreadId());
  EXPECT_EQ(events[0].thread, CWatcherNotifierThread::ThreadId());
  EXPECT_EQ(Marks(), (std::vector<std::string>{"status " + N("x.txt") + " 2", "status " + N("x.txt") + " 2",
                                               "status " + N("desktop.ini") + " 1", "status " + N("what?.txt") + " 3",
                                               "status " + N("brief.tmp") + " 2",
                                               "remove " + N("brief.tmp")}));
}

// The engine asks whether a change of a path is still held back: a renamed
// folder's old name covers what was inside it, a folder only added covers
// nothing below it (nothing was taken away there), and nothing is pending
// once the period has delivered it.
TEST_F(WatcherPipelineTest, AChangeHeldForThePeriodIsSeenAsPendingForItsPathsAndWhatLiesBelow) {
  CAsyncOperation op(&m_handler);
  op.OnRenamed(C("R"), C("P"));
  EXPECT_TRUE(op.HasPendingChange(C("P")));
  EXPECT_TRUE(op.HasPendingChange(C("R")));
  EXPECT_TRUE(op.HasPendingChange(C("P/a.txt")));
  EXPECT_FALSE(op.HasPendingChange(C("Pa.txt")));  // begins with the same letters, lies elsewhere
  EXPECT_FALSE(op.HasPendingChange(C("Q")));
  op.OnAdded(C("N"));
  EXPECT_TRUE(op.HasPendingChange(C("N")));
  EXPECT_FALSE(op.HasPendingChange(C("N/a.txt")));
  op.OnRemoved(C("N"));
  EXPECT_TRUE(op.HasPendingChange(C("N/a.txt")));
  Tick(op);
  ASSERT_TRUE(m_handler.WaitForCount(1));
  EXPECT_FALSE(op.HasPendingChange(C("P")));
}

TEST_F(WatcherPipelineTest, RenamesAcrossTheNameFilterBecomeAdditionsOrRemovals) {
  Touch("doc.txt");
  Touch("b.txt");
  CAsyncOperation op(&m_handler);
  op.OnRenamed(C("doc.txt"), C("~$doc.txt"));    // from an ignored name: an addition
  op.OnRenamed(C("~$gone.txt"), C("gone.txt"));  // to an ignored name: a removal
  op.OnRenamed(C("b.txt"), C("a.txt"));          // both allowed: a rename
  Tick(op);
  ASSERT_TRUE(m_handler.WaitForCount(3));
  EXPECT_EQ(m_handler.Events(), (std::vector<Delivered>{{WATCHER_EVENT_ADDED, W("doc.txt"), L"", 0},
                                                         {WATCHER_EVENT_REMOVED, W("gone.txt"), L"", 0},
                                                         {WATCHER_EVENT_RENAMED, W("b.txt"), W("a.txt"), 0}}));
  std::vector<std::string> marks = Marks();
  EXPECT_NE(std::find(marks.begin(), marks.end(), "status " + N("~$gone.txt") + " 1"), marks.end());
  EXPECT_NE(std::find(marks.begin(), marks.end(), "rename " + N("a.txt") + " " + N("b.txt")), marks.end());
}

TEST_F(WatcherPipelineTest, TheStoppedRecordReturnsAfterItsDeliveryAndPendingChangesAreDiscarded) {
  auto op = std::make_unique<CAsyncOperation>(&m_handler);
  op->NotifyStarted(C(""));
  op->OnAdded(C("late.txt"));  // waits for a period that never comes
  op->NotifyStopped(C(""));
  std::vector<Delivered> events = m_handler.Events();  // no wait: the stop returned after delivery
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].type, WATCHER_EVENT_STARTED);
  EXPECT_EQ(events[1].type, WATCHER_EVENT_STOPPED);
  op.reset();
  EXPECT_EQ(m_handler.Events().size(), 2u);
}

}  // namespace
