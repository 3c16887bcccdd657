#pragma once
// The command line as one text, and its split into arguments by the Windows
// rules (quotes group, backslashes escape only before a quote).
//
// A program started by CreateProcessW sees exactly the command line its parent
// gave; any other program sees its arguments joined and quoted as Windows would
// write them.
#include <string>
#include <vector>

#include "win32/LocalMemory.h"
#include "win32/WinDef.h"

LPCWSTR GetCommandLineW();
// One block (free with LocalFree) holding the argument pointers and texts; an
// empty command line gives the program's own path as the only argument.
LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* count);

namespace win32 {

// Splits as CommandLineToArgvW does (the first argument by the program-name rule).
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);
// The text after the program name, blanks skipped: what a program's own
// arguments are (MFC's m_lpCmdLine).
std::wstring ArgumentsOf(const std::wstring& commandLine);
// Quotes an argument so that SplitCommandLine gives it back unchanged.
std::wstring QuoteArgument(const std::wstring& argument);
std::wstring JoinCommandLine(const std::vector<std::wstring>& arguments);
// The environment variable that carries the exact command line to a child.
inline constexpr const char* kCommandLineVariable = "DORV_COMMAND_LINE";

}  // namespace win32
