#include "net/NetTrace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

#include "win32/PrivateFiles.h"

namespace Net {

namespace {

std::mutex g_traceLock;
// A trace that grows past this starts again.
constexpr long kMaxTraceBytes = 4L * 1024 * 1024;

// The application-data folder of the program ($XDG_DATA_HOME/Halvorn/dorv/,
// ~/.local/share when XDG_DATA_HOME is not set), created when missing.
std::string TraceFolder() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    base = std::string(home) + "/.local/share";
  } else {
    base = "/tmp";
  }
  std::string folder = base;
  for (const char* level : {"/Halvorn", "/dorv"}) {
    folder += level;
    win32::MakePrivateFolder(folder);
  }
  return folder + "/";
}

}  // namespace

std::string GetNetTracePath() { return TraceFolder() + "dorv_net_trace.log"; }

bool NET_TRACE(int level, const char* text) {
  try {
    std::lock_guard<std::mutex> hold(g_traceLock);
    std::string path = GetNetTracePath();
    struct stat info{};
    const bool restart = stat(path.c_str(), &info) == 0 && info.st_size >= kMaxTraceBytes;
    // The trace names the service's addresses and paths: the user's alone.
    const int fd = win32::OpenPrivateFile(path, O_WRONLY | (restart ? O_TRUNC : O_APPEND));
    std::FILE* f = fd < 0 ? nullptr : fdopen(fd, "a");
    if (f == nullptr) {
      if (fd >= 0) close(fd);
      return false;
    }
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    bool ok = std::fprintf(f, "[%s] %d: %s\n", stamp, level, text != nullptr ? text : "") > 0;
    return std::fclose(f) == 0 && ok;
  } catch (...) {
    return false;
  }
}

bool NET_TRACE(int level, const std::string& text) { return NET_TRACE(level, text.c_str()); }

bool NET_TRACE(int level, const juce::String& text) { return NET_TRACE(level, text.toRawUTF8()); }

}  // namespace Net
