#include "win32/Launcher.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <mutex>

#include "win32/CommandLine.h"
#include "win32/NamedObject.h"
#include "win32/NativePath.h"
#include "win32/Process.h"
#include "win32/WinError.h"

namespace win32 {
namespace {

struct State {
  std::mutex lock;
  bool modeSet = false;
  Launcher::Mode mode = Launcher::Mode::Real;
  std::vector<LaunchRequest> recorded;
  std::function<DWORD(const LaunchRequest&)> responder;
};

State& Shared() {
  static State* state = new State;
  return *state;
}

Launcher::Mode ModeLocked(State& s) {
  if (!s.modeSet) {
    const char* setting = std::getenv("DORV_LAUNCHER");
    s.mode = setting && std::string(setting) == "record" ? Launcher::Mode::Record : Launcher::Mode::Real;
    s.modeSet = true;
  }
  return s.mode;
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
  return text;
}

std::string Escape(const std::wstring& field) {
  std::string out;
  for (char c : NativePath(field.c_str())) {
    if (c == '\\') out += "\\\\";
    else if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

void Journal(const LaunchRequest& r) {
  std::string line = Escape(r.verb) + "\t" + Escape(r.file) + "\t" + Escape(r.parameters) + "\t" +
                     Escape(r.directory) + "\t" + std::to_string(r.show) + "\n";
  int fd = OpenRuntimeFile(Launcher::JournalPath(), O_WRONLY | O_APPEND, RuntimeOpen::CreateIfMissing);
  if (fd < 0) return;
  ssize_t written = ::write(fd, line.data(), line.size());  // one write: lines of processes don't mix
  (void)written;
  ::close(fd);
}

// A web address or another URL: a scheme of two or more letters and a colon
// (one letter and a colon is a drive).
bool IsUrl(const std::wstring& file) {
  size_t colon = file.find(L':');
  if (colon == std::wstring::npos || colon < 2) return false;
  for (size_t i = 0; i < colon; ++i) {
    wchar_t c = file[i];
    bool ok = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
              (i > 0 && ((c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'.'));
    if (!ok) return false;
  }
  return true;
}

// The file's own name, for the programs the shell stands in for.
std::wstring BaseName(const std::wstring& file) {
  size_t cut = file.find_last_of(L"\\/");
  return Lower(cut == std::wstring::npos ? file : file.substr(cut + 1));
}

std::vector<std::wstring> SplitParameters(const std::wstring& parameters) {
  std::vector<std::wstring> args = SplitCommandLine(L"x " + parameters);
  args.erase(args.begin());
  return args;
}

DWORD OpenWithDesktop(const std::string& target) {
  std::string opener = FindProgram(L"xdg-open");
  if (opener.empty()) return ERROR_NO_ASSOCIATION;
  HANDLE process = SpawnProcess(opener, {"xdg-open", target}, nullptr, nullptr, nullptr, nullptr);
  if (!process) return GetLastError();
  CloseHandle(process);  // the layer reaps it
  return ERROR_SUCCESS;
}

// The opener takes a text that starts with a scheme for an address: a local
// path goes to it only when absolute, which no address is.
DWORD OpenPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return ERROR_PATH_NOT_FOUND;
  return OpenWithDesktop(path);
}

std::string ParentFolder(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// "explorer.exe /select, "path"" shows the folder of the path; "explorer.exe path" the path.
DWORD Explore(const std::wstring& parameters) {
  std::wstring target;
  bool select = false;
  for (const std::wstring& arg : SplitParameters(parameters)) {
    std::wstring lower = Lower(arg);
    if (lower.rfind(L"/select", 0) == 0) {
      select = true;
      std::wstring rest = arg.substr(7);
      if (!rest.empty() && rest[0] == L',') rest.erase(0, 1);
      if (!rest.empty()) target = rest;
    } else if (!arg.empty() && arg[0] != L'/' && arg != L",") {
      target = arg;
    } else if (!arg.empty() && arg[0] == L'/' && arg.size() > 1 && lower.rfind(L"/e", 0) != 0 &&
               lower.rfind(L"/root", 0) != 0) {
      target = arg;  // an absolute path of ours
    }
  }
  std::string path = NativePath(target.c_str());
  if (path.empty()) {
    const char* home = std::getenv("HOME");
    path = home ? home : "/";
  } else if (select) {
    path = ParentFolder(path);
  }
  return OpenPath(path);
}

DWORD LaunchForReal(const LaunchRequest& r, HANDLE* process) {
  std::wstring verb = Lower(r.verb);
  if (verb == L"select") return OpenPath(ParentFolder(NativePath(r.file.c_str())));
  if (!verb.empty() && verb != L"open" && verb != L"runas" && verb != L"explore") return ERROR_NO_ASSOCIATION;
  if (r.file.empty()) return ERROR_FILE_NOT_FOUND;
  if (IsUrl(r.file)) return OpenWithDesktop(NativePath(r.file.c_str()));
  std::wstring base = BaseName(r.file);
  if (base == L"explorer.exe" || base == L"explorer") return Explore(r.parameters);
  if (base == L"iexplore.exe") return OpenWithDesktop(NativePath(r.parameters.c_str()));

  std::string path = NativePath(r.file.c_str());
  std::string folder = NativePath(r.directory.c_str());
  if (path[0] != '/' && !folder.empty()) path = folder + "/" + path;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    std::string found = path.find('/') == std::string::npos ? FindProgram(r.file) : std::string();
    if (found.empty() || ::stat(found.c_str(), &st) != 0) {
      SetLastErrorForPath(ENOENT, path);
      return GetLastError();
    }
    path = found;
  }
  if (S_ISDIR(st.st_mode) || verb == L"explore") return OpenPath(path);
  if (::access(path.c_str(), X_OK) != 0) return OpenPath(path);  // a document
  std::vector<std::string> args{path};
  for (const auto& a : SplitParameters(r.parameters)) args.push_back(NativePath(a.c_str()));
  std::wstring line = JoinCommandLine({r.file}) + (r.parameters.empty() ? L"" : L" " + r.parameters);
  HANDLE started = SpawnProcess(path, args, nullptr, folder.empty() ? nullptr : &folder, &line, nullptr);
  if (!started) return GetLastError();
  if (process)
    *process = started;
  else
    CloseHandle(started);
  return ERROR_SUCCESS;
}

}  // namespace

Launcher::Mode Launcher::GetMode() {
  State& s = Shared();
  std::lock_guard guard(s.lock);
  return ModeLocked(s);
}

void Launcher::SetMode(Mode mode) {
  State& s = Shared();
  std::lock_guard guard(s.lock);
  s.mode = mode;
  s.modeSet = true;
}

DWORD Launcher::Launch(const LaunchRequest& request, HANDLE* process) {
  if (process) *process = nullptr;
  std::function<DWORD(const LaunchRequest&)> responder;
  bool record = false;
  {
    State& s = Shared();
    std::lock_guard guard(s.lock);
    record = ModeLocked(s) == Mode::Record;
    if (record) {
      s.recorded.push_back(request);
      responder = s.responder;
      Journal(request);
    }
  }
  if (!record) return LaunchForReal(request, process);
  DWORD answer = responder ? responder(request) : ERROR_SUCCESS;
  if (answer == ERROR_SUCCESS && process) *process = MakeEndedProcess(0);
  return answer;
}

std::vector<LaunchRequest> Launcher::Recorded() {
  State& s = Shared();
  std::lock_guard guard(s.lock);
  return s.recorded;
}

void Launcher::ClearRecorded() {
  State& s = Shared();
  std::lock_guard guard(s.lock);
  s.recorded.clear();
}

void Launcher::SetResponder(std::function<DWORD(const LaunchRequest&)> responder) {
  State& s = Shared();
  std::lock_guard guard(s.lock);
  s.responder = std::move(responder);
}

std::string Launcher::JournalPath() { return RuntimePath("launches"); }

}  // namespace win32
