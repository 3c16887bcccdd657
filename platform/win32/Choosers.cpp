#include "win32/Choosers.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <mutex>

#include "win32/CodePage.h"
#include "win32/Launcher.h"
#include "win32/NativePath.h"
#include "win32/Process.h"

extern char** environ;

namespace win32 {
namespace {

struct State {
  std::mutex lock;
  std::deque<Choosers::Answer> answers;
  Choosers::Handler handler;
  std::vector<ChooserRequest> requests;
};

State& Shared() {
  static auto* state = new State;
  return *state;
}

// zenity's file selection; its standard output is the chosen path.
Choosers::Answer AskZenity(const ChooserRequest& r) {
  std::string zenity = FindProgram(L"zenity");
  if (zenity.empty()) return std::nullopt;
  std::vector<std::string> args{"zenity", "--file-selection"};
  if (r.kind == ChooserRequest::Folder) args.push_back("--directory");
  if (r.kind == ChooserRequest::SaveFile) args.push_back("--save");
  if (!r.title.empty()) args.push_back("--title=" + WideToUtf8(r.title));
  std::string start = NativePath(r.folder.c_str());
  if (!r.fileName.empty()) start += (start.empty() ? "" : "/") + NativePath(r.fileName.c_str());
  if (!start.empty()) args.push_back("--filename=" + start);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  pid_t pid = 0;
  int failed = posix_spawn(&pid, zenity.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  std::string chosen;
  if (failed == 0) {
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(out[0], buffer, sizeof buffer)) > 0) chosen.append(buffer, static_cast<size_t>(got));
  }
  ::close(out[0]);
  int status = 0;
  if (failed != 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return std::nullopt;
  while (!chosen.empty() && (chosen.back() == '\n' || chosen.back() == '\r')) chosen.pop_back();
  if (chosen.empty()) return std::nullopt;
  return WidePath(chosen.c_str());
}

}  // namespace

Choosers::Answer Choosers::Ask(const ChooserRequest& request) {
  Handler handler;
  {
    State& s = Shared();
    std::lock_guard guard(s.lock);
    if (Launcher::GetMode() == Launcher::Mode::Record) {
      s.requests.push_back(request);
      if (!s.answers.empty()) {
        Answer answer = s.answers.front();
        s.answers.pop_front();
        return answer;
      }
      if (!s.handler) return std::nullopt;
      handler = s.handler;
    }
  }
  if (handler) return handler(request);
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return std::nullopt;
  return AskZenity(request);
}

void Choosers::PushAnswer(Answer answer) {
  State& s = Shared();
  std::lock_guard guard(s.lock);
  s.answers.push_back(std::move(answer));
}

void Choosers::SetHandler(Handler handler) {
  State& s = Shared();
  std::lock_guard guard(s.lock);
  s.handler = std::move(handler);
}

std::vector<ChooserRequest> Choosers::Requests() {
  State& s = Shared();
  std::lock_guard guard(s.lock);
  return s.requests;
}

void Choosers::Reset() {
  State& s = Shared();
  std::lock_guard guard(s.lock);
  s.answers.clear();
  s.handler = nullptr;
  s.requests.clear();
}

}  // namespace win32
