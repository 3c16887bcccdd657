// Status pipe: overlay queries of 1, 8 and 32 clients asking at once against
// the real status cache, idle, while the engine marks paths as a transfer
// does (and hashes its blocks), and while 8 or 40 other clients hold
// connections without sending anything. Each query is one exchange of the extension's
// own client (a wait for a free instance within its time, then one request and
// one reply). Prints failures and the p50 / p99 time per query.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include <unistd.h>

#include <juce_cryptography/juce_cryptography.h>

#include "ShellStatusClient.h"
#include "client/sync/status/CStatusCache.h"

namespace fs = std::filesystem;

namespace {

struct Figures {
  int queries = 0;
  int failed = 0;
  double p50 = 0, p99 = 0, max = 0;
};

Figures Run(int clients, int each, const std::vector<std::wstring>& paths) {
  std::vector<std::vector<double>> times(clients);
  std::vector<int> failures(clients, 0);
  std::vector<std::thread> threads;
  std::atomic<int> ready{0};
  for (int c = 0; c < clients; ++c)
    threads.emplace_back([&, c] {
      ++ready;
      while (ready < clients) std::this_thread::yield();
      for (int i = 0; i < each; ++i) {
        const std::wstring& path = paths[(c * each + i) % paths.size()];
        auto start = std::chrono::steady_clock::now();
        ShellStatusClient client;
        StatusPipeReply reply{};
        bool ok = client.QueryFileStatus(path.c_str(), &reply) && reply.status != 0;
        times[c].push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        failures[c] += !ok;
      }
    });
  for (auto& t : threads) t.join();
  Figures f;
  std::vector<double> all;
  for (int c = 0; c < clients; ++c) {
    all.insert(all.end(), times[c].begin(), times[c].end());
    f.failed += failures[c];
  }
  std::sort(all.begin(), all.end());
  f.queries = static_cast<int>(all.size());
  f.p50 = all[all.size() / 2];
  f.p99 = all[std::min(all.size() - 1, all.size() * 99 / 100)];
  f.max = all.back();
  return f;
}

// What a transfer does beside the queries: marks its files in transfer and in
// step again (each mark takes the cache lock) and hashes its blocks.
class TransferLoad {
 public:
  TransferLoad(CStatusCache& cache, const std::vector<juce::String>& files) {
    m_threads.emplace_back([this, &cache, &files] {
      for (int round = 0; !m_stop; ++round)
        for (const juce::String& file : files) cache.SetPathStatus(file, round % 2 ? 1 : 2);
    });
    m_threads.emplace_back([this] {
      juce::MemoryBlock block(2 << 20, true);
      while (!m_stop) juce::MD5(block.getData(), block.getSize());
    });
  }
  ~TransferLoad() {
    m_stop = true;
    for (auto& t : m_threads) t.join();
  }

 private:
  std::atomic<bool> m_stop{false};
  std::vector<std::thread> m_threads;
};

// Clients that connect and send nothing, as a stuck or hostile program would;
// each connects again as soon as the server lets it go.
class SilentClients {
 public:
  explicit SilentClients(int count) {
    for (int i = 0; i < count; ++i)
      m_threads.emplace_back([this] {
        while (!m_stop) {
          if (!WaitNamedPipeW(kStatusPipeName, 200)) continue;
          HANDLE pipe = CreateFileW(kStatusPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
          if (pipe == INVALID_HANDLE_VALUE) continue;
          ++m_connected;
          char byte;
          DWORD read = 0;
          ReadFile(pipe, &byte, 1, &read, nullptr);  // returns when the server lets go
          --m_connected;
          CloseHandle(pipe);
        }
      });
    // Measured once they are all in.
    for (int spin = 0; m_connected < count && spin < 2000; ++spin) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~SilentClients() {
    m_stop = true;
    for (auto& t : m_threads) t.join();
  }

 private:
  std::atomic<bool> m_stop{false};
  std::atomic<int> m_connected{0};
  std::vector<std::thread> m_threads;
};

}  // namespace

int main() {
  fs::path root = fs::temp_directory_path() / ("status-pipe-bench-" + std::to_string(getpid()));
  fs::create_directories(root);
  std::vector<std::wstring> paths;
  std::vector<juce::String> files;
  for (int i = 0; i < 2000; ++i) {
    fs::path file = root / ("file" + std::to_string(i) + ".txt");
    std::ofstream(file) << "x";
    paths.push_back(file.wstring());
    files.push_back(juce::String(file.string()));
  }
  std::printf("machine: %u hardware threads; %d pipe instances\n", std::thread::hardware_concurrency(),
              CStatusCache::kPipeInstances);
  {
    CStatusCache cache;
    cache.SetPathStatus(juce::String(root.string()), 1);
    for (const juce::String& file : files) cache.SetPathStatus(file, 1);
    for (int loaded = 0; loaded < 2; ++loaded) {
      std::unique_ptr<TransferLoad> load;
      if (loaded) load = std::make_unique<TransferLoad>(cache, files);
      for (int clients : {1, 8, 32}) {
        Figures f = Run(clients, clients == 1 ? 2000 : 4000 / clients, paths);
        std::printf("%-15s %2d clients: %5d queries, %4d failed, p50 %6.3f ms, p99 %6.3f ms, max %7.3f ms\n",
                    loaded ? "during transfer" : "idle", clients, f.queries, f.failed, f.p50, f.p99, f.max);
      }
    }
    for (int silent : {8, 40}) {
      SilentClients holders(silent);
      Figures f = Run(1, 100, paths);
      std::printf("%2d silent held   1 client : %5d queries, %4d failed, p50 %6.3f ms, p99 %6.3f ms, max %7.3f ms\n",
                  silent, f.queries, f.failed, f.p50, f.p99, f.max);
    }
  }
  fs::remove_all(root);
  return 0;
}
