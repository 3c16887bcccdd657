#pragma once
// OVERLAPPED: the caller's record of one asynchronous request. It stays the
// caller's until the request has completed; the layer writes its status and byte
// count when it ends, then queues the completion on the handle's port (or sets
// hEvent when the handle has no port).
#include "win32/WinDef.h"

struct OVERLAPPED {
  ULONG_PTR Internal;      // the request's status; STATUS_PENDING while it runs
  ULONG_PTR InternalHigh;  // bytes transferred
  union {
    struct {
      DWORD Offset;
      DWORD OffsetHigh;
    };
    PVOID Pointer;
  };
  HANDLE hEvent;
};
using LPOVERLAPPED = OVERLAPPED*;
using LPOVERLAPPED_COMPLETION_ROUTINE = void (*)(DWORD error, DWORD bytes, LPOVERLAPPED overlapped);

// Statuses in OVERLAPPED::Internal.
constexpr ULONG_PTR STATUS_SUCCESS = 0;
constexpr ULONG_PTR STATUS_PENDING = 0x103;
constexpr ULONG_PTR STATUS_NOTIFY_ENUM_DIR = 0x10C;  // change records were lost: look again
constexpr ULONG_PTR STATUS_UNSUCCESSFUL = 0xC0000001;
constexpr ULONG_PTR STATUS_CANCELLED = 0xC0000120;

inline bool HasOverlappedIoCompleted(const OVERLAPPED* overlapped) { return overlapped->Internal != STATUS_PENDING; }
