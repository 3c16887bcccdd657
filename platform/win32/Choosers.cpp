#include "win32/Choosers.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>

#include "display/Desktop.h"
#include "win32/Clock.h"
#include "win32/CodePage.h"
#include "win32/Event.h"
#include "win32/Handle.h"
#include "win32/Launcher.h"
#include "win32/NativePath.h"
#include "win32/Process.h"
#include "win32/Wait.h"
#include "win32/WinError.h"
#include "win32/WinUser.h"

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

// zenity's file selection, run as a child whose standard output is the chosen path.
class ZenityChooser {
 public:
  // `attachTo`: the display's window of the owner (0: none), which the chooser stands
  // over as its transient.
  ZenityChooser(const ChooserRequest& r, unsigned long attachTo) {
    std::string zenity = FindProgram(L"zenity");
    if (zenity.empty()) return;
    std::vector<std::string> args{"zenity", "--file-selection"};
    if (attachTo) args.push_back("--attach=" + std::to_string(attachTo));
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
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    pid_t pid = 0;
    int failed = posix_spawn(&pid, zenity.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (failed != 0) {
      ::close(out[0]);
      return;
    }
    m_pid = pid;
    m_output = out[0];
  }
  ~ZenityChooser() {
    if (m_output >= 0) ::close(m_output);
  }
  ZenityChooser(const ZenityChooser&) = delete;
  ZenityChooser& operator=(const ZenityChooser&) = delete;

  bool Started() const { return m_pid > 0; }
  pid_t Pid() const { return m_pid; }
  void Cancel() { ::kill(m_pid, SIGTERM); }

  // Reads the answer until the child ends; any thread may call it once.
  Choosers::Answer Wait() {
    std::string chosen;
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(m_output, buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR))
      if (got > 0) chosen.append(buffer, static_cast<size_t>(got));
    int status = 0;
    pid_t ended;
    while ((ended = ::waitpid(m_pid, &status, 0)) < 0 && errno == EINTR) {
    }
    if (ended != m_pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    while (!chosen.empty() && (chosen.back() == '\n' || chosen.back() == '\r')) chosen.pop_back();
    if (chosen.empty()) return std::nullopt;
    return WidePath(chosen.c_str());
  }

 private:
  pid_t m_pid = 0;
  int m_output = -1;
};

// A chooser is modal, as the shell's are: its owner takes no input while it is open,
// and the asking thread goes on dispatching its messages (paints, timers, replies to
// other threads) until the answer comes. A quit message cancels the chooser and is
// posted again for the caller's own loop.
Choosers::Answer AskZenity(const ChooserRequest& request) {
  display::Desktop& desktop = display::Desktop::Get();
  const HWND top = request.owner && IsWindow(request.owner) ? GetAncestor(request.owner, GA_ROOT) : nullptr;
  ZenityChooser chooser(request, top ? desktop.NativeWindow(top) : 0);
  if (!chooser.Started()) return std::nullopt;
  HANDLE answered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!answered) {
    chooser.Cancel();
    return chooser.Wait();
  }
  Choosers::Answer answer;
  std::thread reader([&] {
    answer = chooser.Wait();
    SetEvent(answered);
  });

  const bool disabledOwner = request.owner && IsWindow(request.owner) && IsWindowEnabled(request.owner);
  if (disabledOwner) EnableWindow(request.owner, FALSE);
  std::optional<int> quitCode;
  // Until the chooser shows, it is looked for now and then, to stand it over its owner.
  constexpr DWORD kLookEveryMs = 50;
  constexpr ULONGLONG kLookForMs = 10000;
  const ULONGLONG started = GetTickCount64();
  bool fitted = false;
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjects(1, &answered, FALSE, fitted ? INFINITE : kLookEveryMs, QS_ALLINPUT);
    if (woke == WAIT_TIMEOUT) {
      fitted = desktop.StandOver(chooser.Pid(), top) || GetTickCount64() - started > kLookForMs;
      continue;
    }
    if (woke != WAIT_OBJECT_0 + 1) break;
    MSG msg;
    while (!quitCode && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quitCode = static_cast<int>(msg.wParam);
        chooser.Cancel();
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  reader.join();
  CloseHandle(answered);
  if (disabledOwner && IsWindow(request.owner)) EnableWindow(request.owner, TRUE);
  // The keyboard was the chooser's; its owner takes it back, as from a system dialog.
  if (top && IsWindow(top)) desktop.ReturnFocus(top);
  if (quitCode) {
    PostQuitMessage(*quitCode);
    return std::nullopt;
  }
  return answer;
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
