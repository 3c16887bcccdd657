#pragma once
// Open files behind kernel handles: plain synchronous reads and writes.
// Share modes are not enforced between our own handles (the system has no
// mandatory sharing), so two handles may write one file at once; a file that
// another program has locked is refused with ERROR_SHARING_VIOLATION as its
// open handle would be (FileLocks.h). A pipe's name opens the client end of
// the pipe (win32/NamedPipe.h). Overlapped reads and writes are not offered: a
// non-null OVERLAPPED gives ERROR_NOT_SUPPORTED. A folder opened with
// FILE_FLAG_OVERLAPPED serves ReadDirectoryChangesW (DirectoryChanges.h) and
// can be bound to a completion port.
#include "win32/Files.h"
#include "win32/Handle.h"

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_FLAG_BACKUP_SEMANTICS = 0x02000000;
// The link itself is opened, never what it points at (a handle to a link
// reads nothing); a plain file opens as without the flag.
constexpr DWORD FILE_FLAG_OPEN_REPARSE_POINT = 0x00200000;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;

struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;
using PLARGE_INTEGER = LARGE_INTEGER*;
using LPFILETIME = FILETIME*;

// Folders open only with FILE_FLAG_BACKUP_SEMANTICS (else ERROR_ACCESS_DENIED).
// CREATE_ALWAYS and OPEN_ALWAYS on an existing file succeed with
// ERROR_ALREADY_EXISTS as the last error; CREATE_NEW then fails with ERROR_FILE_EXISTS.
HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped);
BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size);
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD method);
BOOL SetEndOfFile(HANDLE file);
BOOL FlushFileBuffers(HANDLE file);
// The creation time is the time of the last status change, the nearest the system keeps.
BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite);
