#include "win32/ShellExecute.h"

#include "win32/WinError.h"

namespace {

std::wstring Text(LPCWSTR text) { return text ? std::wstring(text) : std::wstring(); }

// The classic return value for a Win32 error.
int ShellCode(DWORD error) {
  switch (error) {
    case ERROR_SUCCESS: return 42;
    case ERROR_FILE_NOT_FOUND: return SE_ERR_FNF;
    case ERROR_PATH_NOT_FOUND: return SE_ERR_PNF;
    case ERROR_ACCESS_DENIED: return SE_ERR_ACCESSDENIED;
    case ERROR_NOT_ENOUGH_MEMORY: return SE_ERR_OOM;
    case ERROR_BAD_EXE_FORMAT: return 11;  // ERROR_BAD_FORMAT
    default: return SE_ERR_NOASSOC;
  }
}

DWORD Run(LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, int show, HANDLE* process) {
  win32::LaunchRequest request{Text(verb), Text(file), Text(parameters), Text(directory), show};
  return win32::Launcher::Launch(request, process);
}

}  // namespace

HINSTANCE ShellExecuteW(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, int show) {
  DWORD error = Run(verb, file, parameters, directory, show, nullptr);
  SetLastError(error);
  return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(ShellCode(error)));
}

BOOL ShellExecuteExW(LPSHELLEXECUTEINFOW info) {
  if (!info || info->cbSize != sizeof(SHELLEXECUTEINFOW)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  HANDLE process = nullptr;
  DWORD error = Run(info->lpVerb, info->lpFile, info->lpParameters, info->lpDirectory, info->nShow,
                    (info->fMask & SEE_MASK_NOCLOSEPROCESS) ? &process : nullptr);
  info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(ShellCode(error)));
  info->hProcess = process;
  SetLastError(error);
  return error == ERROR_SUCCESS;
}
