#pragma once
// Names of kernel objects (events, mutexes).
//
// Within one process, objects of the same name are one object, found in a table.
// Across processes only the existence of a name is shared: each process holding
// the name keeps a shared flock on a file of that name in the runtime folder, so
// a name exists exactly while some living process holds it, and a process that
// crashes lets go of its names with its files.
#include <functional>
#include <memory>
#include <string>

#include "win32/Wait.h"
#include "win32/WinDef.h"

namespace win32 {

// The folder of named objects: $XDG_RUNTIME_DIR/dorv/, or /tmp/dorv-<uid>/ when
// that variable is unset or not absolute; created (mode 0700) when missing. Ends without a separator.
// Other local users must not reach the objects: a folder that is not a real folder
// owned by this user with no access for others is refused (the reason goes to
// stderr once) and the result is empty, so that every use of it fails.
std::string RuntimeFolder();
// "<runtime folder>/<name>", or empty when the folder is refused.
std::string RuntimePath(const std::string& name);

enum class RuntimeOpen { Existing, CreateIfMissing };
// Opens a file of the runtime folder as a named object's state: never through a
// symbolic link (O_NOFOLLOW), created only as a new file (O_EXCL, mode 0600), and
// only a regular file. `flags` adds the access mode and O_TRUNC/O_APPEND. -1 with
// errno set on failure.
int OpenRuntimeFile(const std::string& path, int flags, RuntimeOpen open);

// A process's hold on a name across processes; releasing the last hold anywhere
// removes the name.
class NameHold {
 public:
  ~NameHold();
  NameHold(const NameHold&) = delete;
  NameHold& operator=(const NameHold&) = delete;

  // Takes a hold on `name`. `existed` tells whether a hold was already held by
  // some process. Null (with the last error set) when the runtime folder fails.
  static std::unique_ptr<NameHold> Take(const std::wstring& name, bool& existed);
  // Whether any process holds `name` now.
  static bool Exists(const std::wstring& name);

 private:
  NameHold(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
  int m_fd;
  std::string m_path;
};

// A named object of this process, with its hold on the name.
class NamedWaitable : public Waitable {
 public:
  std::unique_ptr<NameHold> m_hold;
};

// Finds the object named `name` in this process, or makes one with `make`.
// Returns the object and sets the last error: ERROR_ALREADY_EXISTS when the name
// existed (in this process or another), else ERROR_SUCCESS. When `openOnly`, a
// name that exists in no process gives null with ERROR_FILE_NOT_FOUND. An object
// of the name that `make` would not give (dynamic_cast fails with `sameKind`)
// gives null with ERROR_INVALID_HANDLE, as a name serves one kind of object.
std::shared_ptr<NamedWaitable> FindOrCreateNamed(
    const std::wstring& name, bool openOnly,
    const std::function<std::shared_ptr<NamedWaitable>()>& make,
    const std::function<bool(const NamedWaitable&)>& sameKind);

}  // namespace win32
