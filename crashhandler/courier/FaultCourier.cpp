// The crash reporter: started by the crash handler either as the dump server of
// its IPC name or, after a dump written inside the crashing process, to report
// that dump. See CourierOptions.h for the command lines.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "CourierOptions.h"
#include "CourierReport.h"
#include "DumpServer.h"
#include "win32/CodePage.h"
#include "win32/CommandLine.h"

int main() {
  ::signal(SIGPIPE, SIG_IGN);
  // No console: the reporter keeps none of its starter's streams open (a
  // reader of the program's output would otherwise wait for us too).
  int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
  if (null >= 0) {
    for (int fd = 0; fd <= 2; ++fd) ::dup2(null, fd);
    if (null > 2) ::close(null);
  }
  const std::wstring commandLine = GetCommandLineW();
  CourierLog("start " + WideToUtf8(commandLine));
  const CourierOptions options = ParseCourierOptions(commandLine);
  if (options.server) return RunDumpServer(options);
  if (options.report) {
    const std::string file = WideToUtf8(options.dumpPath);
    struct stat st;
    // Only a dump is reported: its details go beside it, so any other file
    // named here is left alone.
    const bool isDump = file.size() > 4 && file.compare(file.size() - 4, 4, ".dmp") == 0;
    if (!isDump || ::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
      CourierLog("error no dump at " + file);
      return 1;
    }
    CourierPairs details = options.info;
    if (!options.submitUrl.empty()) details.emplace_back(L"SubmitUrl", options.submitUrl);
    if (!options.uploadFiles.empty()) details.emplace_back(L"UploadFiles", options.uploadFiles);
    return ReportDump(file, details) ? 0 : 1;
  }
  CourierLog("error nothing to do");
  return 2;
}
