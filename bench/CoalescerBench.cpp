// One coalescing pass over a burst of changes on real files: a copy of many
// files into the sync root (an addition and a modification of each), and a
// move of as many files between two folders (a removal and an addition of
// each). Prints the pass time and the cost per changed file.
//
// Usage: coalescer_bench [FILES...]   (default: 1000 10000 50000 100000)
// The processor time counts every thread of the process: the pass may use
// helper threads for its looks at the disk.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <time.h>

#include <unistd.h>

#include "client/sync/watcher/FileSystemEventArgs.h"
#include "client/sync/watcher/WatcherCoalescer.h"
#include "win32/Windows.h"

namespace fs = std::filesystem;

namespace {

CString Wide(const fs::path& p) { return CString(p.wstring().c_str()); }

double CpuMs() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The pass's wall time; cpu gets its processor time (the machine may be shared).
double Pass(CWatcherCoalescer& coalescer, size_t& delivered, double& cpu) {
  auto start = std::chrono::steady_clock::now();
  double cpuStart = CpuMs();
  delivered = coalescer.RunPass().size();
  cpu = CpuMs() - cpuStart;
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  for (int a = 1; a < argc; ++a) {
    int files = std::atoi(argv[a]);
    if (files <= 0) {
      std::fprintf(stderr, "usage: %s [FILES...]\n", argv[0]);
      return 2;
    }
    sizes.push_back(files);
  }
  if (sizes.empty()) sizes = {1000, 10000, 50000, 100000};
  fs::path dir = fs::temp_directory_path() / ("dorv-coalescer-bench-" + std::to_string(::getpid()));
  fs::create_directories(dir / "from");
  fs::create_directories(dir / "to");
  int made = 0;
  for (int files : sizes) {
    for (; made < files; ++made) std::ofstream(dir / "to" / ("file" + std::to_string(made) + ".txt")) << "x";

    CWatcherCoalescer copy;
    for (int i = 0; i < files; ++i) {
      CString path = Wide(dir / "to" / ("file" + std::to_string(i) + ".txt"));
      copy.Add(WatcherEvent{path, CString(), WATCHER_EVENT_ADDED});
      copy.Add(WatcherEvent{path, CString(), WATCHER_EVENT_MODIFIED});
    }
    size_t copied = 0;
    double copyCpu = 0;
    double copyMs = Pass(copy, copied, copyCpu);

    CWatcherCoalescer move;
    for (int i = 0; i < files; ++i) {
      std::string name = "file" + std::to_string(i) + ".txt";
      move.Add(WatcherEvent{Wide(dir / "from" / name), CString(), WATCHER_EVENT_REMOVED});
      move.Add(WatcherEvent{Wide(dir / "to" / name), CString(), WATCHER_EVENT_ADDED});
    }
    size_t moved = 0;
    double moveCpu = 0;
    double moveMs = Pass(move, moved, moveCpu);

    // The looks at the disk that any pass must make for the copy (whether each
    // file is there and can be opened for reading), made one after another
    // through the platform's calls, for comparison: the pass makes its own
    // looks directly and, for a burst, on several threads.
    double diskCpu = CpuMs();
    auto diskStart = std::chrono::steady_clock::now();
    for (int i = 0; i < files; ++i) {
      CString path = Wide(dir / "to" / ("file" + std::to_string(i) + ".txt"));
      if (GetFileAttributesW(path.GetString()) != INVALID_FILE_ATTRIBUTES) CWatcherCoalescer::CanOpenForReading(path);
    }
    double diskMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - diskStart).count();
    diskCpu = CpuMs() - diskCpu;
    std::printf("%6d files: platform disk checks alone %7.1f ms (cpu %7.1f ms)\n", files, diskMs, diskCpu);
    std::printf("%6d files: copy pass %7.1f ms (cpu %7.1f ms, %5.2f us/file, %zu delivered), "
                "move pass %7.1f ms (cpu %7.1f ms, %5.2f us/file, %zu delivered)\n",
                files, copyMs, copyCpu, copyMs * 1000 / files, copied, moveMs, moveCpu, moveMs * 1000 / files, moved);
  }
  fs::remove_all(dir);
  return 0;
}
