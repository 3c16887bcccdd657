#pragma once
// Names from the system's user and group databases (internal to the layer).
#include <sys/types.h>

#include <string>

namespace win32 {

// Empty when the id has no entry.
std::string UserNameOf(uid_t uid);
std::string GroupNameOf(gid_t gid);

}  // namespace win32
