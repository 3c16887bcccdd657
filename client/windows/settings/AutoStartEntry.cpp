#include "client/windows/settings/AutoStartEntry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>

#include "common/StringConvert.h"

namespace AutoStartEntry {
namespace {

std::string ConfigHome() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return config;  // a relative value is ignored
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.config";
  const passwd* pw = getpwuid(getuid());
  return pw && pw->pw_dir ? std::string(pw->pw_dir) + "/.config" : std::string();
}

std::string Folder() {
  const std::string config = ConfigHome();
  return config.empty() ? std::string() : config + "/autostart";
}

std::string File() {
  const std::string folder = Folder();
  return folder.empty() ? std::string() : folder + "/Dorv.desktop";
}

// The Exec key's value for the program: its path in double quotes, where '"',
// '`', '$' and '\\' take a backslash; then the key's own escape of '\\', and
// '%' doubled (a field code otherwise). A line break cannot be written.
bool ExecValue(const CString& program, std::string& value) {
  const std::string utf8 = Common::CString_to_utf8(program);
  if (utf8.empty()) return false;
  std::string quoted = "\"";
  for (char c : utf8) {
    if (c == '\n' || c == '\r') return false;
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  value.clear();
  for (char c : quoted) {
    if (c == '\\') value += "\\\\";
    else if (c == '%') value += "%%";
    else value += c;
  }
  return true;
}

std::string Entry(const std::string& exec) {
  return "[Desktop Entry]\nType=Application\nName=Dorv\nExec=" + exec +
         "\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
}

}  // namespace

CString GetPath() {
  CString path;
  Common::utf8_to_CString(File(), path);
  return path;
}

bool Matches(const CString& program) {
  std::string exec;
  const std::string path = File();
  if (path.empty() || !ExecValue(program, exec)) return false;
  std::ifstream in(path);
  bool execMatches = false, hidden = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("Exec=", 0) == 0) execMatches = line.substr(5) == exec;
    if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false") hidden = true;
  }
  return execMatches && !hidden;
}

bool Write(const CString& program) {
  std::string exec;
  const std::string folder = Folder();
  if (folder.empty() || !ExecValue(program, exec)) return false;
  const std::string config = ConfigHome();
  if (mkdir(config.c_str(), 0700) != 0 && errno != EEXIST) return false;
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  // Written beside and renamed into place: a reader never sees half an entry.
  const std::string path = File();
  const std::string temporary = path + ".new";
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const std::string text = Entry(exec);
  const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  const bool closed = close(fd) == 0;
  if (!written || !closed || rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool Remove() {
  const std::string path = File();
  return !path.empty() && (unlink(path.c_str()) == 0 || errno == ENOENT);
}

}  // namespace AutoStartEntry
