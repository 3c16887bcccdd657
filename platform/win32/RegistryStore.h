#pragma once
// The registry file, $XDG_CONFIG_HOME/dorv/registry (~/.config when unset), shared
// by every process of the user.
//
// A change reads the file afresh under a lock file (registry.lock, flock), applies
// itself and writes the whole tree to a temporary file that then replaces the
// file, so a reader never sees half a file and two processes never lose each
// other's changes. A file that cannot be read or parsed reads as empty; the first change
// moves it aside (registry.bad-<time>-<pid>) instead of overwriting it.
#include <functional>
#include <mutex>
#include <string>

#include "win32/RegistryTree.h"
#include "win32/WinDef.h"

namespace win32 {

class RegistryStore {
 public:
  static RegistryStore& Instance();

  // Runs `read` on the current content. Returns what `read` returns.
  LONG Read(const std::function<LONG(const RegistryTree&)>& read);
  // Runs `change` on the current content and saves it when `change` returns
  // ERROR_SUCCESS and set `changed`. Returns what `change` returns, or the error
  // of the save.
  LONG Write(const std::function<LONG(RegistryTree&, bool& changed)>& change);

  // The file in use (for tests and messages).
  static std::string FilePath();

 private:
  struct Signature {
    unsigned long long dev = 0, ino = 0, size = 0;
    long long mtimeNs = -1;
    bool operator==(const Signature&) const = default;
  };

  // Brings m_tree up to the file; under m_lock.
  void Load(const std::string& path);

  std::mutex m_lock;
  std::string m_path;
  Signature m_signature;
  bool m_malformed = false;
  RegistryTree m_tree;
};

}  // namespace win32
