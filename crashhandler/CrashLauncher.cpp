#include "CrashLauncher.h"

#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>
#include <new>

#include "dump/SafeText.h"
#include "win32/CodePage.h"
#include "win32/CommandLine.h"

extern char** environ;

namespace {

// Room for environment entries that appear after the launcher is prepared.
constexpr size_t kSpareEnvironment = 256;

}  // namespace

CrashLauncher::~CrashLauncher() {
  delete[] m_lastArgument;
  delete[] m_commandVariable;
  delete[] m_envp;
}

bool CrashLauncher::Prepare(const std::string& program, const std::wstring& prefix, size_t lastArgumentRoom) {
  // The prefix without its opening quote splits into the leading arguments.
  std::wstring head = prefix;
  if (!head.empty() && head.back() == L'"') head.pop_back();
  std::vector<std::wstring> split = win32::SplitCommandLine(head);
  m_arguments.clear();
  for (const std::wstring& a : split) m_arguments.push_back(WideToUtf8(a));

  m_lastArgumentCapacity = 4 * lastArgumentRoom + 1;
  m_lastArgument = new (std::nothrow) char[m_lastArgumentCapacity];
  const std::string variable = std::string(win32::kCommandLineVariable) + "=";
  m_commandVariableCapacity = variable.size() + 4 * (prefix.size() + lastArgumentRoom + 2) + 1;
  m_commandVariable = new (std::nothrow) char[m_commandVariableCapacity];
  size_t count = 0;
  for (char** e = environ; e && *e; ++e) ++count;
  m_envpCapacity = count + kSpareEnvironment;
  m_envp = new (std::nothrow) char*[m_envpCapacity];
  if (!m_lastArgument || !m_commandVariable || !m_envp) return false;
  std::memcpy(m_commandVariable, variable.c_str(), variable.size() + 1);

  m_argv.clear();
  for (std::string& a : m_arguments) m_argv.push_back(a.data());
  m_argv.push_back(m_lastArgument);
  m_argv.push_back(nullptr);
  m_program = program;
  return true;
}

bool CrashLauncher::Launch(const wchar_t* commandLine, const wchar_t* lastArgument) {
  if (m_program.empty()) return false;
  size_t used = 0;
  m_lastArgument[0] = '\0';
  if (!faultdump::AppendUtf8(m_lastArgument, used, m_lastArgumentCapacity, lastArgument)) return false;
  size_t variableUsed = std::strlen(win32::kCommandLineVariable) + 1;
  m_commandVariable[variableUsed] = '\0';
  if (!faultdump::AppendUtf8(m_commandVariable, variableUsed, m_commandVariableCapacity, commandLine)) return false;
  // The current environment, without an inherited command line, then ours.
  const size_t nameLength = std::strlen(win32::kCommandLineVariable);
  size_t n = 0;
  for (char** e = environ; e && *e && n + 2 < m_envpCapacity; ++e) {
    if (std::strncmp(*e, win32::kCommandLineVariable, nameLength) == 0 && (*e)[nameLength] == '=') continue;
    m_envp[n++] = *e;
  }
  m_envp[n++] = m_commandVariable;
  m_envp[n] = nullptr;

  long pid = ::syscall(SYS_clone, SIGCHLD, 0, 0, 0, 0);
  if (pid < 0) return false;
  if (pid == 0) {
    // The signal that is being handled is blocked here; the reporter starts clean.
    sigset_t none;
    sigemptyset(&none);
    ::syscall(SYS_rt_sigprocmask, SIG_SETMASK, &none, nullptr, sizeof(long));
    // Nothing of the crashed process but its standard streams goes along.
    if (::syscall(SYS_close_range, 3u, ~0u, 0u) != 0) {
      for (int fd = 3; fd < 1024; ++fd) ::close(fd);
    }
    ::execve(m_program.c_str(), m_argv.data(), m_envp);
    ::_exit(127);
  }
  return true;
}
