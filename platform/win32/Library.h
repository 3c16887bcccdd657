#pragma once
// Modules: shared libraries loaded by file name. An HMODULE is the handle dlopen
// gives; the running program has one too (GetModuleHandleW(nullptr)).
//
// A bare name ("FaultTrap.dll") is looked for in the program's folder first, then
// where the system looks for libraries; a name with a folder is taken exactly.
// Exports are looked up by name: plug-ins export `extern "C"` functions.
#include <string>

#include "win32/WinDef.h"

// A function of no particular type: callers cast it to the export's own type
// (the compiler lets any function type convert from this one without a warning).
using FARPROC = void (*)();

constexpr DWORD LOAD_WITH_ALTERED_SEARCH_PATH = 0x8;
constexpr DWORD LOAD_LIBRARY_SEARCH_APPLICATION_DIR = 0x200;

// Null with ERROR_MOD_NOT_FOUND when no such file exists, ERROR_BAD_EXE_FORMAT
// when it cannot be loaded (not a library, or missing its own dependencies).
HMODULE LoadLibraryW(LPCWSTR fileName);
// The flags are accepted and change nothing.
HMODULE LoadLibraryExW(LPCWSTR fileName, HANDLE reserved, DWORD flags);
// Null with ERROR_PROC_NOT_FOUND for a missing export; ordinals are not supported.
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);
// Null: the program. A name: a library already loaded, found as LoadLibraryW would
// find it; null with ERROR_MOD_NOT_FOUND when it is not loaded.
HMODULE GetModuleHandleW(LPCWSTR moduleName);

namespace win32 {
// The folder of the running program, without a trailing separator.
std::string ProgramFolder();
// The module that holds `address` (code or data), for a library that needs its
// own handle; null when the address lies in no module.
HMODULE ModuleHandleFromAddress(const void* address);
}  // namespace win32
