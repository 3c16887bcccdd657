#pragma once
// The one way the program opens things outside itself: web addresses, documents,
// folders and other programs (ShellExecuteW and ShellExecuteExW go through it).
//
// Two modes, switched by one setting: Real opens for real (xdg-open for
// addresses, documents and folders; programs are started); Record only notes
// each request, for tests to read, and answers as a test has told it. The mode
// starts as the environment variable DORV_LAUNCHER says ("record" or "real",
// default real); SetMode changes it. Recorded requests are also appended to the
// file "launches" in the runtime folder, so a test can read what a child process
// asked for: one line per request, the fields verb, file, parameters, folder and
// show command separated by tabs (\\, \t and \n escaped).
//
// A local path is opened only as a path: an absolute one, handed to the
// opener as one argument, never as an address. The verb "select" (the
// shell's SHOpenFolderAndSelectItems) shows the file's folder; its file is a
// local path and nothing else.
#include <functional>
#include <string>
#include <vector>

#include "win32/WinDef.h"

namespace win32 {

struct LaunchRequest {
  std::wstring verb;  // as given; empty for a null verb
  std::wstring file;
  std::wstring parameters;
  std::wstring directory;
  int show = 0;
  bool operator==(const LaunchRequest&) const = default;
};

class Launcher {
 public:
  enum class Mode { Real, Record };

  static Mode GetMode();
  static void SetMode(Mode mode);

  // Carries out or records a request. Returns ERROR_SUCCESS or the Win32 error
  // of the failure; `process`, when not null, receives the started program's
  // process handle (null when nothing was started: a document, an address).
  static DWORD Launch(const LaunchRequest& request, HANDLE* process);

  // Record mode: the requests so far, oldest first.
  static std::vector<LaunchRequest> Recorded();
  static void ClearRecorded();
  // Record mode: decides each request's answer (ERROR_SUCCESS when unset). With a
  // process asked for, a successful answer gives a process that has ended with 0.
  static void SetResponder(std::function<DWORD(const LaunchRequest&)> responder);
  // The journal file of recorded requests.
  static std::string JournalPath();
};

}  // namespace win32
