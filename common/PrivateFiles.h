#pragma once
// The program's own data (databases, settings, logs) is the user's alone:
// files 0600 in folders 0700, whatever the umask, tightened where an earlier run
// left them open to others.
#include <string>

namespace Common {

// Creates the folder (mode 0700) when missing, or takes others' access away from
// an existing folder of this user. False when it is no real folder of this user.
bool MakePrivateFolder(const std::string& path);

// Creates the file empty (mode 0600) when missing, or takes others' access away
// from an existing file of this user; a symbolic link is left alone and fails.
bool MakePrivateFile(const std::string& path);

}  // namespace Common
