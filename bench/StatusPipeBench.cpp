// Status pipe: time per query of one client asking in turn, and of several
// clients asking at once, against the real status cache. Prints its figures.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "client/sync/status/CStatusCache.h"

namespace {

// As the extension connects: WaitNamedPipeW for a free instance, then CreateFileW;
// or (spin) CreateFileW again at once while the pipe is busy, which leaves out the
// wait's own polling and shows the server's cost alone.
bool AskOnce(const std::wstring& path, bool spin = false) {
  HANDLE pipe = INVALID_HANDLE_VALUE;
  if (spin) {
    auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    do {
      pipe = CreateFileW(kStatusPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    } while (pipe == INVALID_HANDLE_VALUE && GetLastError() == ERROR_PIPE_BUSY && std::chrono::steady_clock::now() < giveUp);
  } else if (WaitNamedPipeW(kStatusPipeName, 1000)) {
    pipe = CreateFileW(kStatusPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  if (pipe == INVALID_HANDLE_VALUE) return false;
  StatusPipeRequest request{};
  request.kind = kStatusKindFile;
  PutWirePath(request.path, path);
  StatusPipeReply reply{};
  DWORD written = 0, read = 0;
  bool ok = WriteFile(pipe, &request, sizeof request, &written, nullptr) &&
            ReadFile(pipe, &reply, sizeof reply, &read, nullptr) && read == sizeof reply && reply.status == 3;
  CloseHandle(pipe);
  return ok;
}

}  // namespace

int main() {
  std::filesystem::path root = std::filesystem::temp_directory_path() / ("status-pipe-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(root);
  std::ofstream(root / "file.txt") << "x";
  {
    CStatusCache cache;
    cache.SetPathStatus(juce::String(root.string()), 1);
    cache.SetPathStatus(juce::String((root / "file.txt").string()), 3);
    const std::wstring path = (root / "file.txt").wstring();

    constexpr int kQueries = 1000;
    int failed = 0;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kQueries; ++i) failed += !AskOnce(path);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("one client: %d queries, %.1f us each, %d failed\n", kQueries, seconds * 1e6 / kQueries, failed);

    failed = 0;
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < kQueries; ++i) failed += !AskOnce(path, true);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("one client connecting again at once while busy: %d queries, %.1f us each, %d failed\n", kQueries,
                seconds * 1e6 / kQueries, failed);

    constexpr int kClients = 8, kEach = 125;
    std::vector<std::thread> clients;
    std::vector<int> failures(kClients, 0);
    start = std::chrono::steady_clock::now();
    for (int c = 0; c < kClients; ++c)
      clients.emplace_back([&, c] {
        for (int i = 0; i < kEach; ++i) failures[c] += !AskOnce(path);
      });
    for (auto& t : clients) t.join();
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    failed = 0;
    for (int f : failures) failed += f;
    std::printf("%d clients at once: %d queries, %.1f us each, %d failed\n", kClients, kClients * kEach,
                seconds * 1e6 / (kClients * kEach), failed);
  }
  std::filesystem::remove_all(root);
  return 0;
}
