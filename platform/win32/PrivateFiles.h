#pragma once
// The program's own data (databases, settings, the registry, logs, crash dumps)
// is the user's alone: files 0600 in folders 0700, whatever the umask,
// tightened where an earlier run left them open to others.
#include <string>

namespace win32 {

// Creates the folder (mode 0700) when missing, or takes others' access away from
// an existing folder of this user. False when it is no real folder of this user.
bool MakePrivateFolder(const std::string& path);

// Creates the file empty (mode 0600) when missing, or takes others' access away
// from an existing file of this user; a symbolic link is left alone and fails.
bool MakePrivateFile(const std::string& path);

// Opens the file with the open() flags given (O_CREAT is added, a link is never
// followed) as a private file: created 0600, or an existing regular file of
// this user with others' access taken away. The descriptor, or -1 with errno set.
int OpenPrivateFile(const std::string& path, int flags);

// Replaces the file's content with the bytes, as a private file. False (errno
// set) when it could not be opened so or not all was written.
bool WritePrivateFile(const std::string& path, const std::string& bytes);

}  // namespace win32
