#include "win32/Process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "win32/CommandLine.h"
#include "win32/Library.h"
#include "win32/NativePath.h"
#include "win32/Wait.h"
#include "win32/WinError.h"

extern char** environ;

namespace {

class ProcessObject final : public win32::Waitable {
 public:
  bool IsSignaled(DWORD) const override { return m_ended; }

  pid_t m_pid = 0;
  // Under KernelWaitLock().
  bool m_ended = false;
  bool m_terminated = false;
  DWORD m_exitCode = STILL_ACTIVE;
};

// The child's main thread: ends with the process.
class ProcessThreadObject final : public win32::Waitable {
 public:
  explicit ProcessThreadObject(std::shared_ptr<ProcessObject> process) : m_process(std::move(process)) {}
  bool IsSignaled(DWORD thread) const override { return m_process->IsSignaled(thread); }

 private:
  std::shared_ptr<ProcessObject> m_process;
};

DWORD ExitCodeOf(int status) {
  if (WIFEXITED(status)) return static_cast<DWORD>(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) {
    switch (WTERMSIG(status)) {
      case SIGSEGV:
      case SIGBUS: return 0xC0000005;
      case SIGILL: return 0xC000001D;
      case SIGFPE: return 0xC0000094;
      case SIGABRT: return 3;
      default: return 128 + static_cast<DWORD>(WTERMSIG(status));
    }
  }
  return 1;
}

void Reap(std::shared_ptr<ProcessObject> process) {
  // Wait for the end without collecting the child, then collect it under the
  // lock: until m_ended is set its pid cannot be reused, so TerminateProcess
  // (under the same lock) never signals a stranger.
  siginfo_t info{};
  while (::waitid(P_PID, static_cast<id_t>(process->m_pid), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
  }
  std::lock_guard lock(win32::KernelWaitLock());
  int status = 0;
  while (::waitpid(process->m_pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!process->m_terminated) process->m_exitCode = ExitCodeOf(status);
  process->m_ended = true;
  win32::WakeKernelWaiters();  // its main thread's handle is signalled too
}

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::vector<std::string> EnvironmentFromBlock(const void* block, bool wide) {
  std::vector<std::string> entries;
  if (wide) {
    for (auto* p = static_cast<const wchar_t*>(block); *p; p += std::wcslen(p) + 1)
      entries.push_back(NativePath(p));
  } else {
    for (auto* p = static_cast<const char*>(block); *p; p += std::strlen(p) + 1) entries.emplace_back(p);
  }
  return entries;
}

std::shared_ptr<ProcessObject> ProcessOf(HANDLE handle) {
  auto process = win32::LookupHandleAs<ProcessObject>(handle);
  if (!process) SetLastError(ERROR_INVALID_HANDLE);
  return process;
}

}  // namespace

namespace win32 {

std::string FindProgram(const std::wstring& name) {
  std::string native = NativePath(name.c_str());
  if (native.empty()) return {};
  std::vector<std::string> candidates{native};
  std::string base = native.substr(native.rfind('/') + 1);
  if (base.find('.') == std::string::npos) candidates.push_back(native + ".exe");
  for (const std::string& candidate : candidates) {
    if (candidate.find('/') != std::string::npos) {
      if (IsExecutableFile(candidate)) return candidate;
      continue;
    }
    std::vector<std::string> folders{ProgramFolder(), "."};
    if (const char* path = std::getenv("PATH")) {
      std::string list = path;
      size_t start = 0;
      while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        if (end > start) folders.push_back(list.substr(start, end - start));
        start = end + 1;
      }
    }
    for (const std::string& folder : folders) {
      std::string full = folder + "/" + candidate;
      if (IsExecutableFile(full)) return full;
    }
  }
  return {};
}

HANDLE SpawnProcess(const std::string& path, const std::vector<std::string>& arguments,
                    const std::vector<std::string>* environment, const std::string* directory,
                    const std::wstring* commandLine, DWORD* processId) {
  std::vector<std::string> env;
  if (environment) {
    env = *environment;
  } else {
    for (char** e = environ; e && *e; ++e) env.emplace_back(*e);
  }
  const std::string prefix = std::string(kCommandLineVariable) + "=";
  std::erase_if(env, [&](const std::string& e) { return e.compare(0, prefix.size(), prefix) == 0; });
  if (commandLine) env.push_back(prefix + NativePath(commandLine->c_str()));

  std::vector<char*> argv, envp;
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (directory) posix_spawn_file_actions_addchdir_np(&actions, directory->c_str());
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = 0;
  int error = ::posix_spawn(&pid, path.c_str(), &actions, &attr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (error != 0) {
    SetLastError(error == ENOEXEC ? ERROR_BAD_EXE_FORMAT : ErrnoToWin32(error));
    return nullptr;
  }
  auto process = std::make_shared<ProcessObject>();
  process->m_pid = pid;
  std::thread(Reap, process).detach();
  if (processId) *processId = static_cast<DWORD>(pid);
  return RegisterHandle(process);
}

HANDLE MakeEndedProcess(DWORD exitCode) {
  auto process = std::make_shared<ProcessObject>();
  process->m_ended = true;
  process->m_exitCode = exitCode;
  return RegisterHandle(process);
}

}  // namespace win32

BOOL CreateProcessW(LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                    BOOL, DWORD flags, LPVOID environment, LPCWSTR directory, LPSTARTUPINFOW,
                    LPPROCESS_INFORMATION information) {
  if (!information || ((!application || !*application) && (!commandLine || !*commandLine))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (flags & (CREATE_SUSPENDED | DEBUG_PROCESS)) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  std::wstring line = commandLine && *commandLine ? std::wstring(commandLine) : std::wstring(application);
  std::vector<std::wstring> wideArgs = win32::SplitCommandLine(line);
  std::string path;
  if (application && *application) {
    path = NativePath(application);
    if (!IsExecutableFile(path)) {
      SetLastErrorForPath(ENOENT, path);
      return FALSE;
    }
  } else {
    path = win32::FindProgram(wideArgs[0]);
    if (path.empty()) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return FALSE;
    }
  }
  std::vector<std::string> args;
  for (const auto& a : wideArgs) args.push_back(NativePath(a.c_str()));
  std::vector<std::string> env;
  if (environment) env = EnvironmentFromBlock(environment, flags & CREATE_UNICODE_ENVIRONMENT);
  std::string folder = directory ? NativePath(directory) : std::string();
  DWORD pid = 0;
  HANDLE process = win32::SpawnProcess(path, args, environment ? &env : nullptr, directory ? &folder : nullptr,
                                       &line, &pid);
  if (!process) return FALSE;
  auto object = win32::LookupHandleAs<ProcessObject>(process);
  information->hProcess = process;
  information->hThread = win32::RegisterHandle(std::make_shared<ProcessThreadObject>(object));
  information->dwProcessId = pid;
  information->dwThreadId = pid;  // a process's first thread has the process's id
  return TRUE;
}

BOOL GetExitCodeProcess(HANDLE handle, LPDWORD exitCode) {
  if (handle == GetCurrentProcess() && exitCode) {
    *exitCode = STILL_ACTIVE;
    return TRUE;
  }
  auto process = ProcessOf(handle);
  if (!process) return FALSE;
  if (!exitCode) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(win32::KernelWaitLock());
  *exitCode = process->m_exitCode;
  return TRUE;
}

BOOL TerminateProcess(HANDLE handle, UINT exitCode) {
  if (handle == GetCurrentProcess()) std::_Exit(static_cast<int>(exitCode));
  auto process = ProcessOf(handle);
  if (!process) return FALSE;
  std::lock_guard lock(win32::KernelWaitLock());
  if (process->m_ended) return TRUE;
  // Not collected yet (see Reap), so the pid is still this child's.
  if (::kill(process->m_pid, SIGKILL) != 0) {
    SetLastError(ErrnoToWin32(errno));
    return FALSE;
  }
  process->m_terminated = true;
  process->m_exitCode = exitCode;
  return TRUE;
}

DWORD GetProcessId(HANDLE handle) {
  if (handle == GetCurrentProcess()) return GetCurrentProcessId();
  auto process = ProcessOf(handle);
  return process ? static_cast<DWORD>(process->m_pid) : 0;
}

DWORD GetCurrentProcessId() { return static_cast<DWORD>(::getpid()); }

HANDLE GetCurrentProcess() { return INVALID_HANDLE_VALUE; }

DWORD WaitForInputIdle(HANDLE handle, DWORD) {
  return ProcessOf(handle) ? 0 : WAIT_FAILED;
}
