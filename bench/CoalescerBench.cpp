// One coalescing pass over a burst of changes (a copy of many files into the
// sync root: an addition and a modification of each), on real files.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "client/sync/watcher/FileSystemEventArgs.h"
#include "client/sync/watcher/WatcherCoalescer.h"

namespace fs = std::filesystem;

int main() {
  fs::path dir = fs::temp_directory_path() / ("dorv-coalescer-bench-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  for (int files : {100, 1000, 4000}) {
    CWatcherCoalescer coalescer;
    for (int i = 0; i < files; ++i) {
      fs::path file = dir / ("file" + std::to_string(i) + ".txt");
      std::ofstream(file) << "x";
      CString path(file.wstring().c_str());
      coalescer.Add(WatcherEvent{path, CString(), WATCHER_EVENT_ADDED});
      coalescer.Add(WatcherEvent{path, CString(), WATCHER_EVENT_MODIFIED});
    }
    auto start = std::chrono::steady_clock::now();
    size_t ready = coalescer.RunPass().size();
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%5d files, %5d changes: one pass %8.1f ms, %zu delivered\n", files, files * 2, ms, ready);
  }
  fs::remove_all(dir);
  return 0;
}
