// The directory watcher on a real folder: how long a change takes to reach the
// handler, and what a burst of new files costs. Prints its figures.
//
// Changes are merged once per period of the pipeline (1.8 s), so the latency is
// measured on many files per period: files made one by one at spread-out times,
// each timed from its making to its delivery.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "client/sync/watcher/FileSystemWatcher.h"
#include "win32/NativePath.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

class CountingHandler : public IWatcherChangeHandler {
 public:
  void OnFileAdded(CFileSystemEventArgs* e) override {
    std::lock_guard guard(m_lock);
    m_deliveredAt[std::wstring(e->m_path.GetString())] = Clock::now();
    ++m_added;
    m_changed.notify_all();
  }
  void OnFileDeleted(CFileSystemEventArgs*) override {}
  void OnFileRenamed(CFileSystemEventArgs*) override {}
  void OnFileChanged(CFileSystemEventArgs*) override {}
  void OnFileMoved(CFileSystemEventArgs*) override {}
  void OnWatchError(CFileSystemEventArgs*) override { Count(m_errors); }
  void OnWatchStarted(CFileSystemEventArgs*) override {}
  void OnWatchStopped(CFileSystemEventArgs*) override {}

  // Waits until `added` additions came or a change was lost; false after 30 s.
  bool WaitForAdded(size_t added, size_t errorsBefore) {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::seconds(30),
                              [&] { return m_added >= added || m_errors > errorsBefore; });
  }
  size_t Added() {
    std::lock_guard guard(m_lock);
    return m_added;
  }
  size_t Errors() {
    std::lock_guard guard(m_lock);
    return m_errors;
  }
  bool DeliveredAt(const std::wstring& path, Clock::time_point& at) {
    std::lock_guard guard(m_lock);
    auto found = m_deliveredAt.find(path);
    if (found == m_deliveredAt.end()) return false;
    at = found->second;
    return true;
  }

 private:
  void Count(size_t& counter) {
    std::lock_guard guard(m_lock);
    ++counter;
    m_changed.notify_all();
  }
  std::mutex m_lock;
  std::condition_variable m_changed;
  size_t m_added = 0;
  size_t m_errors = 0;
  std::map<std::wstring, Clock::time_point> m_deliveredAt;
};

}  // namespace

int main() {
  char pattern[] = "/tmp/dorv-watcher-bench-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  const fs::path root = pattern;
  CountingHandler handler;
  CFileSystemWatcher watcher;
  if (!watcher.AddDirectory(CString(WidePath(root.c_str())), &handler)) return 1;

  // Latency: 300 files, 30 per period, made at even steps through it.
  constexpr int kRounds = 10, kPerRound = 30;
  constexpr auto kStep = std::chrono::milliseconds(60);
  std::vector<double> latencies;
  for (int round = 0; round < kRounds; ++round) {
    size_t before = handler.Added();
    std::vector<std::pair<std::wstring, Clock::time_point>> made;
    for (int i = 0; i < kPerRound; ++i) {
      fs::path file = root / ("single" + std::to_string(round * kPerRound + i));
      made.emplace_back(WidePath(file.c_str()), Clock::now());
      std::ofstream{file};
      std::this_thread::sleep_for(kStep);
    }
    if (!handler.WaitForAdded(before + kPerRound, handler.Errors())) break;
    for (const auto& [path, at] : made) {
      Clock::time_point delivered;
      if (handler.DeliveredAt(path, delivered)) latencies.push_back(Ms(delivered - at));
    }
  }
  std::sort(latencies.begin(), latencies.end());
  if (!latencies.empty()) {
    std::printf("one new file to the handler: median %.1f ms, p99 %.1f ms, max %.1f ms (%zu files, %d per period)\n",
                latencies[latencies.size() / 2], latencies[latencies.size() * 99 / 100], latencies.back(),
                latencies.size(), kPerRound);
  }

  // Bursts: files made as fast as one thread can; lost changes are reported once per overflow.
  for (int count : {100, 1000, 10000}) {
    fs::path folder = root / ("burst" + std::to_string(count));
    fs::create_directory(folder);
    handler.WaitForAdded(handler.Added() + 1, handler.Errors());
    size_t addedBefore = handler.Added(), errorsBefore = handler.Errors();
    auto start = Clock::now();
    for (int i = 0; i < count; ++i) std::ofstream(folder / ("f" + std::to_string(i)));
    double made = Ms(Clock::now() - start);
    handler.WaitForAdded(addedBefore + count, errorsBefore);
    bool all = handler.Added() - addedBefore >= static_cast<size_t>(count);
    double seen = Ms(Clock::now() - start);
    // Let whatever is still on its way arrive before the next burst.
    std::ofstream(root / ("marker" + std::to_string(count)));
    handler.WaitForAdded(handler.Added() + 1, handler.Errors());
    std::printf("burst of %5d files: made in %8.1f ms, %s after %8.1f ms; %zu additions, %zu overflow reports\n",
                count, made, all ? "all reported" : "changes lost", seen, handler.Added() - addedBefore - 1,
                handler.Errors() - errorsBefore);
  }
  watcher.Stop();
  fs::remove_all(root);
  return 0;
}
