#include "ChildProcess.h"

#include <signal.h>
#include <spawn.h>
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
  if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int rc = posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  m_out = fds[0];
  if (rc != 0) throw std::runtime_error("posix_spawn failed");
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
