#pragma once
// Runs a second process of the tests with a pipe on its output. The child is killed when the
// thread that started it ends (a crash of the tests included), so none is left behind.
#include <sys/types.h>

#include <string>
#include <vector>

namespace wintest {

class ChildProcess {
 public:
  // The window tests' own child (WindowChild.cpp).
  explicit ChildProcess(const std::vector<std::string>& args);
  ChildProcess(const std::string& program, const std::vector<std::string>& args);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return m_pid; }
  // One line of the child's output, without its line break ("" at end of output).
  std::string ReadLine();
  // Waits for the child to end; its exit code, or 128 + signal.
  int Wait();
  void Kill();

 private:
  pid_t m_pid = -1;
  int m_out = -1;
  bool m_waited = false;
  int m_status = 0;
};

}  // namespace wintest
