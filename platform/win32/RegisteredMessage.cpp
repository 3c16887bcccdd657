// Registered messages: one id per name (compared without regard to case), the same
// in every module and every process of the user's session, as on Windows. The
// names live in one file in the runtime folder, in order of registration; a name's
// id is 0xC000 plus its line number.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "win32/HexText.h"
#include "win32/NamedObject.h"
#include "win32/WinError.h"
#include "win32/WindowClass.h"

namespace {

constexpr UINT kFirstId = 0xC000;
constexpr size_t kMaxNames = 0x4000;

struct Cache {
  std::mutex lock;
  std::vector<std::pair<std::wstring, UINT>> known;
};

Cache& TheCache() {
  static Cache* cache = new Cache;
  return *cache;
}

std::string ReadAll(int fd) {
  std::string data;
  char buf[4096];
  lseek(fd, 0, SEEK_SET);
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0) break;
    data.append(buf, static_cast<size_t>(n));
  }
  return data;
}

}  // namespace

UINT RegisterWindowMessageW(LPCWSTR name) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  Cache& cache = TheCache();
  std::lock_guard guard(cache.lock);
  for (auto& [known, id] : cache.known) {
    if (win32::NamesEqual(known, name)) return id;
  }
  int fd = win32::OpenRuntimeFile(win32::RuntimePath("messages"), O_RDWR, win32::RuntimeOpen::CreateIfMissing);
  if (fd < 0) {
    SetLastError(ErrnoToWin32(errno));
    return 0;
  }
  flock(fd, LOCK_EX);
  std::istringstream lines(ReadAll(fd));
  std::string line;
  size_t index = 0;
  UINT id = 0;
  while (std::getline(lines, line)) {
    std::wstring registered;
    win32::DecodeHexText(line, registered);  // a damaged line still keeps its number
    if (win32::NamesEqual(registered, name)) {
      id = kFirstId + static_cast<UINT>(index);
      break;
    }
    ++index;
  }
  if (!id) {
    if (index >= kMaxNames) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    } else {
      std::string entry = win32::EncodeHexText(name) + "\n";
      lseek(fd, 0, SEEK_END);
      if (write(fd, entry.data(), entry.size()) == static_cast<ssize_t>(entry.size())) {
        id = kFirstId + static_cast<UINT>(index);
      } else {
        SetLastError(ERROR_DISK_FULL);
      }
    }
  }
  flock(fd, LOCK_UN);
  close(fd);
  if (id) cache.known.emplace_back(name, id);
  return id;
}
