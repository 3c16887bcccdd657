#pragma once
// The program Dorv_Win.exe run as a process of its own, from a program folder
// of the test's own (a copy of the program beside a copy of the built theme),
// with the test process's XDG folders.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "TempDir.h"
#include "win32/WinUser.h"

namespace apptest {

class ProgramFolder {
 public:
  ProgramFolder();
  const std::filesystem::path& path() const { return m_dir.path(); }
  std::filesystem::path operator/(const std::string& name) const { return m_dir / name; }
  std::string Program() const { return (m_dir / "Dorv_Win.exe").string(); }

 private:
  dorvtest::TempDir m_dir{"dorv-program"};
};

// The application-data folder the program writes into (log, databases).
std::filesystem::path DataFolder();
// The program's log, as text (empty when there is none).
std::string ReadLog();
// The lines of the log that hold `text`, in order.
std::vector<std::string> LogLinesWith(const std::string& text);

// Waits (watching, up to the limit) until `done` holds; false on time-out.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 20000);

// The running instance's main window as other processes find it, or null.
HWND FindMainWindow();

}  // namespace apptest
