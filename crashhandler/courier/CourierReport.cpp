#include "CourierReport.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "win32/CodePage.h"
#include "win32/NamedObject.h"
#include "win32/PrivateFiles.h"

std::string CourierLogPath() { return win32::RuntimeFolder() + "/FaultCourier.log"; }

void CourierLog(const std::string& line) {
  int fd = win32::OpenPrivateFile(CourierLogPath(), O_WRONLY | O_APPEND);
  if (fd < 0) return;
  std::string text = line;
  for (char& c : text)
    if (c == '\n') c = ' ';
  text += '\n';
  // One write per line, so lines of several reporters never interleave.
  ssize_t ignored = ::write(fd, text.data(), text.size());
  (void)ignored;
  ::close(fd);
}

bool ReportDump(const std::string& dumpFile, const CourierPairs& details) {
  std::string base = dumpFile;
  if (base.size() > 4 && base.compare(base.size() - 4, 4, ".dmp") == 0) base.resize(base.size() - 4);
  std::string text;
  for (const auto& [name, value] : details) text += WideToUtf8(name) + "=" + WideToUtf8(value) + "\n";
  // Beside the dump and as private as it.
  if (!win32::WritePrivateFile(base + ".txt", text)) {
    CourierLog("error cannot write the details of " + dumpFile);
    return false;
  }
  CourierLog("report " + dumpFile);
  return true;
}
