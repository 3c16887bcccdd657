#pragma once
// The object behind a folder handle opened for overlapped I/O: it serves
// ReadDirectoryChangesW (see DirectoryChanges.h) from inotify, with one watch on
// every folder of the tree and a thread that turns inotify's events into change
// records. Closing the last handle cancels the pending read and ends the thread.
#include <memory>
#include <string>

#include "win32/IoCompletion.h"

namespace win32 {

// Takes ownership of `fd`, the open folder named `nativePath` (and closes it).
std::shared_ptr<OverlappedIoObject> MakeFolderWatch(int fd, const std::string& nativePath);

}  // namespace win32
