#include "ChildProcess.h"

#include <signal.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

extern char** environ;

namespace wintest {

#ifdef WINDOW_CHILD_PATH
ChildProcess::ChildProcess(const std::vector<std::string>& args) : ChildProcess(WINDOW_CHILD_PATH, args) {}
#endif

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t parent = getpid();
  m_pid = fork();
  if (m_pid == 0) {
    // The child goes with the tests, even when they crash: no server outlives its run.
    // Only async-signal-safe calls here: the tests' other threads may hold any lock.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    dup2(fds[1], 1);  // dup2 clears close-on-exec on the copy
    execve(program.c_str(), argv.data(), environ);
    _exit(127);
  }
  close(fds[1]);
  m_out = fds[0];
  if (m_pid < 0) throw std::runtime_error("fork failed");
}

ChildProcess::~ChildProcess() {
  if (!m_waited) {
    Kill();
    Wait();
  }
  close(m_out);
}

std::string ChildProcess::ReadLine() {
  std::string line;
  char c;
  while (read(m_out, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

int ChildProcess::Wait() {
  if (!m_waited) {
    waitpid(m_pid, &m_status, 0);
    m_waited = true;
  }
  return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : 128 + WTERMSIG(m_status);
}

void ChildProcess::Kill() {
  if (!m_waited) kill(m_pid, SIGKILL);
}

}  // namespace wintest
