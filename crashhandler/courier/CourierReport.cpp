#include "CourierReport.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <fstream>

#include "win32/CodePage.h"
#include "win32/NamedObject.h"

std::string CourierLogPath() { return win32::RuntimeFolder() + "/FaultCourier.log"; }

void CourierLog(const std::string& line) {
  int fd = ::open(CourierLogPath().c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
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
  std::ofstream out(base + ".txt", std::ios::binary | std::ios::trunc);
  for (const auto& [name, value] : details) out << WideToUtf8(name) << "=" << WideToUtf8(value) << "\n";
  out.close();
  if (!out) {
    CourierLog("error cannot write the details of " + dumpFile);
    return false;
  }
  CourierLog("report " + dumpFile);
  return true;
}
