#pragma once
// ReadDirectoryChangesW on a folder opened with
// CreateFileW(..., FILE_LIST_DIRECTORY, ..., OPEN_EXISTING,
//             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, ...).
//
// The first read starts the watch: from then on changes are collected, also
// between reads: the system's queue is drained into the watch's own memory as
// fast as changes come. Each read completes (on the handle's completion port,
// or through its hEvent) as soon as changes are there, with as many
// FILE_NOTIFY_INFORMATION records as fit its buffer; the rest wait for the
// next read. When changes were lost (the system's own queue overflowed, a
// record does not fit the read's buffer at all, or 64 MiB piled up unread)
// the next read completes successfully with 0 bytes: the caller must look at
// the folder again. Names are relative to the watched
// folder, folders separated by '/', WCHAR (wchar_t) units without terminator;
// records are DWORD aligned. Both names of a rename inside one folder come in
// one completion, adjacent.
//
// A change is reported by the kind of entry the filter asks for: names of files
// (FILE_NAME), of folders (DIR_NAME), writes to files (LAST_WRITE, SIZE), their
// attributes and times (ATTRIBUTES, LAST_WRITE, SECURITY). A move between two
// folders of the watched tree is a removal and an addition. A folder created in
// the tree is watched at once, and what was made in it before its watch existed
// is reported as added; a folder moved in is watched, its contents not reported.
//
// When the watched folder itself goes away, or the system has no watch left for
// a new folder, the pending read fails (ERROR_ACCESS_DENIED,
// ERROR_NOT_ENOUGH_QUOTA) and every later read is refused with that error.
// One read at a time (a second gives ERROR_INVALID_PARAMETER); completion
// routines are not offered (ERROR_NOT_SUPPORTED). Closing the handle or
// CancelIo ends a pending read with ERROR_OPERATION_ABORTED.
#include "win32/IoCompletion.h"
#include "win32/Overlapped.h"
#include "win32/WinDef.h"

constexpr DWORD FILE_NOTIFY_CHANGE_FILE_NAME = 0x1;
constexpr DWORD FILE_NOTIFY_CHANGE_DIR_NAME = 0x2;
constexpr DWORD FILE_NOTIFY_CHANGE_ATTRIBUTES = 0x4;
constexpr DWORD FILE_NOTIFY_CHANGE_SIZE = 0x8;
constexpr DWORD FILE_NOTIFY_CHANGE_LAST_WRITE = 0x10;
constexpr DWORD FILE_NOTIFY_CHANGE_LAST_ACCESS = 0x20;
constexpr DWORD FILE_NOTIFY_CHANGE_CREATION = 0x40;
constexpr DWORD FILE_NOTIFY_CHANGE_SECURITY = 0x100;

constexpr DWORD FILE_ACTION_ADDED = 1;
constexpr DWORD FILE_ACTION_REMOVED = 2;
constexpr DWORD FILE_ACTION_MODIFIED = 3;
constexpr DWORD FILE_ACTION_RENAMED_OLD_NAME = 4;
constexpr DWORD FILE_ACTION_RENAMED_NEW_NAME = 5;

constexpr DWORD ERROR_NOTIFY_ENUM_DIR = 1022;
constexpr DWORD ERROR_NOT_ENOUGH_QUOTA = 1816;

struct FILE_NOTIFY_INFORMATION {
  DWORD NextEntryOffset;  // from this record to the next; 0 for the last
  DWORD Action;
  DWORD FileNameLength;   // bytes
  WCHAR FileName[1];
};
using PFILE_NOTIFY_INFORMATION = FILE_NOTIFY_INFORMATION*;

// Queues the read and returns TRUE; its result comes as a completion. FALSE when
// the read is refused: ERROR_INVALID_PARAMETER (no OVERLAPPED, a buffer not DWORD
// aligned, an empty filter, a read already pending), ERROR_INVALID_HANDLE (not a
// folder opened for overlapped I/O), or the error that broke the watch. The
// subtree flag and the filter of the first read hold for the whole watch.
BOOL ReadDirectoryChangesW(HANDLE directory, LPVOID buffer, DWORD bufferLength, BOOL watchSubtree,
                           DWORD notifyFilter, LPDWORD bytesReturned, LPOVERLAPPED overlapped,
                           LPOVERLAPPED_COMPLETION_ROUTINE completionRoutine);
