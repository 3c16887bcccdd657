#pragma once
// Starts the crash reporter from inside a crashing process: everything is
// prepared beforehand (program path, arguments, room for the dump's name), and
// the launch itself is a raw fork and execve, with no allocation and no fork
// handlers run (a crash inside the allocator must not hang the launch).
//
// The reporter sees the exact command line through the variable that carries
// it to programs of ours (its arguments are that line split the Windows way).
#include <string>
#include <vector>

class CrashLauncher {
 public:
  CrashLauncher() = default;
  ~CrashLauncher();
  CrashLauncher(const CrashLauncher&) = delete;
  CrashLauncher& operator=(const CrashLauncher&) = delete;

  // `program`: the reporter's file (UTF-8). `prefix`: the command line up to its
  // last argument, which is a double-quoted text that the crash completes
  // (it ends with the opening quote). `lastArgumentRoom`: characters of room for
  // that argument.
  bool Prepare(const std::string& program, const std::wstring& prefix, size_t lastArgumentRoom);
  bool Prepared() const { return !m_program.empty(); }

  // Async-signal-safe. `commandLine` is the whole line (prefix, argument, closing
  // quote) and `lastArgument` the argument alone. False when it does not fit the
  // room prepared or the process cannot be made.
  bool Launch(const wchar_t* commandLine, const wchar_t* lastArgument);

 private:
  std::string m_program;
  std::vector<std::string> m_arguments;  // all but the last
  std::vector<char*> m_argv;             // m_arguments, the last, null
  char* m_lastArgument = nullptr;
  size_t m_lastArgumentCapacity = 0;
  char* m_commandVariable = nullptr;
  size_t m_commandVariableCapacity = 0;
  char** m_envp = nullptr;
  size_t m_envpCapacity = 0;
};
