#include "ProgramRun.h"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

namespace fs = std::filesystem;

namespace apptest {

ProgramFolder::ProgramFolder() {
  fs::copy_file(DORV_PROGRAM, m_dir / "Dorv_Win.exe");
  fs::copy(fs::path(DORV_PROGRAM_DIR) / "Theme", m_dir / "Theme", fs::copy_options::recursive);
}

fs::path DataFolder() { return fs::path(std::getenv("XDG_DATA_HOME")) / "Halvorn" / "dorv"; }

std::string ReadLog() { return dorvtest::ReadFile(DataFolder() / "dorv.log"); }

std::vector<std::string> LogLinesWith(const std::string& text) {
  std::vector<std::string> lines;
  std::string log = ReadLog();
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find('\n', start);
    if (end == std::string::npos) end = log.size();
    std::string line = log.substr(start, end - start);
    if (line.find(text) != std::string::npos) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

HWND FindMainWindow() { return FindWindowExW(nullptr, nullptr, L"DorvMainFormClass", L"Dorv"); }

}  // namespace apptest
