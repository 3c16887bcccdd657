#pragma once
// The trace logger: a file in the application-data folder plus the last 400 lines in memory.
#include <deque>
#include <string>

#include "common/ITrace.h"

class ITrace_Imp : public ITrace {
 public:
  static constexpr int kFormatLimit = 1023;    // characters of a format text and of a message
  static constexpr size_t kQueueLines = 400;

  // Opens (creating) GetAppDataPath() + name without truncating it. A file of maxBytes or more
  // keeps only its last maxBytes / 2 bytes. When the file can't be opened the logger keeps its
  // lines in memory only.
  ITrace_Imp(int level, CString name, long maxBytes);
  virtual ~ITrace_Imp();
  ITrace_Imp(const ITrace_Imp&) = delete;
  ITrace_Imp& operator=(const ITrace_Imp&) = delete;

  bool Trace(int level, bool flush, const wchar_t* format, ...) override;
  void Release() override;
  CString GetLogFilePath() override;

  // The lines kept in memory (ANSI code page, "\r\n" included), oldest first.
  std::deque<std::string> GetRecentLines();
  bool IsFileOpen() const { return m_bOpen != FALSE; }

 protected:
  // Queues the finished line and appends it to the file; false on a file error, after which
  // the logger writes to memory only.
  bool AddDequeData(CString& line, bool flush);

 private:
  void Open();
  void CloseFile();

  HANDLE m_hFile = INVALID_HANDLE_VALUE;
  BOOL m_bOpen = FALSE;
  long m_nMaxSize;
  CString m_strPath;
  int m_nLevel;
  CRITICAL_SECTION m_lock;
  std::deque<std::string> m_lines;
};
