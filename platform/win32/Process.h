#pragma once
// Child processes behind HANDLE values. A process handle is signalled when the
// child has ended and then gives its exit code; the child is reaped by the layer,
// so no zombie stays behind.
//
// Exit codes: what the child returned; for a child ended by a signal, the code
// Windows gives the matching failure (0xC0000005 for SIGSEGV and SIGBUS,
// 0xC000001D for SIGILL, 0xC0000094 for SIGFPE, 3 for SIGABRT), 128 + the signal
// for any other; for a child ended by TerminateProcess, the code given there.
#include <string>
#include <vector>

#include "win32/Event.h"
#include "win32/Thread.h"
#include "win32/WinDef.h"

struct STARTUPINFOW {
  DWORD cb;
  LPWSTR lpReserved;
  LPWSTR lpDesktop;
  LPWSTR lpTitle;
  DWORD dwX, dwY, dwXSize, dwYSize, dwXCountChars, dwYCountChars, dwFillAttribute, dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  LPBYTE lpReserved2;
  HANDLE hStdInput, hStdOutput, hStdError;
};
using LPSTARTUPINFOW = STARTUPINFOW*;

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

constexpr DWORD DEBUG_PROCESS = 0x1;
constexpr DWORD DETACHED_PROCESS = 0x8;
constexpr DWORD CREATE_NEW_CONSOLE = 0x10;
constexpr DWORD NORMAL_PRIORITY_CLASS = 0x20;
constexpr DWORD CREATE_UNICODE_ENVIRONMENT = 0x400;
constexpr DWORD CREATE_NO_WINDOW = 0x08000000;

// `application` names the program file exactly (relative to the current folder);
// when it is null the program is the first argument of `commandLine`, looked up
// in the program's folder, the current folder and PATH (".exe" added when the
// name has no extension and is not found as it stands). The child sees
// `commandLine` as its command line (the application name alone when null) and
// its arguments split from it. `environment` is an environment block (wide with
// CREATE_UNICODE_ENVIRONMENT) or null for ours; `directory` its current folder or
// null for ours. Handles are not inherited and the start-up record's standard
// handles and window fields are ignored: the child shares our standard streams.
// CREATE_SUSPENDED and DEBUG_PROCESS are refused (ERROR_NOT_SUPPORTED).
BOOL CreateProcessW(LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                    LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD flags,
                    LPVOID environment, LPCWSTR directory, LPSTARTUPINFOW startup,
                    LPPROCESS_INFORMATION information);
// STILL_ACTIVE while the process runs.
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
// Kills the child (SIGKILL); its exit code becomes `exitCode`. TRUE also when it
// had ended already.
BOOL TerminateProcess(HANDLE process, UINT exitCode);
DWORD GetProcessId(HANDLE process);
DWORD GetCurrentProcessId();
// The pseudo handle (-1) that stands for the calling process: GetProcessId gives
// our id, GetExitCodeProcess STILL_ACTIVE, TerminateProcess ends us at once.
HANDLE GetCurrentProcess();
// Our children have no input queue to wait for: returns 0 at once for a valid
// process handle.
DWORD WaitForInputIdle(HANDLE process, DWORD timeoutMs);

namespace win32 {
// Starts `path` with `arguments` (argv, the first being the program name as
// given) and returns the process handle; the plain form under CreateProcessW and
// the launcher. Null with the last error set when it cannot be started.
HANDLE SpawnProcess(const std::string& path, const std::vector<std::string>& arguments,
                    const std::vector<std::string>* environment, const std::string* directory,
                    const std::wstring* commandLine, DWORD* processId);
// A process handle for a process that has already ended with `exitCode` (what
// the launcher gives for a recorded start).
HANDLE MakeEndedProcess(DWORD exitCode);
// Finds a program as CreateProcessW does for a command line without an
// application name; empty when there is none.
std::string FindProgram(const std::wstring& name);
}  // namespace win32
