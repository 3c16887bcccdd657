#pragma once
// Files and folders by name: creating, removing, copying, moving, attributes.
// Names are wide text and reach the system as UTF-8; '/' separates folders.
// A locked file counts as open in another program (FileLocks.h): deleting or
// moving it, or copying onto it, gives ERROR_SHARING_VIOLATION, and moving a
// folder with such a file below it gives ERROR_ACCESS_DENIED.
#include "win32/WinDef.h"

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x4;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x100;
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x400;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x2;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// Fails with ERROR_ALREADY_EXISTS when the name exists, ERROR_PATH_NOT_FOUND
// when its folder is missing. The security attributes are not used.
BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security);
// Removes an empty folder (or a link to a folder, not what it points to).
// ERROR_DIR_NOT_EMPTY, ERROR_DIRECTORY for a file.
BOOL RemoveDirectoryW(LPCWSTR path);
// Deletes a file or a link; a folder gives ERROR_ACCESS_DENIED.
BOOL DeleteFileW(LPCWSTR path);
// Copies the bytes, the permissions and the last-write time. With failIfExists an
// existing target gives ERROR_FILE_EXISTS and is left alone; a folder as source
// gives ERROR_ACCESS_DENIED.
BOOL CopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists);
// Renames a file or folder; an existing target gives ERROR_ALREADY_EXISTS.
// Files move across file systems by copy and delete.
BOOL MoveFileW(LPCWSTR from, LPCWSTR to);
// As MoveFileW; MOVEFILE_REPLACE_EXISTING replaces a target file in one step
// (a target folder gives ERROR_ACCESS_DENIED); without MOVEFILE_COPY_ALLOWED a
// move to another file system gives ERROR_NOT_SAME_DEVICE.
BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags);

// Folders carry FILE_ATTRIBUTE_DIRECTORY, links FILE_ATTRIBUTE_REPARSE_POINT (and
// DIRECTORY when they point to a folder), names starting with '.' HIDDEN, entries
// the owner cannot write READONLY; a plain file is NORMAL.
DWORD GetFileAttributesW(LPCWSTR path);
// Only READONLY has an effect here: it takes away (or gives back) write permission.
BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes);

// The temporary folder ($TMPDIR, else /tmp) with a trailing '/'. Returns the
// length written without the terminator, or the size needed when the buffer is short.
DWORD GetTempPathW(DWORD size, LPWSTR buffer);

// Internal: the attributes of an entry already read with lstat.
struct stat;
DWORD FileAttributesFromStat(const struct stat& st, const char* name, const char* fullPath);
