#include "client/core/LogWriter.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "common/AppPaths.h"
#include "common/PrivateFiles.h"
#include "common/StringConvert.h"

namespace {

// A second start of the program writes its exit's lines into the running
// instance's log. The logger finds the file's end when it writes: between two
// processes, a line would land over the other's. Every write therefore holds
// the log folder's lock, which all processes share.
class FolderLock {
 public:
  explicit FolderLock(const juce::String& folder)
      : m_fd(::open(folder.toRawUTF8(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (m_fd < 0) return;  // no folder yet: the logger's own creation follows
    while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~FolderLock() {
    if (m_fd >= 0) ::close(m_fd);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  const int m_fd;
};

const char* LevelWord(int level) {
  switch (level) {
    case KeyPoint: return "KeyPoint: ";
    case ErrorLog: return "ErrorLog: ";
    case NormalLog: return "NormalLog: ";
    default: return "";
  }
}

// Values in a line come from outside too (paths, replies, requests): control
// characters and Unicode line breaks are written as escapes, so that each
// write stays one line and none can forge another.
juce::String OneLine(const juce::String& line) {
  juce::String out;
  out.preallocateBytes(line.getNumBytesAsUTF8());
  for (auto p = line.getCharPointer(); !p.isEmpty();) {
    const juce::juce_wchar c = p.getAndAdvance();
    if (c == '\n') out << "\\n";
    else if (c == '\r') out << "\\r";
    else if ((c < 0x20 && c != '\t') || (c >= 0x7F && c <= 0x9F))
      out << "\\x" << juce::String::toHexString(static_cast<int>(c)).paddedLeft('0', 2);
    else if (c == 0x2028 || c == 0x2029)
      out << "\\u" << juce::String::toHexString(static_cast<int>(c));
    else out << juce::String::charToString(c);
  }
  return out;
}

bool IsKnownLevel(int level) { return level >= KeyPoint && level <= NormalLog; }

// "[" + local date and time with seconds, 12-hour clock + "]  ".
juce::String Stamp() { return "[" + juce::Time::getCurrentTime().toString(true, true, true, false) + "]  "; }

CLogWriter& ProcessLog() {
  // Never destroyed: threads and static destructors may still write at exit.
  static CLogWriter* log = [] {
    CString folder;
    Common::GetAppDataPath(folder);
    return new CLogWriter(Common::CString_to_String(folder), "dorv.log");
  }();
  return *log;
}

}  // namespace

CLogWriter::CLogWriter(juce::String folder, juce::String fileName)
    : m_folder(std::move(folder)), m_fileName(std::move(fileName)) {}

CLogWriter::~CLogWriter() = default;

juce::File CLogWriter::GetFile() const { return juce::File(m_folder).getChildFile(m_fileName); }

bool CLogWriter::OpenLocked(const juce::String& welcome) {
  if (m_logger) return true;
  // The log names the user's paths: folder and file are the user's alone.
  Common::MakePrivateFolder(m_folder.toStdString());
  Common::MakePrivateFile(GetFile().getFullPathName().toStdString());
  m_logger.reset(juce::FileLogger::createDefaultAppLogger(m_folder, m_fileName, welcome, kMaxSize));
  // The logger doesn't report a file it couldn't create: look.
  if (m_logger && !m_logger->getLogFile().existsAsFile()) m_logger.reset();
  return m_logger != nullptr;
}

bool CLogWriter::Init(const juce::String& welcome) {
  const juce::ScopedLock guard(m_lock);
  const FolderLock processes(m_folder);
  return OpenLocked(welcome);
}

void CLogWriter::Free() {
  const juce::ScopedLock guard(m_lock);
  m_logger.reset();
}

void CLogWriter::Append(const juce::String& line) {
  const juce::ScopedLock guard(m_lock);
  const FolderLock processes(m_folder);
  if (!OpenLocked("ReCreateLog")) return;
  if (++m_writeCount >= kCheckEvery) {
    const juce::File file = m_logger->getLogFile();
    if (file.getSize() >= kMaxSize) {
      juce::FileLogger::trimFileSize(file, kTrimmedSize);
      Common::MakePrivateFile(file.getFullPathName().toStdString());  // the trimmed copy is a new file
    }
    m_writeCount = 0;
  }
  m_logger->logMessage(OneLine(line));
}

void CLogWriter::Write(int level, const juce::String& function, const juce::String& message) {
  Append(LevelWord(level) + Stamp() + "Function: " + function + ",Message: " + message);
}

void CLogWriter::WriteErrorCode(const juce::String& function, const juce::String& code, const juce::String& message) {
  Append(LevelWord(ErrorLog) + Stamp() + "Function: " + function + ",ErrorCode: " + code + ",Message: " + message);
}

void CLogWriter::WriteMessage(int level, const juce::String& message) {
  if (IsKnownLevel(level)) Append(LevelWord(level) + Stamp() + "Message: " + message);
  else Append(Stamp() + "Function: " + "Message: " + message);
}

bool InitLog(const juce::String& welcome) { return ProcessLog().Init(welcome); }

void WriteLog(int level, const juce::String& function, const juce::String& message) {
  ProcessLog().Write(level, function, message);
}

void WriteErrorCodeLog(const juce::String& function, const juce::String& code, const juce::String& message) {
  ProcessLog().WriteErrorCode(function, code, message);
}

void WriteMessageLog(int level, const juce::String& message) { ProcessLog().WriteMessage(level, message); }

void FreeLog() { ProcessLog().Free(); }
