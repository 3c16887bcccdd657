#include "client/core/LogWriter.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/AppPaths.h"
#include "common/PrivateFiles.h"
#include "common/StringConvert.h"

namespace {

// A second start of the program writes its exit's lines into the running
// instance's log, and a trim puts a copy in the file's place: every write
// holds the log folder's lock, which all processes share, so that no line
// lands in a file that is being replaced.
class FolderLock {
 public:
  explicit FolderLock(int fd) : m_fd(fd) {
    if (m_fd < 0) return;  // no folder yet: the log's own creation follows
    while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~FolderLock() {
    if (m_fd >= 0) ::flock(m_fd, LOCK_UN);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  const int m_fd;
};

bool WriteAll(int fd, const char* data, size_t length) {
  while (length > 0) {
    const ssize_t n = ::write(fd, data, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

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

CLogWriter::~CLogWriter() {
  CloseLocked();
  if (m_folderFd >= 0) ::close(m_folderFd);
}

juce::File CLogWriter::GetFile() const { return juce::File(m_folder).getChildFile(m_fileName); }

int CLogWriter::FolderFdLocked() {
  if (m_folderFd < 0) m_folderFd = ::open(m_folder.toRawUTF8(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  return m_folderFd;
}

void CLogWriter::CloseLocked() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

bool CLogWriter::WriteLocked(const juce::String& text) {
  return m_fd >= 0 && WriteAll(m_fd, text.toRawUTF8(), text.getNumBytesAsUTF8());
}

bool CLogWriter::OpenLocked(const juce::String& welcome) {
  if (m_fd >= 0) return true;
  // The log names the user's paths: folder and file are the user's alone.
  const std::string path = GetFile().getFullPathName().toStdString();
  if (!Common::MakePrivateFolder(m_folder.toStdString())) return false;
  juce::FileLogger::trimFileSize(GetFile(), kMaxSize);
  m_fd = win32::OpenPrivateFile(path, O_WRONLY | O_APPEND | O_CLOEXEC);
  struct stat st = {};
  if (m_fd < 0 || ::fstat(m_fd, &st) != 0) {
    CloseLocked();
    return false;
  }
  m_device = st.st_dev;
  m_inode = st.st_ino;
  juce::String header;
  header << "\r\n**********************************************************\r\n"
         << welcome << "\r\nLog started: " << juce::Time::getCurrentTime().toString(true, true) << "\r\n";
  WriteLocked(header);
  return true;
}

bool CLogWriter::ReopenIfReplacedLocked() {
  // Another process's trim, or a user, may have put another file in the
  // log's place: lines go to the file under the name.
  struct stat st = {};
  if (::stat(GetFile().getFullPathName().toRawUTF8(), &st) == 0 && st.st_dev == m_device && st.st_ino == m_inode)
    return true;
  CloseLocked();
  const std::string path = GetFile().getFullPathName().toStdString();
  m_fd = win32::OpenPrivateFile(path, O_WRONLY | O_APPEND | O_CLOEXEC);
  if (m_fd < 0 || ::fstat(m_fd, &st) != 0) {
    CloseLocked();
    return false;
  }
  m_device = st.st_dev;
  m_inode = st.st_ino;
  return true;
}

void CLogWriter::TrimLocked() {
  const juce::File file = GetFile();
  if (file.getSize() < kMaxSize) return;
  juce::FileLogger::trimFileSize(file, kTrimmedSize);
  Common::MakePrivateFile(file.getFullPathName().toStdString());  // the trimmed copy is a new file
  ReopenIfReplacedLocked();
}

bool CLogWriter::Init(const juce::String& welcome) {
  const juce::ScopedLock guard(m_lock);
  const FolderLock processes(FolderFdLocked());
  return OpenLocked(welcome);
}

void CLogWriter::Free() {
  const juce::ScopedLock guard(m_lock);
  CloseLocked();
}

void CLogWriter::Append(const juce::String& line) {
  const juce::ScopedLock guard(m_lock);
  const FolderLock processes(FolderFdLocked());
  if (!OpenLocked("ReCreateLog") || !ReopenIfReplacedLocked()) return;
  if (++m_writeCount >= kCheckEvery) {
    TrimLocked();
    m_writeCount = 0;
  }
  WriteLocked(OneLine(line) + "\r\n");
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
