// The crash reporter: started by the crash handler either as the dump server of
// its IPC name or, after a dump written inside the crashing process, to report
// that dump. See CourierOptions.h for the command lines.
#include <signal.h>
#include <sys/stat.h>

#include "CourierOptions.h"
#include "CourierReport.h"
#include "DumpServer.h"
#include "win32/CodePage.h"
#include "win32/CommandLine.h"

int main() {
  ::signal(SIGPIPE, SIG_IGN);
  const std::wstring commandLine = GetCommandLineW();
  CourierLog("start " + WideToUtf8(commandLine));
  const CourierOptions options = ParseCourierOptions(commandLine);
  if (options.server) return RunDumpServer(options);
  if (options.report) {
    const std::string file = WideToUtf8(options.dumpPath);
    struct stat st;
    if (file.empty() || ::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
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
