#pragma once
// The program's log, dorv.log in the application-data folder. Any thread, and
// any process of the program, may write; a line is never lost or torn by
// another's write or by the size trim that every 50th write may run. After
// FreeLog the next write opens the log again ("ReCreateLog").
#include <sys/types.h>

#include <juce_core/juce_core.h>

// Levels; any other value writes no level word.
enum LogLevel { KeyPoint = 0, ErrorLog = 1, NormalLog = 2 };

// Opens the log with the welcome text when it isn't open. False when it can't
// be created.
bool InitLog(const juce::String& welcome);
void WriteLog(int level, const juce::String& function, const juce::String& message);
void WriteErrorCodeLog(const juce::String& function, const juce::String& code, const juce::String& message);
void WriteMessageLog(int level, const juce::String& message);
// Closes the log (the program's exit); a later write opens it again.
void FreeLog();

// One log file with its write counter and size limit. The free functions above
// write through the process's instance on dorv.log; tests make their own.
class CLogWriter {
 public:
  static constexpr juce::int64 kMaxSize = 4194304;   // a larger log is trimmed...
  static constexpr juce::int64 kTrimmedSize = 2097152;  // ...to its last 2 MiB
  static constexpr int kCheckEvery = 50;              // writes between size checks

  CLogWriter(juce::String folder, juce::String fileName);
  ~CLogWriter();

  bool Init(const juce::String& welcome);
  void Write(int level, const juce::String& function, const juce::String& message);
  void WriteErrorCode(const juce::String& function, const juce::String& code, const juce::String& message);
  void WriteMessage(int level, const juce::String& message);
  void Free();

  juce::File GetFile() const;

 private:
  int FolderFdLocked();
  bool OpenLocked(const juce::String& welcome);
  bool ReopenIfReplacedLocked();
  void TrimLocked();
  bool WriteLocked(const juce::String& text);
  void CloseLocked();
  void Append(const juce::String& line);

  const juce::String m_folder;
  const juce::String m_fileName;
  // One lock for the file's opening and closing, the counter, the trim and
  // the append: a trim copies the file and puts the copy in its place, so a
  // line appended meanwhile would land in the replaced file and be lost.
  juce::CriticalSection m_lock;
  // The log stays open between lines (opening it per line cost more than the
  // write); each line is one append, so nothing waits in a buffer to be lost.
  int m_fd = -1;
  dev_t m_device = 0;
  ino_t m_inode = 0;
  // The folder, held open for the lock that orders the processes' writes.
  int m_folderFd = -1;
  int m_writeCount = 0;
};
