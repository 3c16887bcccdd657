#pragma once
// Windows refuses to open, move or delete a file that another program holds
// open without sharing; Linux never does. A program that wants its file left
// alone here takes a lock on it (an open-file-description lock or flock), and
// the file functions of this layer treat such a lock as the other program's
// open handle: an exclusive lock shares nothing, a shared lock shares reading.
#include <string>

namespace win32 {

enum class FileLock { None, Shared, Exclusive };

// The strongest lock that some open file description holds on the regular file
// at native (a name in the system's encoding). Folders, missing and unreadable
// entries are None. Locks of this process's other descriptions count as well:
// on Windows a second handle of one's own is refused like anyone else's.
FileLock LockOnFile(const std::string& native);
// The same for a file the caller has open as fd (opened as it chose: without
// following a link, say). Anything but a regular file is None.
FileLock LockOnDescriptor(int fd);

// True when some regular file at or below the folder native is locked.
bool FolderHoldsLockedFile(const std::string& native);

}  // namespace win32
