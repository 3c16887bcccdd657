#pragma once
// Named shared memory backed by the page file: CreateFileMappingW with
// INVALID_HANDLE_VALUE, OpenFileMappingW, MapViewOfFile, UnmapViewOfFile.
//
// The memory of a name is a file in the runtime folder (win32/NamedObject.h),
// mapped shared into every process that maps a view. Every open handle and every
// view keeps the name alive; when the last of them anywhere goes, the name and its
// memory are gone, as on Windows. A process that crashes lets go of its share.
// Mappings of ordinary files are not offered (ERROR_NOT_SUPPORTED).
#include "win32/WinDef.h"

constexpr DWORD PAGE_READONLY = 0x02;
constexpr DWORD PAGE_READWRITE = 0x04;

constexpr DWORD FILE_MAP_COPY = 0x0001;
constexpr DWORD FILE_MAP_WRITE = 0x0002;
constexpr DWORD FILE_MAP_READ = 0x0004;
constexpr DWORD FILE_MAP_ALL_ACCESS = 0x000F001F;

constexpr DWORD ERROR_MAPPED_ALIGNMENT = 1132;

// A new mapping of `sizeLow` (and `sizeHigh`) bytes, zero-filled; or, when the name
// exists, the existing mapping with ERROR_ALREADY_EXISTS as the last error (its size
// stays). A size of 0 for a new mapping gives ERROR_INVALID_PARAMETER. A null name
// gives memory of this process alone.
HANDLE CreateFileMappingW(HANDLE file, LPSECURITY_ATTRIBUTES security, DWORD protect, DWORD sizeHigh,
                          DWORD sizeLow, LPCWSTR name);
// Null with ERROR_FILE_NOT_FOUND when no process holds the name.
HANDLE OpenFileMappingW(DWORD access, BOOL inherit, LPCWSTR name);
// `bytes` 0 maps the rest of the mapping; more than it holds gives ERROR_ACCESS_DENIED.
// The offset must be a multiple of 65536 (ERROR_MAPPED_ALIGNMENT). A view of a
// mapping created PAGE_READONLY cannot be written (ERROR_ACCESS_DENIED).
LPVOID MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes);
// The address MapViewOfFile returned; ERROR_INVALID_ADDRESS for any other.
BOOL UnmapViewOfFile(LPCVOID address);

constexpr DWORD ERROR_INVALID_ADDRESS = 487;
